#include "export/export_job.h"

#include "export/export_engine.h"

namespace exporter {

class ExportJob::Monitor : public ExportMonitor {
public:
    explicit Monitor(ExportJob& job) : job_(job) {}
    void estimateKnown(std::uint64_t rows) override {
        estimate_ = rows;
        emit job_.progress(0, estimate_);
    }
    void rowsWritten(std::uint64_t rows) override { emit job_.progress(rows, estimate_); }
    bool stopRequested() const override { return job_.stopRequested_.load(); }
    void connectionOpened(MYSQL* connection) override {
        const std::lock_guard lock(job_.connectionMutex_);
        job_.connection_ = connection;
        if (job_.stopRequested_) mariadb_cancel(connection);
    }
    void connectionClosing() override {
        const std::lock_guard lock(job_.connectionMutex_);
        job_.connection_ = nullptr;
    }

private:
    ExportJob& job_;
    std::uint64_t estimate_ = 0;
};

ExportJob::ExportJob(QObject* parent) : QObject(parent) {}

ExportJob::~ExportJob() { stop(); }

void ExportJob::start(ExportRequest request, ValueStyle style) {
    start(std::move(request), std::move(style),
          [](const ExportRequest& r) { return SinkForPath(r.outputPath); });
}

void ExportJob::start(ExportRequest request, ValueStyle style, SinkMaker makeSink) {
    if (running_) return;
    stopRequested_ = false;
    running_ = true;
    thread_.reset(QThread::create(
        [this, request = std::move(request), style = std::move(style), makeSink = std::move(makeSink)] {
            run(request, style, makeSink);
        }));
    connect(thread_.get(), &QThread::finished, this, &ExportJob::threadEnded);
    thread_->start();
}

void ExportJob::run(const ExportRequest& request, const ValueStyle& style, const SinkMaker& makeSink) {
    Monitor monitor(*this);
    const std::unique_ptr<OutputSink> sink = makeSink(request);
    outcome_ = RunExport(request, style, *sink, monitor);
}

void ExportJob::stop() {
    stopRequested_ = true;
    {
        const std::lock_guard lock(connectionMutex_);
        if (connection_ != nullptr) mariadb_cancel(connection_);
    }
    if (thread_) thread_->wait();
}

void ExportJob::threadEnded() {
    thread_->wait();
    running_ = false;
    emit finished();
}

}  // namespace exporter
