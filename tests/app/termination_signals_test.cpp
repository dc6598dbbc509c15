#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "process/termination_signals.h"

namespace {

// Runs `body` in a child process with every signal at its default and
// unblocked; its exit status, or 128 + the signal that ended it.
int InChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int number = 1; number < NSIG; ++number) signal(number, SIG_DFL);
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

// Sends the signal to this process from a child of its own, as kill(1) does:
// SIGPIPE counts only then.
void SendFromAnotherProcess(int number) {
    const pid_t parent = getpid();
    const pid_t sender = fork();
    if (sender == 0) _exit(kill(parent, number) == 0 ? 0 : 1);
    waitpid(sender, nullptr, 0);
}

}  // namespace

TEST(TerminationSignals, EverySignalThatWouldEndTheProgramIsAStopUnlessIgnoredAtStart) {
    const std::vector<int> caught = process::TerminationSignals();
    for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGPIPE})
        EXPECT_NE(std::find(caught.begin(), caught.end(), number), caught.end()) << strsignal(number);
    for (const int number : caught) {
        EXPECT_EQ(InChild([number] {
                      process::CatchTerminationSignals();
                      SendFromAnotherProcess(number);
                      return process::CaughtTerminationSignal() == number ? 0 : 1;
                  }),
                  0)
            << strsignal(number);
        // As under nohup: ignored it was, ignored it stays.
        EXPECT_EQ(InChild([number] {
                      signal(number, SIG_IGN);
                      process::CatchTerminationSignals();
                      SendFromAnotherProcess(number);
                      struct sigaction now = {};
                      sigaction(number, nullptr, &now);
                      return process::CaughtTerminationSignal() == 0 && now.sa_handler == SIG_IGN ? 0 : 1;
                  }),
                  0)
            << strsignal(number);
    }
    // The kernel's SIGPIPE for a write nobody reads any more is no stop: the
    // write fails, and says why.
    EXPECT_EQ(InChild([] {
                  process::CatchTerminationSignals();
                  int ends[2];
                  if (pipe(ends) != 0) return 2;
                  close(ends[0]);
                  const bool failed = write(ends[1], "x", 1) < 0 && errno == EPIPE;
                  return failed && process::CaughtTerminationSignal() == 0 ? 0 : 1;
              }),
              0);
}

TEST(TerminationSignals, TheSameSignalAgainEndsTheProcessOnlyAfterTwoSeconds) {
    // Again at once: the stop goes on.
    EXPECT_EQ(InChild([] {
                  process::CatchTerminationSignals();
                  raise(SIGTERM);
                  raise(SIGTERM);
                  usleep(1500000);
                  raise(SIGTERM);
                  return process::CaughtTerminationSignal() == SIGTERM ? 0 : 1;
              }),
              0);
    // Again after two seconds: a stop that hangs, ended as by default.
    EXPECT_EQ(InChild([] {
                  process::CatchTerminationSignals();
                  raise(SIGTERM);
                  usleep(2100000);
                  raise(SIGTERM);
                  return 0;
              }),
              128 + SIGTERM);
}
