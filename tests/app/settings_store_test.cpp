#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "settings/settings_store.h"

TEST(SettingsStore, EmptyStoreGivesTheReadersDefaultsWithoutWritingThem) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Kestrafel.ini");
    settings::SettingsStore store(path);
    EXPECT_EQ(store.Read(QStringLiteral("MyServer"), QStringLiteral("localhost")), QStringLiteral("localhost"));
    EXPECT_EQ(store.Read(QStringLiteral("MyPort"), QStringLiteral("3306")), QStringLiteral("3306"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("MyServer"));
}

TEST(SettingsStore, ValuesRoundTripExactlyAcrossInstances) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Kestrafel.ini");
    const QStringList values{QStringLiteral("  spaced  "), QStringLiteral("pa;ss=w{o}rd \"q\""),
                             QStringLiteral("ünïcødé ✓"), QStringLiteral("a,b"), QStringLiteral("#not a comment")};
    {
        settings::SettingsStore store(path);
        for (int i = 0; i < values.size(); ++i) store.Write(QStringLiteral("Key%1").arg(i), values[i]);
        store.Write(QStringLiteral("MyServer"), QString());
    }
    settings::SettingsStore again(path);
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(again.Read(QStringLiteral("Key%1").arg(i), QStringLiteral("default")), values[i]);
    // A stored empty text is a value, not a missing key.
    EXPECT_EQ(again.Read(QStringLiteral("MyServer"), QStringLiteral("localhost")), QString());
}

TEST(SettingsStore, FileIsGroupedUnderTheSectionAndReadableByItsOwnerOnly) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/sub/Kestrafel.ini");
    settings::SettingsStore store(path);
    store.Write(QStringLiteral("MyPassword"), QStringLiteral("secret"));
    EXPECT_EQ(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser), QFile::ReadOwner | QFile::WriteOwner);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    EXPECT_TRUE(content.contains("[Tablewright]")) << content.constData();
    EXPECT_TRUE(content.contains("MyPassword=secret")) << content.constData();
}

TEST(SettingsStore, TheFileIsPrivateFromTheMomentTheStoreIsOpened) {
    QTemporaryDir dir;
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    const QString fresh = dir.path() + QStringLiteral("/fresh.ini");
    const settings::SettingsStore created(fresh);
    EXPECT_EQ(QFile::permissions(fresh), ownerOnly);

    // One that others could read, with a password in it: only read, never written.
    const QString exposed = dir.path() + QStringLiteral("/exposed.ini");
    QFile file(exposed);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Tablewright]\nMyPassword=secret\n");
    file.close();
    QFile::setPermissions(exposed, ownerOnly | QFile::ReadGroup | QFile::ReadOther);
    const settings::SettingsStore opened(exposed);
    EXPECT_EQ(QFile::permissions(exposed), ownerOnly);
    EXPECT_EQ(opened.Read(QStringLiteral("MyPassword"), QString()), QStringLiteral("secret"));
}

TEST(SettingsStore, DefaultFileLivesInTheConfigurationFolder) {
    EXPECT_EQ(settings::SettingsStore::DefaultFilePath(),
              qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Kestrafel.ini"));
}
