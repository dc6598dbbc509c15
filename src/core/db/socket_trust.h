#pragma once

#include <QString>

namespace db {

// Why a login must not go through the local socket at `path`, in words that
// say what to do; empty when it may.
//
// A folder that anyone may write to (as /tmp) holds whatever its users put
// there: a socket that another user (not root) made in one may be a server
// of theirs that collects the passwords sent to it, so it is refused, as a
// planted output file is; so is a link to a socket made there by another
// user, and any socket in such a folder without the sticky bit, where anyone
// may replace it. Where no socket is there yet, the login is refused too, so
// that one planted after this look is not used. A path longer than a socket
// address holds (107 bytes) is refused with its length.
QString SocketTrustProblem(const QString& path);

}  // namespace db
