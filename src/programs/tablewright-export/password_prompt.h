#pragma once

#include <optional>

#include <QString>

namespace exporter::cli {

// How asking for the password ended.
struct TypedPassword {
    std::optional<QString> password;  // what was typed, without the line's end
    QString problem;                  // why nothing could be asked
    int signal = 0;                   // the termination signal that ended the asking
};

// Asks for the password on the terminal (/dev/tty), as the standard
// client's -p does: "Enter password: ", then what is typed, not shown, up
// to the end of the line (or Ctrl-D on an empty one), the erase and kill
// keys taken back. The echo is off before the prompt shows and nothing typed
// ahead is lost. Ctrl-C (Ctrl-\) ends the asking as SIGINT (SIGQUIT) would;
// Ctrl-Z stops the program, and after a continue the echo is off again, also
// after a stop from elsewhere. The terminal shows what is typed again
// however the asking ends: with the line, a failure, or a termination signal
// (which ends it within a tenth of a second; see CatchTerminationSignals).
TypedPassword AskPassword();

}  // namespace exporter::cli
