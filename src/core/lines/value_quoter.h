#pragma once

#include <cstddef>

#include <QByteArray>

#include "lines/byte_marks.h"
#include "lines/output_buffer.h"

namespace lines {

// Whether values are enclosed in double quotes, with the quotes inside them
// doubled (RFC 4180), so that a reader can split every line back into its
// fields.
enum class Quoting {
    None,        // every value as it is (the wizard's file)
    WhenNeeded,  // a value that holds the separator, a double quote, CR or LF
    Always,      // every value but NULL, so that NULL and the empty text differ
};

// How the values of one column are quoted.
struct ColumnQuoting {
    bool enclose = false;  // every value, whatever it holds
    bool scan = false;     // its bytes are looked at: enclosed or doubled when they ask for it

    bool any() const { return enclose || scan; }
};

// The quoting step around a value's bytes in the delimited writer's buffer.
//
// A value of at most kWholeValue bytes as the server sends it is written in
// place and then looked at: enclosed when it needs it, its quotes doubled.
// A longer one may reach the file in pieces and cannot be looked at ahead, so
// it is always enclosed (still RFC 4180), its quotes doubled as the pieces
// pass.
class ValueQuoter final : private BufferDrain {
public:
    static constexpr std::size_t kWholeValue = std::size_t{64} << 10;

    ValueQuoter(Quoting quoting, const QByteArray& separator);
    ValueQuoter(const ValueQuoter&) = delete;
    ValueQuoter& operator=(const ValueQuoter&) = delete;

    bool active() const { return quoting_ != Quoting::None; }
    // `mayHold` tells whether a value of the column can hold a byte.
    template <class MayHold>
    ColumnQuoting ForColumn(const MayHold& mayHold) const {
        const bool quote = mayHold('"');
        switch (quoting_) {
        case Quoting::None: return {};
        case Quoting::Always: return {true, quote};
        case Quoting::WhenNeeded:
            return {false, quote || mayHold('\r') || mayHold('\n') || (hasSeparator_ && mayHold(separatorStart_))};
        }
        return {};
    }

    // A whole value: Begin before its bytes go to `out`, End after. Between
    // the two the buffer is never handed on, so the value can be changed in
    // place.
    std::size_t Begin(OutputBuffer& out, ColumnQuoting quoting) {
        if (out.capacity() - out.size() < kRoom) out.flush();
        if (quoting.enclose) out.append('"');
        return out.size();
    }
    void End(OutputBuffer& out, std::size_t start, ColumnQuoting quoting);

    // A value in pieces: what Begin returns takes its bytes; End closes it.
    OutputBuffer& BeginPieces(OutputBuffer& out, ColumnQuoting quoting) {
        out.append('"');
        if (!quoting.scan) return out;
        target_ = &out;
        return pieces_;
    }
    void EndPieces(OutputBuffer& out) {
        pieces_.flush();
        out.append('"');
    }

private:
    // Room a value of kWholeValue bytes needs at most, with every byte
    // doubled twice over: as hexadecimal or in a legacy multi-byte character
    // set it takes at most twice its bytes, and quoting at most doubles that.
    static constexpr std::size_t kRoom = std::size_t{1} << 20;
    static constexpr unsigned char kQuoteMark = 1;
    static constexpr unsigned char kOtherMark = 2;

    // The pieces of a long value, with their quotes doubled, go to target_.
    void Drain(const char* bytes, std::size_t count) override;

    Quoting quoting_;
    bool hasSeparator_;
    char separatorStart_;
    ByteMarks marks_;
    OutputBuffer pieces_;
    OutputBuffer* target_ = nullptr;
};

}  // namespace lines
