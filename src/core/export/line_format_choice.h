#pragma once

#include <memory>
#include <vector>

#include "db/column_info.h"
#include "export/export_request.h"
#include "lines/line_writer.h"
#include "lines/output_buffer.h"
#include "lines/value_style.h"

namespace exporter {

// The line format a request asks for, writing into `chunks`: the one place
// that picks a lines::LineWriter. Today every export is delimited.
std::unique_ptr<lines::LineWriter> MakeLineWriter(const ExportRequest& request,
                                                  const std::vector<db::ColumnInfo>& columns,
                                                  const lines::ValueStyle& style, lines::BufferDrain& chunks);

}  // namespace exporter
