#include "files/output_sink.h"

#include "files/descriptor_sink.h"
#include "files/save_file_sink.h"

namespace files {

std::unique_ptr<OutputSink> SinkForPath(const QString& path) { return std::make_unique<SaveFileSink>(path); }

std::unique_ptr<OutputSink> SinkForPath(const QByteArray& path) { return std::make_unique<SaveFileSink>(path); }

std::unique_ptr<OutputSink> StandardOutputSink() { return DescriptorSink::ForStandardOutput(); }

}  // namespace files
