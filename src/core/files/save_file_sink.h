#pragma once

#include <memory>
#include <mutex>

#include "files/background_flush.h"
#include "files/output_sink.h"
#include "files/resolved_path.h"

namespace files {

class DescriptorSink;

// The sink for an output path. A regular file (or a new one) is written to a
// temporary file in the target's folder that replaces the target on commit,
// with the old file's permissions; without commit the temporary file goes
// again. The new file keeps the old one's permissions only when the old one
// was the user's own; otherwise it gets what the umask leaves of read and
// write for everyone, as a new file does. The temporary file has no name
// where the file system allows (O_TMPFILE), so that not even a process
// killed outright leaves it behind; elsewhere it is named
// ".TARGET.tablewright-XXXXXX.partial" (the target's name shortened to fit
// the file system's limit), which says what it is to whoever finds one left
// by a process killed outright. A device or pipe named by the path is written
// directly.
//
// Open() checks everything that can be checked before a row is read: the
// links (see ResolvePath), the folder, the right to replace an
// existing file, and the temporary file itself. Failures name the file and
// what was being done.
class SaveFileSink : public OutputSink {
public:
    explicit SaveFileSink(const QString& path);
    // A path as the bytes of the file system's names, which need not be text.
    explicit SaveFileSink(QByteArray path);
    ~SaveFileSink() override;
    SaveFileSink(const SaveFileSink&) = delete;
    SaveFileSink& operator=(const SaveFileSink&) = delete;

    bool Open() override;
    bool Write(const char* data, std::size_t size) override;
    bool Commit() override;
    void Interrupt() override;
    QString errorString() const override { return error_; }

private:
    bool Fail(const char* doing, const QString& reason);
    bool CreateTemporaryFile();
    bool NameTemporaryFile();
    QByteArray TemporaryName() const;
    bool KeepsPermissions() const;

    QByteArray path_;
    QString shownPath_;  // the path as messages show it
    ResolvedPath target_;
    process::UniqueDescriptor file_;
    QByteArray temporaryName_;  // empty while the file has no name
    off_t written_ = 0;
    BackgroundFlush flush_;  // ends before file_ closes
    bool committed_ = false;
    std::unique_ptr<DescriptorSink> direct_;  // a device or pipe
    std::mutex directMutex_;                  // direct_ as Interrupt() sees it
    bool interrupted_ = false;
    QString error_;
};

}  // namespace files
