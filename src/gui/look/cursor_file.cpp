#include "look/cursor_file.h"

#include <stdexcept>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

namespace look {
namespace {

// The file header and its first directory entry, as Windows lays them out.
constexpr int kHeaderSize = 6;
constexpr int kEntrySize = 16;
constexpr quint16 kIconType = 1;
constexpr quint16 kCursorType = 2;

quint16 Word(const QByteArray& bytes, int offset) { return qFromLittleEndian<quint16>(bytes.constData() + offset); }

std::runtime_error CursorError(const QString& path, const QString& reason) {
    return std::runtime_error(
        QStringLiteral("The cursor file %1 %2.").arg(QDir::toNativeSeparators(path), reason).toStdString());
}

}  // namespace

QCursor ReadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw CursorError(path, QStringLiteral("cannot be read: ") + file.errorString());
    QByteArray bytes = file.readAll();

    if (bytes.size() < kHeaderSize + kEntrySize) throw CursorError(path, QStringLiteral("is too short"));
    const quint16 reserved = Word(bytes, 0);
    const quint16 type = Word(bytes, 2);
    const quint16 count = Word(bytes, 4);
    if (reserved != 0 || (type != kCursorType && type != kIconType) || count == 0)
        throw CursorError(path, QStringLiteral("is not a cursor file"));

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, type == kCursorType ? "cur" : "ico");
    const QImage image = reader.read();
    if (image.isNull()) throw CursorError(path, QStringLiteral("holds no readable image: ") + reader.errorString());

    // In a cursor file the first entry's "planes" and "bit count" words are
    // the hotspot.
    int hotX = image.width() / 2;
    int hotY = image.height() / 2;
    if (type == kCursorType) {
        hotX = qMin<int>(Word(bytes, kHeaderSize + 4), image.width() - 1);
        hotY = qMin<int>(Word(bytes, kHeaderSize + 6), image.height() - 1);
    }
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

}  // namespace look
