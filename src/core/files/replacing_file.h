#pragma once

#include <QByteArray>

#include <sys/types.h>

#include "process/unique_descriptor.h"

namespace files {

// A new file in a held folder that takes the place of one name in it only
// when it is complete. It has no name where the file system allows
// (O_TMPFILE), so that not even a process killed outright leaves it behind;
// it is linked in beside the target just before the rename. Elsewhere it is
// named ".TARGET.tablewright-XXXXXX.partial" from the start (the target's
// name shortened to fit the file system's limit), which says what it is to
// whoever finds one left by a process killed outright. Without Commit() the
// file goes again.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the file for the name `target` in `folder`, which must stay
    // open until the file is committed or gone. False with errno set.
    bool Create(int folder, const QByteArray& target, mode_t mode);
    int descriptor() const { return file_.get(); }
    // Flushes the file to the disk, closes it and renames it over the
    // target, so that a crash leaves the old file or the new one, never an
    // empty one. False with errno set.
    bool Commit();

private:
    bool Name();
    QByteArray TemporaryName() const;

    int folder_ = -1;
    QByteArray target_;
    process::UniqueDescriptor file_;
    QByteArray temporaryName_;  // empty while the file has no name
    bool committed_ = false;
};

}  // namespace files
