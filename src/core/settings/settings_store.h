#pragma once

#include <memory>

#include <QString>

class QSettings;

namespace settings {

// The per-user settings store: an INI file named after the application name
// "Kestrafel" in the user's configuration folder, with every entry in the
// section "Tablewright". It holds a password in the clear, so the file is
// kept readable by its owner only.
class SettingsStore {
public:
    SettingsStore();                           // the user's own store
    explicit SettingsStore(QString filePath);  // a store at a path of our choosing
    ~SettingsStore();

    // $XDG_CONFIG_HOME/Kestrafel.ini (normally ~/.config/Kestrafel.ini).
    static QString DefaultFilePath();

    // The stored text, or the default when the key is missing. A stored empty
    // text reads back as empty. The default is not written back.
    QString Read(const QString& key, const QString& defaultValue) const;
    // Writes the text at once; values round-trip exactly, blanks included.
    void Write(const QString& key, const QString& value);

    const QString& filePath() const { return filePath_; }

    // Whether the file could be read when the store was opened: a file that
    // cannot be read gives the defaults; of a malformed one, what could be
    // read is used.
    enum class FileState { Read, Unreadable, Malformed };
    FileState fileState() const;

private:
    void KeepPrivate() const;

    QString filePath_;
    std::unique_ptr<QSettings> settings_;
};

}  // namespace settings
