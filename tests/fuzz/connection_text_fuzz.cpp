// Any text may reach the connection-text parser: a stored setting, a file
// someone edited. It may refuse the text (DbError) but must not crash, and
// the values it reads, or any five values, must come back unchanged through a
// connection text built from them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QByteArray>
#include <QList>
#include <QString>

#include "db/connection_text.h"
#include "db/db_error.h"

namespace {

void ExpectRoundTrip(const db::LoginValues& values) {
    if (!(db::ParseConnectionText(db::BuildConnectionText(values)) == values)) std::abort();
}

// Five values cut out of the input at NUL bytes.
db::LoginValues FiveValues(const QByteArray& input) {
    const QList<QByteArray> parts = input.split('\0');
    auto part = [&parts](qsizetype i) { return i < parts.size() ? QString::fromUtf8(parts[i]) : QString(); };
    return db::LoginValues{part(0), part(1), part(2), part(3), part(4)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ExpectRoundTrip(FiveValues(input));
    try {
        ExpectRoundTrip(db::ParseConnectionText(QString::fromUtf8(input)));
    } catch (const db::DbError&) {
        // A text that cannot be read is refused; that is all it may do.
    }
    return 0;
}
