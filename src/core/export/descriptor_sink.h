#pragma once

#include "export/output_sink.h"

namespace exporter {

// Writes straight to a file descriptor: standard output, or a device or pipe
// opened by its path (which has no folder to hold a temporary file).
class DescriptorSink : public OutputSink {
public:
    static std::unique_ptr<DescriptorSink> ForPath(const QString& path);
    static std::unique_ptr<DescriptorSink> ForStandardOutput();
    ~DescriptorSink() override;
    DescriptorSink(const DescriptorSink&) = delete;
    DescriptorSink& operator=(const DescriptorSink&) = delete;

    bool Open() override;
    bool Write(const char* data, std::size_t size) override;
    bool Commit() override;
    QString errorString() const override { return error_; }

private:
    DescriptorSink(QString path, int descriptor) : path_(std::move(path)), descriptor_(descriptor) {}
    bool Fail(int error);

    QString path_;         // empty for standard output
    int descriptor_ = -1;  // owned when opened from a path
    QString error_;
};

}  // namespace exporter
