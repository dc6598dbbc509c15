#pragma once

#include <cstdint>

#include <QString>

#include "lines/split_check.h"

namespace exporter {

// The steps of an export that can fail, by the label the error report shows.
enum ExportStep : int {
    kConnectStep = 118,
    kQueryStep = 120,
    kReadRowsStep = 160,
    kCreateFileStep = 180,
    kWriteStep = 184,
    kFinishFileStep = 186,
};

// Why an export without an output path did not start.
inline QString NoOutputFileText() {
    return QStringLiteral("No output file is given: type a file name, or choose one with \"...\".");
}

// How an export ended. A failure carries the step that failed and the
// message of the layer that failed (the connector's or the file system's).
struct ExportOutcome {
    enum class Status { Written, Failed, Stopped };

    Status status = Status::Written;
    int label = 0;
    QString description;
    std::uint64_t rowsWritten = 0;
    // Of a written file: values that keep their lines from being split back.
    lines::SplitProblems splitProblems;

    bool written() const { return status == Status::Written; }
    static ExportOutcome Failure(int label, const QString& description) {
        return ExportOutcome{Status::Failed, label, description, 0, {}};
    }
    static ExportOutcome StoppedByUser() { return ExportOutcome{Status::Stopped, 0, QString(), 0, {}}; }
};

}  // namespace exporter
