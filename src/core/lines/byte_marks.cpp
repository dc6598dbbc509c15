#include "lines/byte_marks.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace lines {
namespace {

// Sixteen bytes compared at once, in the compiler's portable vectors (SSE2
// on x86-64, NEON on ARM).
using Block = unsigned char __attribute__((vector_size(16)));
constexpr std::size_t kBlock = sizeof(Block);

Block Load(const char* bytes) {
    Block block;
    std::memcpy(&block, bytes, kBlock);
    return block;
}

// Whether any lane of a comparison's result is set.
template <class Lanes>
bool Any(Lanes lanes) {
    static_assert(sizeof lanes == kBlock);
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    std::memcpy(&low, &lanes, sizeof low);
    std::memcpy(&high, reinterpret_cast<const char*>(&lanes) + sizeof low, sizeof high);
    return (low | high) != 0;
}

}  // namespace

void ByteMarks::Mark(char byte, unsigned char mark) {
    const auto value = static_cast<unsigned char>(byte);
    if (marks_[value] == 0) {
        if (byteCount_ == kMostBytes) throw std::logic_error("ByteMarks: too many bytes to look for");
        bytes_[byteCount_++] = value;
    }
    marks_[value] |= mark;
}

unsigned char ByteMarks::Seen(const char* bytes, std::size_t count) const {
    if (byteCount_ == 0) return 0;
    unsigned char seen = 0;
    if (count >= kBlock) {
        // Unused places look for the first byte again, which costs nothing.
        Block wanted[kMostBytes];
        for (std::size_t i = 0; i < kMostBytes; ++i) {
            const unsigned char byte = bytes_[i < byteCount_ ? i : 0];
            wanted[i] = Block{} + byte;
        }
        unsigned char all = 0;
        for (std::size_t i = 0; i < byteCount_; ++i) all |= marks_[bytes_[i]];
        // The last block may overlap the one before: a byte seen twice is
        // the same mark.
        for (std::size_t offset = 0;; offset += kBlock) {
            if (offset + kBlock > count) offset = count - kBlock;
            const Block block = Load(bytes + offset);
            if (Any((block == wanted[0]) | (block == wanted[1]) | (block == wanted[2]) | (block == wanted[3]))) {
                for (std::size_t i = 0; i < byteCount_; ++i)
                    if (Any(block == wanted[i])) seen |= marks_[bytes_[i]];
                if (seen == all) return seen;
            }
            if (offset + kBlock == count) return seen;
        }
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < count; ++i) seen |= marks_[data[i]];
    return seen;
}

}  // namespace lines
