#include "password_prompt.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>

#include "process/termination_signals.h"
#include "process/unique_descriptor.h"

namespace exporter::cli {
namespace {

// How often the wait for a key looks for a termination signal.
constexpr int kSignalLookMilliseconds = 100;

// Turns the terminal's echo off for its life, and back to what it was.
class EchoOff {
public:
    explicit EchoOff(int terminal) : terminal_(terminal) {
        if (::tcgetattr(terminal_, &before_) != 0) return;
        termios quiet = before_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
        off_ = ::tcsetattr(terminal_, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (off_) ::tcsetattr(terminal_, TCSANOW, &before_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

    bool off() const { return off_; }

private:
    int terminal_;
    termios before_ = {};
    bool off_ = false;
};

void Say(int terminal, const char* text) {
    std::size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t written = ::write(terminal, text, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        text += written;
        left -= static_cast<std::size_t>(written);
    }
}

}  // namespace

TypedPassword AskPassword() {
    TypedPassword typed;
    const process::UniqueDescriptor terminal(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!terminal.valid()) {
        typed.problem = QStringLiteral(
                            "-p asks for the password on the terminal, and there is none (%1); "
                            "put the password in an option file or TABLEWRIGHT_PASSWORD instead.")
                            .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return typed;
    }
    Say(terminal.get(), "Enter password: ");
    QByteArray line;
    {
        const EchoOff echo(terminal.get());
        if (!echo.off()) {
            typed.problem = QStringLiteral("-p cannot keep the password from showing on this terminal.");
            return typed;
        }
        for (;;) {
            if (const int caught = process::CaughtTerminationSignal(); caught != 0) {
                typed.signal = caught;
                break;
            }
            pollfd wait = {terminal.get(), POLLIN, 0};
            const int ready = ::poll(&wait, 1, kSignalLookMilliseconds);
            if (ready < 0 && errno != EINTR) break;
            if (ready <= 0) continue;
            char bytes[256];
            const ssize_t got = ::read(terminal.get(), bytes, sizeof bytes);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (got <= 0) break;  // Ctrl-D on an empty line, or the terminal gone
            line.append(bytes, got);
            if (line.endsWith('\n')) break;
        }
    }
    // The line's end was not shown.
    Say(terminal.get(), "\n");
    if (typed.signal != 0) return typed;
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    typed.password = QString::fromLocal8Bit(line);
    line.fill('\0');
    return typed;
}

}  // namespace exporter::cli
