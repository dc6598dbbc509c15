#pragma once

#include <array>
#include <cstddef>

namespace lines {

// Which of a few bytes that matter a run of bytes holds: the quoting step
// looks for double quotes, line breaks and the separator's first byte in
// every value of a text column, and most values hold none of them.
//
// Each byte that matters carries a mark (a bit); Seen() returns the marks
// of the bytes found. It compares sixteen bytes at a time and looks byte by
// byte only at the rest, as this scan is most of what a long text value costs.
class ByteMarks {
public:
    static constexpr std::size_t kMostBytes = 4;

    // Gives `byte` the mark `mark` as well. At most kMostBytes different
    // bytes can be marked.
    void Mark(char byte, unsigned char mark);

    unsigned char Seen(const char* bytes, std::size_t count) const;

private:
    std::array<unsigned char, 256> marks_ = {};
    std::array<unsigned char, kMostBytes> bytes_ = {};
    std::size_t byteCount_ = 0;
};

}  // namespace lines
