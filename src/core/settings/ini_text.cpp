#include "settings/ini_text.h"

#include <cctype>

#include <QStringDecoder>

namespace settings {
namespace {

bool IsHexDigit(char32_t c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

int HexValue(char32_t c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
    return static_cast<int>(c - 'A' + 10);
}

// A line without the blanks QSettings drops around it: the ASCII ones only.
// A no-break space, U+3000 or a line separator at the end of a value that
// QSettings wrote unquoted is part of the value.
QString TrimmedAsQSettingsDoes(const QString& line) {
    const auto blank = [](QChar c) {
        return c.unicode() < 0x80 && std::isspace(static_cast<unsigned char>(c.unicode()));
    };
    qsizetype start = 0;
    qsizetype end = line.size();
    while (start < end && blank(line.at(start))) ++start;
    while (end > start && blank(line.at(end - 1))) --end;
    return line.mid(start, end - start);
}

// A value as QSettings reads it: escapes (\n, \", \xHH..., \OOO), parts in
// double quotes kept whole, blanks around unquoted parts dropped, a comma
// outside quotes between the items of a list. False for an open quote.
bool UnescapeItems(const QString& raw, QStringList& items) {
    QString item;
    QString pendingBlanks;  // unquoted blanks, kept only when more follows
    bool quoted = false;
    bool started = false;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            item += pendingBlanks;
            pendingBlanks.clear();
            started = true;
            continue;
        }
        if (!quoted && c == QLatin1Char(',')) {
            items << item;
            item.clear();
            pendingBlanks.clear();
            started = false;
            continue;
        }
        if (!quoted && (c == QLatin1Char(' ') || c == QLatin1Char('\t'))) {
            if (started) pendingBlanks += c;
            continue;
        }
        item += pendingBlanks;
        pendingBlanks.clear();
        started = true;
        if (c != QLatin1Char('\\') || i + 1 == raw.size()) {
            item += c;
            continue;
        }
        const QChar next = raw.at(++i);
        switch (next.unicode()) {
        case 'a': item += QLatin1Char('\a'); break;
        case 'b': item += QLatin1Char('\b'); break;
        case 'f': item += QLatin1Char('\f'); break;
        case 'n': item += QLatin1Char('\n'); break;
        case 'r': item += QLatin1Char('\r'); break;
        case 't': item += QLatin1Char('\t'); break;
        case 'v': item += QLatin1Char('\v'); break;
        case 'x': {
            char32_t code = 0;
            while (i + 1 < raw.size() && IsHexDigit(raw.at(i + 1).unicode()) && code <= 0x10FFFF)
                code = code * 16 + static_cast<char32_t>(HexValue(raw.at(++i).unicode()));
            item += QString::fromUcs4(&code, 1);
            break;
        }
        default:
            if (next >= QLatin1Char('0') && next <= QLatin1Char('7')) {
                char32_t code = static_cast<char32_t>(next.unicode() - '0');
                while (i + 1 < raw.size() && raw.at(i + 1) >= QLatin1Char('0') && raw.at(i + 1) <= QLatin1Char('7'))
                    code = code * 8 + static_cast<char32_t>(raw.at(++i).unicode() - '0');
                item += QString::fromUcs4(&code, 1);
            } else {
                item += next;  // \" \\ \' \? and the rest stand for themselves
            }
        }
    }
    items << item;
    return !quoted;
}

// A value written so that QSettings reads it back as the same text.
QByteArray Escaped(const QString& value) {
    QString text = value.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + value : value;
    QString out;
    // A value that begins or ends in a blank keeps it inside quotes, also a
    // blank beyond ASCII (a no-break space, U+3000, a line separator...) that
    // a reader less careful than QSettings might trim.
    bool needsQuotes = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
    bool afterHex = false;  // a hex digit after \xHH would join it
    for (const QChar c : std::as_const(text)) {
        const char16_t u = c.unicode();
        if (u == ';' || u == ',' || u == '=' || u == '"') needsQuotes = true;
        if (afterHex && IsHexDigit(u)) {
            out += QStringLiteral("\\x%1").arg(static_cast<int>(u), 0, 16);
            continue;
        }
        afterHex = false;
        switch (u) {
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case '"': out += QStringLiteral("\\\""); break;
        case '\\': out += QStringLiteral("\\\\"); break;
        default:
            if (u < 0x20 || u == 0x7F) {
                out += QStringLiteral("\\x%1").arg(static_cast<int>(u), 0, 16);
                afterHex = true;
            } else {
                out += c;
            }
        }
    }
    if (needsQuotes) out = QLatin1Char('"') + out + QLatin1Char('"');
    return out.toUtf8();
}

}  // namespace

bool IniSection::Find(const QString& key, QString& value) const {
    for (const auto& entry : entries) {
        if (entry.first == key) {
            value = entry.second;
            return true;
        }
    }
    return false;
}

void IniSection::Set(const QString& key, const QString& value) {
    for (auto& entry : entries) {
        if (entry.first == key) {
            entry.second = value;
            return;
        }
    }
    entries.append({key, value});
}

IniSection ParseIniSection(const QByteArray& text, const QString& section) {
    IniSection content;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8(text);
    if (utf8.hasError() || text.contains('\0')) content.malformed = true;
    bool inSection = false;
    bool inOther = false;  // lines of another section, kept as they are
    for (const QString& rawLine : decoded.split(QLatin1Char('\n'))) {
        const QString line = TrimmedAsQSettingsDoes(rawLine);
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line == QLatin1Char('[') + section + QLatin1Char(']');
            inOther = !inSection;
            if (!line.endsWith(QLatin1Char(']'))) content.malformed = true;
        }
        if (inOther) {
            if (!rawLine.isEmpty()) content.otherText += rawLine.toUtf8() + '\n';
            continue;
        }
        if (inSection && line.startsWith(QLatin1Char('['))) continue;
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#'))) continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        QStringList items;
        if (equals <= 0 || !UnescapeItems(line.mid(equals + 1), items)) {
            content.malformed = true;
            continue;
        }
        if (!inSection) {
            // Keys before any section: "General" to QSettings, not ours.
            content.otherText += rawLine.toUtf8() + '\n';
            continue;
        }
        QString value = items.size() == 1 ? items.front() : QString();
        if (value.startsWith(QStringLiteral("@@"))) value.remove(0, 1);
        content.Set(line.left(equals).trimmed(), value);
    }
    return content;
}

QByteArray ComposeIniSection(const IniSection& content, const QString& section) {
    QByteArray text = content.otherText;
    if (!text.isEmpty()) text += '\n';
    text += '[' + section.toUtf8() + "]\n";
    for (const auto& entry : content.entries) text += entry.first.toUtf8() + '=' + Escaped(entry.second) + '\n';
    return text;
}

}  // namespace settings
