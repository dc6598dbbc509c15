#pragma once

#include <memory>
#include <vector>

#include <QObject>

class QSocketNotifier;

namespace process {

// Turns SIGINT, SIGTERM, SIGHUP and every other signal whose default action
// ends the program (see TerminationSignals) into a request to stop instead
// of an end on the spot, so that a running export can stop and remove its
// temporary file before the program ends. A signal that was ignored when the
// program started stays ignored (as under nohup). The same signal arriving
// again two seconds or more after the first (a stop that hangs, say on a
// pipe nobody reads) ends the process at once, as it does by default.
// SIGPIPE counts only when another process sends it (kill -PIPE): the one
// the kernel sends for a write into a pipe or socket nobody reads any more
// is passed over, so that the write fails with EPIPE. Called first thing in
// main, once.
void CatchTerminationSignals();

// The signals caught: SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2,
// SIGALRM, SIGPOLL, SIGPROF, SIGVTALRM, SIGXCPU, SIGPWR, SIGSTKFLT, SIGPIPE
// (from another process) and the real-time signals; not the program's own
// faults (SIGSEGV and the like), nor SIGXFSZ, which the programs ignore.
std::vector<int> TerminationSignals();

// The number of the first termination signal caught; 0 while none was.
int CaughtTerminationSignal();

// Emits arrived() on the thread it lives on, once a termination signal was
// caught; one caught before it was made counts too. Made after the
// application object, when its event loop can watch a descriptor.
class TerminationNotifier : public QObject {
    Q_OBJECT

public:
    explicit TerminationNotifier(QObject* parent = nullptr);
    ~TerminationNotifier() override;

signals:
    void arrived(int signalNumber);

private:
    void Wake();

    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace process
