#pragma once

#include <cstddef>
#include <memory>

#include <QByteArray>
#include <QString>

namespace files {

// Where the bytes of an export go. Open, any number of writes, then commit:
// until commit succeeds a sink that stands for a file leaves the old file as
// it was, and a sink dropped without commit leaves nothing of its own behind.
class OutputSink {
public:
    virtual ~OutputSink() = default;
    virtual bool Open() = 0;
    virtual bool Write(const char* data, std::size_t size) = 0;
    virtual bool Commit() = 0;
    // Ends a write that waits for a reader (a pipe nobody reads) with a
    // failure; from any thread.
    virtual void Interrupt() {}
    // What failed: the file, what was being done and the file system's
    // reason ("Cannot create /x/out.txt: No such file or directory").
    virtual QString errorString() const = 0;
};

// The sink for an output path. A regular file (or a new one) is written to a
// temporary file beside it that replaces it only on commit; a device or a pipe
// named by the path is written directly (see SaveFileSink).
std::unique_ptr<OutputSink> SinkForPath(const QString& path);
// The same for a path given as the bytes of the file system's names.
std::unique_ptr<OutputSink> SinkForPath(const QByteArray& path);

// Standard output, written directly.
std::unique_ptr<OutputSink> StandardOutputSink();

}  // namespace files
