#pragma once

#include <sys/stat.h>

#include <QByteArray>
#include <QString>

#include "process/unique_descriptor.h"

namespace exporter {

// What an output path leads to, with its symbolic links followed: the
// folder that holds the last name (kept open, so that the name is always
// looked up in the same folder), that name, and what is there now.
struct OutputTarget {
    enum class Kind { Missing, RegularFile, Other };  // Other: a device, a pipe or a socket

    process::UniqueDescriptor folder;
    QByteArray name;
    Kind kind = Kind::Missing;
    struct stat status = {};  // of what is there; of nothing for Missing
    // The name is a link of /proc (where /dev/stdout leads) to a pipe or
    // socket that has no path: only the kernel can follow it.
    bool throughLink = false;
};

// Follows the path's symbolic links as the kernel's protected_symlinks rule
// does: in a folder that is sticky and writable by everyone (such as /tmp) a
// link is followed only when it belongs to the user or to the folder's
// owner, so that a link planted there by someone else cannot lead the export
// to a file of the user's. The links are read here rather than by the
// kernel, whose rule may be switched off, so the rule is applied here.
// Returns false with `problem` set (the reason, without the path) when the
// path leads nowhere that a file could be written: a refused link, a missing
// folder, a folder as the target, a name too long.
bool ResolveOutputTarget(const QString& path, OutputTarget& target, QString& problem);

// The reason for a failed call with this error number, as the C library
// words it.
QString ErrorText(int error);

}  // namespace exporter
