#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace settings {
namespace {
const QString kSection = QStringLiteral("Tablewright");
constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;
}  // namespace

QString SettingsStore::DefaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Kestrafel.ini");
}

SettingsStore::SettingsStore() : SettingsStore(DefaultFilePath()) {}

SettingsStore::SettingsStore(QString filePath) : filePath_(std::move(filePath)) {
    QDir().mkpath(QFileInfo(filePath_).absolutePath());
    // Create the file with owner-only rights before anything is written to it.
    if (!QFileInfo::exists(filePath_)) {
        QFile file(filePath_);
        if (file.open(QIODevice::WriteOnly)) file.close();
    }
    KeepPrivate();
    settings_ = std::make_unique<QSettings>(filePath_, QSettings::IniFormat);
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::Read(const QString& key, const QString& defaultValue) const {
    const QString fullKey = kSection + QLatin1Char('/') + key;
    if (!settings_->contains(fullKey)) return defaultValue;
    return settings_->value(fullKey).toString();
}

void SettingsStore::Write(const QString& key, const QString& value) {
    settings_->setValue(kSection + QLatin1Char('/') + key, value);
    settings_->sync();
    KeepPrivate();
}

SettingsStore::FileState SettingsStore::fileState() const {
    switch (settings_->status()) {
    case QSettings::AccessError: return FileState::Unreadable;
    case QSettings::FormatError: return FileState::Malformed;
    default: return FileState::Read;
    }
}

void SettingsStore::KeepPrivate() const {
    if (QFileInfo::exists(filePath_)) QFile::setPermissions(filePath_, kOwnerOnly);
}

}  // namespace settings
