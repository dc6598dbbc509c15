#pragma once

#include <sys/stat.h>

#include <QByteArray>
#include <QString>

#include "process/unique_descriptor.h"

namespace files {

// What a path leads to, with its symbolic links followed: the
// folder that holds the last name (kept open, so that the name is always
// looked up in the same folder), that name, and what is there now.
struct ResolvedPath {
    enum class Kind { Missing, RegularFile, Other };  // Other: a device, a pipe or a socket

    process::UniqueDescriptor folder;
    QByteArray name;
    Kind kind = Kind::Missing;
    struct stat status = {};  // of what is there; of nothing for Missing
    // The name is a link of /proc (where /dev/stdout leads) to a pipe or
    // socket that has no path: only the kernel can follow it.
    bool throughLink = false;
};

// Walks the path one name at a time, each looked up in the folder opened
// before it, so that nobody can swap a folder for a link while the walk goes
// on. Symbolic links (in the folders of the path and its last name alike)
// are followed as the kernel's protected_symlinks rule allows: in a folder
// that is sticky and writable by everyone (such as /tmp) only a link of the
// user's own or of the folder's owner. An existing file, pipe or device
// there is refused on the same terms (the kernel's protected_regular and
// protected_fifos rules), so that nothing another user planted can receive
// the export or lend it its permissions. The rules are applied here rather
// than left to the kernel, where they may be switched off.
// Returns false with `problem` set (the reason, without the path) when the
// path leads nowhere that a file could be written: a refused link or file, a
// missing folder, a folder as the target, a name too long.
//
// With LinkRule::OwnLinksOnly (for a file of the user's own, such as the
// settings) a link is followed only when it belongs to the user or to root,
// wherever it is.
enum class LinkRule { AsTheKernel, OwnLinksOnly };
bool ResolvePath(const QByteArray& path, ResolvedPath& target, QString& problem, LinkRule rule = LinkRule::AsTheKernel);

// The kernel's rule for what another user left in a folder: in a sticky
// folder that everyone may write to, only what belongs to the user or to the
// folder's owner is trusted.
bool TrustedIn(const struct stat& folder, uid_t owner);

}  // namespace files
