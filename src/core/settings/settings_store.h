#pragma once

#include <memory>

#include <QList>
#include <QPair>
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
//
// A save writes only the keys this store changed since its last save, into
// the file as it is at that moment: what another program (or a second
// wizard) wrote to other keys and other sections is kept.
class SettingsStore {
    struct Target;

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
    // Takes the text as the key's value without saving it; a value equal to
    // the one the store holds is no change.
    void Change(const QString& key, const QString& value);

    // The changes not saved yet, taken out of the store so that they can be
    // saved elsewhere, on another thread: Save() touches nothing of the
    // store, only the file, and may outlive the store.
    class Changes {
    public:
        bool empty() const { return entries_.isEmpty(); }
        // Reads the file as it is now, sets the changed keys in it and puts
        // the result in its place; false (with a warning logged) when the
        // file cannot be read or saved, or is no longer the user's own file.
        // A save that succeeds removes the temporary files that saves killed
        // outright left beside the store long ago.
        bool Save() const;
        // Takes in changes taken later from the same store: their values
        // replace these where both change a key.
        void Absorb(Changes later);

    private:
        friend class SettingsStore;
        std::shared_ptr<const Target> target_;
        QList<QPair<QString, QString>> entries_;
    };
    Changes TakeChanges();
    bool hasChanges() const { return !changed_.isEmpty(); }

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

    QString filePath_;
    Access access_;
    std::shared_ptr<Target> target_;  // the file, found at opening
    IniSection content_;
    QList<QPair<QString, QString>> changed_;  // not saved yet, in the order of their first change
    FileState state_ = FileState::Read;
    QString problem_;
    bool saves_ = false;  // the file is the user's own and was read whole
};

}  // namespace settings
