#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace settings {

// The text of one section of an INI file as QSettings writes it (and as the
// earlier versions of the store wrote it through QSettings): "[Section]",
// then one "key=value" a line, the values escaped as QSettings escapes them.
// Everything outside the section is kept as it was.
struct IniSection {
    QList<QPair<QString, QString>> entries;  // in file order
    QByteArray otherText;                    // the lines of other sections
    bool malformed = false;                  // some line could not be read

    // The value of a key; false when it is missing.
    bool Find(const QString& key, QString& value) const;
    void Set(const QString& key, const QString& value);
};

// Reads the named section out of the file's bytes; what cannot be read is
// left out and marks the whole as malformed.
IniSection ParseIniSection(const QByteArray& text, const QString& section);

// The file's bytes: the other sections as they were, then the section.
QByteArray ComposeIniSection(const IniSection& content, const QString& section);

}  // namespace settings
