#include "lines/transcoder.h"

#include <algorithm>
#include <cerrno>
#include <clocale>

#include <iconv.h>
#include <langinfo.h>

namespace lines {
namespace {

iconv_t Handle(void* descriptor) { return static_cast<iconv_t>(descriptor); }

// How many bytes of the input stand for one character that cannot be
// written: a whole well-formed UTF-8 sequence, or else one byte, so that a
// broken sequence never swallows the characters after it.
std::size_t UnwritableLength(const char* at, std::size_t left) {
    const auto lead = static_cast<unsigned char>(at[0]);
    const std::size_t length = lead >= 0xF8 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length > left) return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(at[i]) & 0xC0) != 0x80) return 1;
    return length;
}

// Input converted with one call. glibc's iconv converts a whole call's input
// into a buffer of its own before it finds a character the set cannot hold,
// and does it again for every such character: short pieces keep text full of
// them from taking minutes. They also bound the room asked of the buffer.
constexpr std::size_t kPiece = 256;

bool IsUtf8OrAscii(const QByteArray& name) {
    const QByteArray n = name.toUpper();
    return n.isEmpty() || n == "UTF-8" || n == "UTF8" || n == "ANSI_X3.4-1968" || n == "ASCII" || n == "US-ASCII";
}

}  // namespace

Transcoder::~Transcoder() { iconv_close(Handle(descriptor_)); }

std::shared_ptr<const Transcoder> Transcoder::ForCharacterSet(const QByteArray& name) {
    if (IsUtf8OrAscii(name)) return nullptr;
    iconv_t descriptor = iconv_open(name.constData(), "UTF-8");
    // NOLINTNEXTLINE(performance-no-int-to-ptr): (iconv_t)-1 is how iconv_open says it failed.
    if (descriptor == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return std::shared_ptr<const Transcoder>(new Transcoder(descriptor));
}

std::shared_ptr<const Transcoder> Transcoder::ForSystem() {
    // The application has taken the user's locale (setlocale) as it started.
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    if (current == nullptr) return nullptr;
    return ForCharacterSet(QByteArray(nl_langinfo(CODESET)));
}

void Transcoder::Append(OutputBuffer& out, const char* utf8, std::size_t length) const {
    iconv_t descriptor = Handle(descriptor_);
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(utf8);
    std::size_t inLeft = length;
    while (inLeft > 0) {
        const std::size_t piece = std::min(inLeft, kPiece);
        std::size_t pieceLeft = piece;
        // A single-byte set never needs more bytes than the UTF-8 input; a
        // wider one gets room to spare, and iconv says when it needs more.
        const std::size_t room = piece * 4 + 16;
        char* start = out.tail(room);
        char* next = start;
        std::size_t outLeft = room;
        const std::size_t result = iconv(descriptor, &in, &pieceLeft, &next, &outLeft);
        out.advance(static_cast<std::size_t>(next - start));
        inLeft -= piece - pieceLeft;
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        // A character cut by the end of the piece begins the next one.
        if (errno == EINVAL && pieceLeft < inLeft) continue;
        // EILSEQ (not in the set, or not UTF-8) or EINVAL (cut short): one
        // "?" stands for the character.
        out.append('?');
        const std::size_t skip = UnwritableLength(in, inLeft);
        in += skip;
        inLeft -= skip;
    }
}

QByteArray Transcoder::Convert(const QByteArray& utf8) const {
    OutputBuffer out(static_cast<std::size_t>(utf8.size()) * 4 + 16);
    Append(out, utf8.constData(), static_cast<std::size_t>(utf8.size()));
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

}  // namespace lines
