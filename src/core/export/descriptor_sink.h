#pragma once

#include "export/output_sink.h"
#include "process/unique_descriptor.h"

namespace exporter {

// Writes straight to a file descriptor: standard output, or a device or pipe
// opened by its path (which has no folder to hold a temporary file).
class DescriptorSink : public OutputSink {
public:
    static std::unique_ptr<DescriptorSink> ForStandardOutput();
    // A device or pipe that is already open (without blocking); the sink
    // closes it on commit.
    static std::unique_ptr<DescriptorSink> ForOpenedPath(process::UniqueDescriptor descriptor, QString path);

    bool Open() override;
    bool Write(const char* data, std::size_t size) override;
    bool Commit() override;
    QString errorString() const override { return error_; }

private:
    DescriptorSink(QString path, process::UniqueDescriptor owned, int descriptor)
        : path_(std::move(path)), owned_(std::move(owned)), descriptor_(descriptor) {}
    bool Fail(int error);

    QString path_;  // empty for standard output
    process::UniqueDescriptor owned_;
    int descriptor_ = -1;
    QString error_;
};

}  // namespace exporter
