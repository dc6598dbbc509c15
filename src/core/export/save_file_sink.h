#pragma once

#include <QSaveFile>

#include "export/output_sink.h"

namespace exporter {

// Writes a temporary file beside the target and renames it over the target
// on commit. Without commit the temporary file is removed again.
class SaveFileSink : public OutputSink {
public:
    explicit SaveFileSink(const QString& path) : file_(path) {}

    bool Open() override;
    bool Write(const char* data, std::size_t size) override;
    bool Commit() override;
    QString errorString() const override { return error_; }

private:
    QSaveFile file_;
    QString error_;
};

}  // namespace exporter
