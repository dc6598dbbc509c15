#include "settings/settings_store.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/logging.h"
#include "files/error_text.h"
#include "files/replacing_file.h"
#include "files/resolved_path.h"
#include "settings/folder_lock.h"

namespace settings {
namespace {

const QString kSection = QStringLiteral("Tablewright");
// More than any store of five login values could hold.
constexpr qsizetype kLargestFile = 1 << 20;

bool ReadAll(int descriptor, QByteArray& text) {
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        text.append(buffer, got);
        if (text.size() > kLargestFile) {
            errno = EFBIG;
            return false;
        }
    }
}

bool WriteAll(int descriptor, const QByteArray& text) {
    const char* data = text.constData();
    std::size_t left = static_cast<std::size_t>(text.size());
    while (left > 0) {
        const ssize_t written = ::write(descriptor, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

struct SettingsStore::Target {
    process::UniqueDescriptor folder;  // the folder that holds the file
    QByteArray name;                   // the file's name in it
    QString filePath;                  // for warnings
};

QString SettingsStore::DefaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Kestrafel.ini");
}

SettingsStore::SettingsStore(Access access) : SettingsStore(DefaultFilePath(), access) {}

SettingsStore::SettingsStore(QString filePath, Access access) : filePath_(std::move(filePath)), access_(access) {
    Open();
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::Refuse(FileState state, const QString& problem) {
    state_ = state;
    problem_ = problem;
    saves_ = false;
    qCDebug(lcUi).noquote() << "settings file" << filePath_ << "not used:" << problem;
}

void SettingsStore::Open() {
    if (access_ == Access::ReadWrite) QDir().mkpath(QFileInfo(filePath_).absolutePath());
    files::ResolvedPath target;
    QString problem;
    if (!files::ResolvePath(QFile::encodeName(filePath_), target, problem, files::LinkRule::OwnLinksOnly))
        return Refuse(FileState::Unreadable, problem);
    target_ = std::make_shared<Target>();
    target_->folder = std::move(target.folder);
    target_->name = target.name;
    target_->filePath = filePath_;
    const int folder = target_->folder.get();
    const char* name = target_->name.constData();
    if (target.kind == files::ResolvedPath::Kind::Missing) {
        if (access_ == Access::ReadOnly) return;
        // Created private before anything is written to it.
        process::UniqueDescriptor created(
            ::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        saves_ = created.valid();
        return;
    }
    if (target.kind != files::ResolvedPath::Kind::RegularFile)
        return Refuse(FileState::Unreadable, QStringLiteral("it is not a regular file"));
    // Without following a link and without waiting, whatever was put there
    // since it was looked at.
    const process::UniqueDescriptor file(::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid()) return Refuse(FileState::Unreadable, files::ErrorText(errno));
    struct stat status = {};
    if (::fstat(file.get(), &status) != 0) return Refuse(FileState::Unreadable, files::ErrorText(errno));
    if (!S_ISREG(status.st_mode)) return Refuse(FileState::Unreadable, QStringLiteral("it is not a regular file"));
    QByteArray text;
    if (!ReadAll(file.get(), text)) return Refuse(FileState::Unreadable, files::ErrorText(errno));
    const bool own = status.st_uid == ::geteuid();
    // Only the user's own file is made private; another's is only read.
    if (own && (status.st_mode & 077) != 0) ::fchmod(file.get(), 0600);
    content_ = ParseIniSection(text, kSection);
    if (content_.malformed) return Refuse(FileState::Malformed, QStringLiteral("some of its lines cannot be read"));
    saves_ = own && access_ == Access::ReadWrite;
}

QString SettingsStore::WarningText() const {
    switch (state_) {
    case FileState::Read: return QString();
    case FileState::Malformed:
        return QStringLiteral(
                   "the settings file %1 has lines that cannot be read; the defaults take the place of what they "
                   "held, and the file is left as it is")
            .arg(filePath_);
    case FileState::Unreadable: break;
    }
    return QStringLiteral(
               "the settings file %1 cannot be used (%2); the login values are the defaults, and the file "
               "is left as it is")
        .arg(filePath_, problem_);
}

QString SettingsStore::Read(const QString& key, const QString& defaultValue) const {
    QString value;
    return content_.Find(key, value) ? value : defaultValue;
}

void SettingsStore::Write(const QString& key, const QString& value) {
    Change(key, value);
    TakeChanges().Save();
}

void SettingsStore::Change(const QString& key, const QString& value) {
    QString held;
    if (content_.Find(key, held) && held == value) return;
    content_.Set(key, value);
    for (QPair<QString, QString>& entry : changed_) {
        if (entry.first == key) {
            entry.second = value;
            return;
        }
    }
    changed_.append({key, value});
}

SettingsStore::Changes SettingsStore::TakeChanges() {
    Changes changes;
    if (!saves_) {
        changed_.clear();
        return changes;
    }
    changes.target_ = target_;
    changes.entries_ = std::exchange(changed_, {});
    return changes;
}

void SettingsStore::Changes::Absorb(Changes later) {
    if (!target_) target_ = std::move(later.target_);
    for (QPair<QString, QString>& change : later.entries_) {
        const auto same = std::find_if(entries_.begin(), entries_.end(),
                                       [&change](const auto& entry) { return entry.first == change.first; });
        if (same != entries_.end())
            same->second = std::move(change.second);
        else
            entries_.append(std::move(change));
    }
}

namespace {

// The file's text as it is now, for a save to set its keys in; false (errno
// or the problem set) when it is not the user's own regular file any more
// or cannot be read whole. A missing file reads as empty.
bool ReadForSave(int folder, const QByteArray& name, IniSection& content, QString& problem) {
    const process::UniqueDescriptor file(
        ::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid()) {
        if (errno == ENOENT) return true;
        problem = files::ErrorText(errno);
        return false;
    }
    struct stat status = {};
    if (::fstat(file.get(), &status) != 0) {
        problem = files::ErrorText(errno);
        return false;
    }
    if (!S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
        problem = QStringLiteral("it is no longer a file of the user's own");
        return false;
    }
    QByteArray text;
    if (!ReadAll(file.get(), text)) {
        problem = files::ErrorText(errno);
        return false;
    }
    content = ParseIniSection(text, kSection);
    if (content.malformed) {
        problem = QStringLiteral("some of its lines cannot be read");
        return false;
    }
    return true;
}

// How long a save waits for another one to end: a save of five values
// takes milliseconds, so this is one that hangs.
constexpr std::chrono::milliseconds kLockWait{2000};

// How old a temporary file of a save must be before a later save takes it
// for one that was killed: no save of five values takes that long.
constexpr time_t kStaleAfterSeconds = 600;

// Removes what saves killed outright left beside the store: where the file
// system cannot make a file without a name, and from versions that always
// named it, ".NAME.tablewright-XXXX.partial", with a password in it. Only
// the user's own regular files of that name, old enough that no save still
// writes them, are removed; a link is never followed, only left.
void RemoveStaleSaves(int folder, const QByteArray& name) {
    const QByteArray prefix = '.' + name + ".tablewright-";
    const QByteArray suffix = ".partial";
    // A descriptor of its own that can be listed (the folder's may be O_PATH).
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (listed < 0) return;
    const std::unique_ptr<DIR, int (*)(DIR*)> entries(::fdopendir(listed), ::closedir);
    if (!entries) {
        ::close(listed);
        return;
    }
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(entries.get())) {
        const QByteArray found(entry->d_name);
        if (!found.startsWith(prefix) || !found.endsWith(suffix)) continue;
        struct stat status = {};
        if (::fstatat(folder, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) continue;
        if (now - status.st_mtime < kStaleAfterSeconds) continue;
        ::unlinkat(folder, entry->d_name, 0);
    }
}

}  // namespace

// A new private file beside the old one takes its place, so that a crash
// leaves the one or the other, and nothing at the file's name is written
// through; until then it has no name where the file system allows, so that
// a save killed outright leaves nothing behind.
bool SettingsStore::Changes::Save() const {
    if (empty() || !target_) return true;
    const int folder = target_->folder.get();
    const QByteArray& name = target_->name;
    // From the read to the rename, no other save of ours comes between.
    const FolderLock lock(folder, kLockWait);
    if (!lock.held()) qCWarning(lcUi).noquote() << "saving the settings file" << target_->filePath << "unlocked";
    IniSection content;
    QString problem;
    if (!ReadForSave(folder, name, content, problem)) {
        qCWarning(lcUi).noquote() << "cannot save the settings file" << target_->filePath << ":" << problem;
        return false;
    }
    for (const auto& [key, value] : entries_) content.Set(key, value);
    files::ReplacingFile file;
    if (file.Create(folder, name, 0600) && WriteAll(file.descriptor(), ComposeIniSection(content, kSection)) &&
        file.Commit()) {
        RemoveStaleSaves(folder, name);
        return true;
    }
    qCWarning(lcUi).noquote() << "cannot save the settings file" << target_->filePath << ":" << files::ErrorText(errno);
    return false;
}

}  // namespace settings
