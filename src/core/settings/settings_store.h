#pragma once

#include <QString>

#include "process/unique_descriptor.h"
#include "settings/ini_text.h"

namespace settings {

// The per-user settings store: an INI file named after the application name
// "Kestrafel" in the user's configuration folder, with every entry in the
// section "Tablewright". It holds a password in the clear, so the file is
// kept readable by its owner only.
//
// The file is found a name at a time (see files::ResolvePath),
// following only links of the user's own (or root's), opened without
// following a link and without waiting (a named pipe there would wait for
// ever), and used only when it is a regular file. It is saved by writing a
// new private file beside it that takes its place, so that nothing another
// user planted there is written through and nothing but the store's own file
// ever has its permissions changed. A file that cannot be used gives the
// defaults, and is left as it is: nothing is saved over it.
class SettingsStore {
public:
    // ReadOnly: for a program that only reads the login values; a missing
    // file is not created and nothing is saved.
    enum class Access { ReadWrite, ReadOnly };
    explicit SettingsStore(Access access = Access::ReadWrite);  // the user's own store
    // A store at a path of our choosing.
    explicit SettingsStore(QString filePath, Access access = Access::ReadWrite);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // $XDG_CONFIG_HOME/Kestrafel.ini (normally ~/.config/Kestrafel.ini).
    static QString DefaultFilePath();

    // The stored text, or the default when the key is missing. A stored empty
    // text reads back as empty. The default is not written back.
    QString Read(const QString& key, const QString& defaultValue) const;
    // Writes the text at once; values round-trip exactly, blanks included.
    void Write(const QString& key, const QString& value);

    const QString& filePath() const { return filePath_; }

    // Whether the file could be read when the store was opened: one that
    // cannot be read or used (a folder, a pipe, a link another user made)
    // gives the defaults; of a malformed one, what could be read is used.
    enum class FileState { Read, Unreadable, Malformed };
    FileState fileState() const { return state_; }
    // Why, in words, for a warning; empty for FileState::Read.
    const QString& problem() const { return problem_; }
    // The warning both programs show: the file, what is wrong with it, and
    // that the defaults take the place of what could not be read.
    QString WarningText() const;

private:
    void Open();
    void Refuse(FileState state, const QString& problem);
    void Save();

    QString filePath_;
    Access access_;
    process::UniqueDescriptor folder_;  // the folder that holds the file
    QByteArray name_;                   // the file's name in it
    IniSection content_;
    FileState state_ = FileState::Read;
    QString problem_;
    bool saves_ = false;  // the file is the user's own and was read whole
};

}  // namespace settings
