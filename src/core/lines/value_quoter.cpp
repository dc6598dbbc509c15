#include "lines/value_quoter.h"

#include <algorithm>
#include <cstring>

namespace lines {
namespace {

// What a long value's pieces collect in before their quotes are doubled.
constexpr std::size_t kPieces = std::size_t{64} << 10;

}  // namespace

ValueQuoter::ValueQuoter(Quoting quoting, const QByteArray& separator)
    : quoting_(quoting),
      hasSeparator_(!separator.isEmpty()),
      separatorStart_(hasSeparator_ ? separator.front() : '\0'),
      pieces_(kPieces, this) {
    marks_.Mark('"', kQuoteMark);
    if (quoting_ != Quoting::WhenNeeded) return;
    marks_.Mark('\r', kOtherMark);
    marks_.Mark('\n', kOtherMark);
    // Of a separator of several bytes, its first is enough to enclose the
    // value: a value without it can never join the separator after it into
    // one that a reader takes for the real one.
    if (hasSeparator_) marks_.Mark(separatorStart_, kOtherMark);
}

void ValueQuoter::End(OutputBuffer& out, std::size_t start, ColumnQuoting quoting) {
    const std::size_t end = out.size();
    const unsigned char seen = quoting.scan ? marks_.Seen(out.data() + start, end - start) : 0;
    const bool open = !quoting.enclose && seen != 0;
    if (!quoting.enclose && !open) return;
    const std::size_t quotes =
        (seen & kQuoteMark) != 0 ? static_cast<std::size_t>(std::count(out.data() + start, out.data() + end, '"')) : 0;
    const std::size_t grow = quotes + (open ? 1 : 0);
    if (grow != 0) {
        // Within the room Begin made: nothing is handed on meanwhile.
        char* const base = out.tail(grow) - end;
        char* const first = base + start;
        if (quotes == 0) {
            std::memmove(first + 1, first, end - start);
        } else {
            // From the back, each quote written twice.
            char* from = base + end;
            char* to = from + grow;
            while (from != first) {
                const char byte = *--from;
                *--to = byte;
                if (byte == '"') *--to = '"';
            }
        }
        if (open) *first = '"';
        out.advance(grow);
    }
    out.append('"');
}

void ValueQuoter::Drain(const char* bytes, std::size_t count) {
    while (count != 0) {
        const void* quote = std::memchr(bytes, '"', count);
        if (quote == nullptr) {
            target_->append(bytes, count);
            return;
        }
        const auto through = static_cast<std::size_t>(static_cast<const char*>(quote) - bytes) + 1;
        target_->append(bytes, through);
        target_->append('"');
        bytes += through;
        count -= through;
    }
}

}  // namespace lines
