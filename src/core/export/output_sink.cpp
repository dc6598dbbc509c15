#include "export/output_sink.h"

#include "export/descriptor_sink.h"
#include "export/save_file_sink.h"

namespace exporter {

std::unique_ptr<OutputSink> SinkForPath(const QString& path) { return std::make_unique<SaveFileSink>(path); }

std::unique_ptr<OutputSink> SinkForPath(const QByteArray& path) { return std::make_unique<SaveFileSink>(path); }

std::unique_ptr<OutputSink> StandardOutputSink() { return DescriptorSink::ForStandardOutput(); }

}  // namespace exporter
