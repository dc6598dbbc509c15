#include "process/termination_signals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <iterator>

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace process {
namespace {

// Every signal whose default action ends the program and that is not a
// fault of the program itself (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT,
// SIGTRAP, SIGSYS: after those nothing can be trusted to clean up). SIGPIPE
// only when another process sends it: the kernel's own, for a write into a
// pipe or socket whose reader went away, is passed over so that the write
// fails with EPIPE and the export reports it. SIGXFSZ is ignored by the
// programs instead: a failed write says more. The real-time signals follow.
constexpr int kTerminationSignals[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGUSR1, SIGUSR2,   SIGALRM,
                                       SIGPOLL, SIGPROF, SIGVTALRM, SIGXCPU, SIGPWR,  SIGSTKFLT, SIGPIPE};

// A stop normally takes a moment; the same signal again after this long
// means the stop is stuck, and the process ends at once.
constexpr long long kPatienceMilliseconds = 2000;

volatile std::sig_atomic_t caught = 0;
std::atomic<long long> caughtAt{0};  // milliseconds on the monotonic clock
// A pipe to itself: the handler writes a byte, the event loop sees it.
int wakeReader = -1;
int wakeWriter = -1;

long long MonotonicMilliseconds() {
    timespec now = {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The kernel sends SIGPIPE for a broken pipe as if the writing process had
// sent it to itself (SI_USER, its own process id).
bool SentByAnotherProcess(const siginfo_t* info) {
    return info != nullptr && info->si_code <= 0 && info->si_pid != ::getpid();
}

// Runs in whatever the process was doing: only async-signal-safe calls.
void OnTerminationSignal(int number, siginfo_t* info, void* /*context*/) {
    if (number == SIGPIPE && !SentByAnotherProcess(info)) return;
    const int savedErrno = errno;
    if (caught == number && MonotonicMilliseconds() - caughtAt.load() >= kPatienceMilliseconds) {
        // Asked again, well after the first time: the default action (the
        // end) follows once this handler returns and the signal is no longer
        // blocked.
        ::signal(number, SIG_DFL);
        ::raise(number);
    } else if (caught == 0) {
        caughtAt.store(MonotonicMilliseconds());
        caught = number;
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeWriter, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

void CatchTerminationSignals() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        // No stop can be asked for; a broken pipe still fails the write.
        ::signal(SIGPIPE, SIG_IGN);
        return;
    }
    wakeReader = ends[0];
    wakeWriter = ends[1];

    const std::vector<int> numbers = TerminationSignals();
    struct sigaction action = {};
    action.sa_sigaction = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (const int number : numbers) sigaddset(&action.sa_mask, number);
    // Reads and writes that the signal interrupts go on; the stop is asked
    // for through the event loop.
    action.sa_flags = SA_RESTART | SA_SIGINFO;
    for (const int number : numbers) {
        struct sigaction before = {};
        if (::sigaction(number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
        ::sigaction(number, &action, nullptr);
    }
}

std::vector<int> TerminationSignals() {
    std::vector<int> numbers(std::begin(kTerminationSignals), std::end(kTerminationSignals));
    for (int number = SIGRTMIN; number <= SIGRTMAX; ++number) numbers.push_back(number);
    return numbers;
}

int CaughtTerminationSignal() { return caught; }

TerminationNotifier::TerminationNotifier(QObject* parent) : QObject(parent) {
    if (wakeReader < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(wakeReader, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationNotifier::Wake);
}

TerminationNotifier::~TerminationNotifier() = default;

void TerminationNotifier::Wake() {
    char bytes[16];
    while (::read(wakeReader, bytes, sizeof bytes) > 0) {
    }
    emit arrived(CaughtTerminationSignal());
}

}  // namespace process
