#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include <QObject>

#include "db/connection_cut.h"
#include "export/export_outcome.h"
#include "export/export_request.h"
#include "files/output_sink.h"
#include "lines/value_style.h"

namespace exporter {

// Runs one export on a worker thread of its own so that the window keeps
// repainting. Signals arrive on the thread that owns the job. Destroying the
// job stops a running export and waits for its thread.
//
// The thread is joined, not only waited for: once finished() is emitted or
// the job is gone, the thread has ended entirely, its thread-local clean-up
// (the TLS library's, Qt's) included, so that a program may return from main
// and run the libraries' clean-up at exit without a thread still inside it.
// (A QThread's wait() returns before that clean-up: Qt detaches its threads.)
class ExportJob : public QObject {
    Q_OBJECT

public:
    // Makes the sink for a request; called on the worker thread.
    using SinkMaker = std::function<std::unique_ptr<files::OutputSink>(const ExportRequest&)>;

    explicit ExportJob(QObject* parent = nullptr);
    ~ExportJob() override;

    // Starts the export into the request's output path.
    void Start(ExportRequest request, lines::ValueStyle style);
    void Start(ExportRequest request, lines::ValueStyle style, SinkMaker makeSink);

    // Stops a running export and waits until it has: the connection is cut,
    // so an export that waits for the server stops at once too, and so does
    // one that waits to write into a pipe nobody reads. The
    // temporary file is gone when this returns.
    void Stop();

    bool running() const { return running_; }
    // How the last export ended; valid once finished() was emitted.
    const ExportOutcome& outcome() const { return outcome_; }

signals:
    // The server has taken the query: the wait for its first row is over.
    void queryAnswered();
    // Rows written so far against the server's estimate (0 when unknown).
    void progress(quint64 rowsWritten, quint64 estimatedRows);
    // The export's connection is open: how it is encrypted, in words ("not
    // encrypted", "encrypted with TLSv1.3, cipher ...").
    void connected(const QString& encryption);
    // No answer or row has come from the server for a while; the export
    // waits up to `boundSeconds` in all.
    void stillWaiting(unsigned boundSeconds);
    // How the rows are read: "in the server's binary form", or "as text" and
    // why.
    void rowsReadAs(const QString& how);
    void finished();
    // The worker thread's last step; the job's thread joins it then.
    void workerEnded(QPrivateSignal);

private:
    class Monitor;
    class SinkRegistration;
    void Run(const ExportRequest& request, const lines::ValueStyle& style, const SinkMaker& makeSink);
    void ThreadEnded();

    std::thread thread_;
    std::atomic<bool> stopRequested_{false};
    // The running export's connection, cut by Stop(); guarded by the mutex.
    std::mutex connectionMutex_;
    std::unique_ptr<db::ConnectionCut> cut_;
    // The running export's sink, whose waiting write Stop() ends.
    files::OutputSink* sink_ = nullptr;
    bool running_ = false;
    ExportOutcome outcome_;
};

}  // namespace exporter
