#pragma once

#include "db/binary_result.h"
#include "db/result.h"
#include "lines/split_check.h"

namespace lines {

// Turns the rows of an export into the lines of its file, in one line
// format. The export engine makes one per export and calls it once per row;
// what happens to each value stays inside the format, so a second format is
// a class of its own rather than a change to the engine.
//
// The bytes collect in a chunk that the writer hands to the drain it was
// made with once the chunk is full or flushed; a long value may reach the
// drain in pieces before its row ends.
class LineWriter {
public:
    virtual ~LineWriter() = default;

    // What comes before the first row: a header line, or nothing.
    virtual void WriteStart() = 0;
    virtual void WriteRow(const db::StreamingResult& row) = 0;
    virtual void WriteRow(db::BinaryResult& row) = 0;
    // What comes after the last row.
    virtual void WriteEnd() = 0;

    // The chunk is big enough to be handed on.
    virtual bool chunkFull() const = 0;
    // Hands on every byte written so far.
    virtual void Flush() = 0;

    // The values that keep a line from being split back into its fields;
    // none where the format encloses every value that could.
    virtual SplitProblems splitProblems() const { return {}; }

protected:
    LineWriter() = default;
    LineWriter(const LineWriter&) = default;
    LineWriter& operator=(const LineWriter&) = default;
};

}  // namespace lines
