#pragma once

#include "files/output_sink.h"
#include "process/unique_descriptor.h"

namespace files {

// Writes straight to a file descriptor: standard output, or a device or pipe
// opened by its path (which has no folder to hold a temporary file). A write
// that waits for a reader (a pipe nobody reads) waits in poll() beside a
// wake-up descriptor, so that Interrupt() ends it at once.
class DescriptorSink : public OutputSink {
public:
    static std::unique_ptr<DescriptorSink> ForStandardOutput();
    // A device or pipe that is already open (without blocking); the sink
    // closes it on commit.
    static std::unique_ptr<DescriptorSink> ForOpenedPath(process::UniqueDescriptor descriptor, QString path);

    bool Open() override;
    bool Write(const char* data, std::size_t size) override;
    bool Commit() override;
    void Interrupt() override;
    QString errorString() const override { return error_; }

private:
    DescriptorSink(QString path, process::UniqueDescriptor owned, int descriptor);
    bool Fail(int error);
    // Until the descriptor takes more bytes; false once interrupted.
    bool WaitUntilWritable();

    QString path_;  // empty for standard output
    process::UniqueDescriptor owned_;
    int descriptor_ = -1;
    // Standard output is shared with whoever started the program, so it is
    // never switched to non-blocking writes: a pipe or terminal there gets no
    // more at once than poll() promises room for.
    bool blocking_ = true;
    bool waits_ = false;              // a pipe, socket or terminal: writes may wait
    process::UniqueDescriptor wake_;  // an eventfd that Interrupt() makes readable
    QString error_;
};

}  // namespace files
