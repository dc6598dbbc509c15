#pragma once

#include <cstddef>
#include <memory>

#include <QByteArray>

#include "lines/output_buffer.h"

namespace lines {

// Turns UTF-8 text into the character set of a legacy (non-UTF-8) locale,
// such as ISO-8859-1. A character the set cannot hold becomes "?".
class Transcoder {
public:
    ~Transcoder();
    Transcoder(const Transcoder&) = delete;
    Transcoder& operator=(const Transcoder&) = delete;

    // A transcoder into the named character set ("ISO-8859-1"); none for
    // UTF-8 or plain ASCII, whose files take the server's UTF-8 as it is,
    // nor for a set the system cannot convert to.
    static std::shared_ptr<const Transcoder> ForCharacterSet(const QByteArray& name);
    // The same for the character set of the user's locale (LC_CTYPE).
    static std::shared_ptr<const Transcoder> ForSystem();

    void Append(OutputBuffer& out, const char* utf8, std::size_t length) const;
    QByteArray Convert(const QByteArray& utf8) const;

private:
    explicit Transcoder(void* descriptor) : descriptor_(descriptor) {}
    void* descriptor_;  // iconv_t; converting changes its state, so one thread at a time
};

}  // namespace lines
