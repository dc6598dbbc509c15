#include "password_prompt.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
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

// Keeps the terminal quiet for its life, and back to what it was after:
// no echo, and its keys for a signal (Ctrl-C, Ctrl-\\, Ctrl-Z) and its line
// editing handed to the asking as bytes, so that nothing typed is shown or
// lost whatever comes. Nothing typed ahead is thrown away.
class QuietTerminal {
public:
    explicit QuietTerminal(int terminal) : terminal_(terminal) {
        if (::tcgetattr(terminal_, &before_) != 0) return;
        quiet_ = before_;
        quiet_.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG);
        quiet_.c_cc[VMIN] = 1;
        quiet_.c_cc[VTIME] = 0;
        Quiet();
    }
    ~QuietTerminal() { Restore(); }
    QuietTerminal(const QuietTerminal&) = delete;
    QuietTerminal& operator=(const QuietTerminal&) = delete;

    bool quiet() const { return quietSet_; }
    const termios& before() const { return before_; }

    // Quiet again where something (a shell, after a stop and a continue)
    // put the terminal back as it was.
    void Keep() {
        termios now = {};
        if (quietSet_ && ::tcgetattr(terminal_, &now) == 0 && (now.c_lflag & (ECHO | ICANON | ISIG)) != 0) Quiet();
    }
    void Quiet() { quietSet_ = ::tcsetattr(terminal_, TCSANOW, &quiet_) == 0; }
    void Restore() {
        if (quietSet_) ::tcsetattr(terminal_, TCSANOW, &before_);
    }

private:
    int terminal_;
    termios before_ = {};
    termios quiet_ = {};
    bool quietSet_ = false;
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
    QByteArray line;
    {
        // Quiet before the prompt shows: an answer typed as soon as it
        // appears is neither shown nor lost.
        QuietTerminal quiet(terminal.get());
        if (!quiet.quiet()) {
            typed.problem = QStringLiteral("-p cannot keep the password from showing on this terminal.");
            return typed;
        }
        Say(terminal.get(), "Enter password: ");
        const cc_t* keys = quiet.before().c_cc;
        // Whether a byte is the terminal's key for something (a key may be off).
        const auto is = [keys](cc_t key, int what) { return keys[what] != _POSIX_VDISABLE && key == keys[what]; };
        bool ended = false;
        while (!ended) {
            if (const int caught = process::CaughtTerminationSignal(); caught != 0) {
                typed.signal = caught;
                break;
            }
            quiet.Keep();
            pollfd wait = {terminal.get(), POLLIN, 0};
            const int ready = ::poll(&wait, 1, kSignalLookMilliseconds);
            if (ready < 0 && errno != EINTR) break;
            if (ready <= 0) continue;
            char bytes[256];
            const ssize_t got = ::read(terminal.get(), bytes, sizeof bytes);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (got <= 0) break;  // the terminal gone
            for (ssize_t i = 0; i < got && !ended; ++i) {
                const auto key = static_cast<cc_t>(bytes[i]);
                if (key == '\n' || key == '\r') {
                    ended = true;
                } else if (is(key, VINTR) || is(key, VQUIT)) {
                    typed.signal = is(key, VINTR) ? SIGINT : SIGQUIT;
                    ended = true;
                } else if (is(key, VEOF)) {
                    ended = line.isEmpty();  // Ctrl-D on an empty line
                } else if (is(key, VSUSP)) {
                    // Stopped as asked, and quiet again when continued.
                    quiet.Restore();
                    ::raise(SIGTSTP);
                    quiet.Quiet();
                } else if (is(key, VERASE) || key == 0x7f || key == '\b') {
                    // One character back, all its bytes in UTF-8.
                    while (!line.isEmpty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80) line.chop(1);
                    line.chop(1);
                } else if (is(key, VKILL)) {
                    line.fill('\0');
                    line.clear();
                } else {
                    line.append(bytes[i]);
                }
            }
            std::fill(std::begin(bytes), std::end(bytes), '\0');
        }
    }
    // The line's end was not shown.
    Say(terminal.get(), "\n");
    if (typed.signal != 0) return typed;
    typed.password = QString::fromLocal8Bit(line);
    line.fill('\0');
    return typed;
}

}  // namespace exporter::cli
