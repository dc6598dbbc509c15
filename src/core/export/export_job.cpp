#include "export/export_job.h"

#include "app/logging.h"
#include "export/export_engine.h"

namespace exporter {

class ExportJob::Monitor : public ExportMonitor {
public:
    explicit Monitor(ExportJob& job) : job_(job) {}
    void EstimateKnown(std::uint64_t rows) override {
        estimate_ = rows;
        emit job_.progress(0, estimate_);
    }
    void QueryAnswered() override { emit job_.queryAnswered(); }
    void RowsWritten(std::uint64_t rows) override {
        qCDebug(lcExport) << "progress:" << rows << "of about" << estimate_ << "rows";
        emit job_.progress(rows, estimate_);
    }
    bool StopRequested() const override { return job_.stopRequested_.load(); }
    void ConnectionOpened(const db::Connection& connection) override {
        {
            const std::lock_guard lock(job_.connectionMutex_);
            job_.cut_ = std::make_unique<db::ConnectionCut>(connection);
            if (job_.stopRequested_) job_.cut_->Cut();
        }
        emit job_.connected(
            connection.tlsCipher().isEmpty()
                ? QStringLiteral("not encrypted")
                : QStringLiteral("encrypted with %1, cipher %2").arg(connection.tlsVersion(), connection.tlsCipher()));
    }
    void StillWaiting(unsigned boundSeconds) override { emit job_.stillWaiting(boundSeconds); }
    void RowsReadAs(const QString& how) override { emit job_.rowsReadAs(how); }
    void ConnectionClosing() override {
        const std::lock_guard lock(job_.connectionMutex_);
        job_.cut_.reset();
    }

private:
    ExportJob& job_;
    std::uint64_t estimate_ = 0;
};

class ExportJob::SinkRegistration {
public:
    explicit SinkRegistration(ExportJob& job) : job_(job) {}
    ~SinkRegistration() {
        const std::lock_guard lock(job_.connectionMutex_);
        job_.sink_ = nullptr;
    }
    SinkRegistration(const SinkRegistration&) = delete;
    SinkRegistration& operator=(const SinkRegistration&) = delete;

private:
    ExportJob& job_;
};

ExportJob::ExportJob(QObject* parent) : QObject(parent) {
    // Connected here, on the job's thread, so that what the worker posts
    // carries nothing the worker made but the event itself.
    connect(this, &ExportJob::workerEnded, this, &ExportJob::ThreadEnded, Qt::QueuedConnection);
}

ExportJob::~ExportJob() { Stop(); }

void ExportJob::Start(ExportRequest request, lines::ValueStyle style) {
    if (running_) return;
    if (request.outputPath.isEmpty()) {
        // Nothing to write to: refused before the server is asked for anything.
        running_ = true;
        outcome_ = ExportOutcome::Failure(kCreateFileStep, NoOutputFileText());
        QMetaObject::invokeMethod(
            this,
            [this] {
                running_ = false;
                emit finished();
            },
            Qt::QueuedConnection);
        return;
    }
    Start(std::move(request), std::move(style),
          [](const ExportRequest& r) { return files::SinkForPath(r.outputPath); });
}

void ExportJob::Start(ExportRequest request, lines::ValueStyle style, SinkMaker makeSink) {
    if (running_) return;
    stopRequested_ = false;
    running_ = true;
    thread_ =
        std::thread([this, request = std::move(request), style = std::move(style), makeSink = std::move(makeSink)] {
            Run(request, style, makeSink);
            // Handled on the job's thread, which joins this one; dropped if the
            // job is destroyed first (its destructor joins it then).
            emit workerEnded(QPrivateSignal());
        });
}

void ExportJob::Run(const ExportRequest& request, const lines::ValueStyle& style, const SinkMaker& makeSink) {
    Monitor monitor(*this);
    try {
        const std::unique_ptr<files::OutputSink> sink = makeSink(request);
        {
            const std::lock_guard lock(connectionMutex_);
            sink_ = sink.get();
            if (stopRequested_) sink_->Interrupt();
        }
        // Gone for Stop() before the sink itself goes, also on an exception.
        const SinkRegistration registration(*this);
        outcome_ = RunExport(request, style, *sink, monitor);
        // A write that the stop ended is the stop, not a failure.
        if (stopRequested_ && outcome_.status == ExportOutcome::Status::Failed)
            outcome_ = ExportOutcome::StoppedByUser();
    } catch (const std::exception& e) {
        // Nothing may leave the thread: what went wrong (memory ran out) is
        // reported like a failure while reading the rows.
        outcome_ = ExportOutcome::Failure(kReadRowsStep, QString::fromUtf8(e.what()));
    }
}

void ExportJob::Stop() {
    stopRequested_ = true;
    {
        const std::lock_guard lock(connectionMutex_);
        if (cut_) cut_->Cut();
        if (sink_) sink_->Interrupt();
    }
    if (thread_.joinable()) thread_.join();
}

void ExportJob::ThreadEnded() {
    if (thread_.joinable()) thread_.join();
    running_ = false;
    emit finished();
}

}  // namespace exporter
