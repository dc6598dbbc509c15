#include "export/line_format_choice.h"

#include "lines/delimited_writer.h"

namespace exporter {

std::unique_ptr<lines::LineWriter> MakeLineWriter(const ExportRequest& request,
                                                  const std::vector<db::ColumnInfo>& columns,
                                                  const lines::ValueStyle& style, lines::BufferDrain& chunks) {
    lines::DelimitedLayout layout;
    layout.separator = request.separatorBytes ? *request.separatorBytes : style.Encode(request.separator);
    layout.header = request.header;
    layout.quoting = request.quoting;
    return std::make_unique<lines::DelimitedWriter>(columns, style, std::move(layout), chunks);
}

}  // namespace exporter
