#pragma once

#include <memory>
#include <mutex>

#include "files/background_flush.h"
#include "files/output_sink.h"
#include "files/replacing_file.h"
#include "files/resolved_path.h"

namespace files {

class DescriptorSink;

// The sink for an output path. A regular file (or a new one) is written to a
// temporary file in the target's folder that replaces the target on commit,
// with the old file's permissions; without commit the temporary file goes
// again. The new file keeps the old one's permissions only when the old one
// was the user's own; otherwise it gets what the umask leaves of read and
// write for everyone, as a new file does. The temporary file is a
// ReplacingFile: without a name where the file system allows. A device or
// pipe named by the path is written directly.
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
    bool KeepsPermissions() const;

    QByteArray path_;
    QString shownPath_;  // the path as messages show it
    ResolvedPath target_;
    ReplacingFile file_;
    off_t written_ = 0;
    BackgroundFlush flush_;                   // ends before file_ closes
    std::unique_ptr<DescriptorSink> direct_;  // a device or pipe
    std::mutex directMutex_;                  // direct_ as Interrupt() sees it
    bool interrupted_ = false;
    QString error_;
};

}  // namespace files
