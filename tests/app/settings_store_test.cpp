#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "files/replacing_file.h"
#include "settings/background_saves.h"
#include "settings/settings_store.h"
#include "support/test_files.h"

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
                             QStringLiteral("ünïcødé ✓"), QStringLiteral("a,b"), QStringLiteral("#not a comment"),
                             // Blanks at the ends that the reader would trim from a line.
                             QStringLiteral("pw\u00A0"), QStringLiteral("pw\u3000"), QStringLiteral("pw\u2028"),
                             QStringLiteral("pw\u0085"), QStringLiteral("\u2003pw")};
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

// Files written by QSettings (as earlier versions of the store wrote them)
// read back the same, and QSettings reads what the store writes.
TEST(SettingsStore, ReadsAndWritesTheTextQSettingsDoes) {
    QTemporaryDir dir;
    // Values people type, and values that look like the file's own syntax
    // or QSettings' escapes.
    const QStringList values{QStringLiteral("  spaced  "),
                             QStringLiteral("pa;ss=w,o\"r\\d"),
                             QStringLiteral("@at"),
                             QStringLiteral("@Variant(\\0\\0\\0\\x7f)"),
                             QStringLiteral("tab\tline\nbreak\x01"
                                            "f"),
                             QStringLiteral("ünï ✓"),
                             QString(),
                             QStringLiteral(" "),
                             QStringLiteral("\""),
                             QStringLiteral("\"quoted\""),
                             QStringLiteral("ends in a backslash\\"),
                             QStringLiteral("\\x41\\u0041\\n"),
                             QStringLiteral("[Section]"),
                             QStringLiteral("key=value"),
                             QStringLiteral(";not a comment"),
                             QStringLiteral("#not a comment"),
                             QStringLiteral("%20%U0041%"),
                             QStringLiteral("cr\rlf\r\n"),
                             QStringLiteral("\x7f\x1b[0m"),
                             QStringLiteral("emoji 😀 and 𝄞"),
                             QStringLiteral("right-to-left \u202Eabc"),
                             QStringLiteral("zero width \u200B\uFEFF"),
                             QStringLiteral("pw\u00A0"),
                             QStringLiteral("pw\u3000"),
                             QStringLiteral("pw\u2028"),
                             QStringLiteral("pw\u2029"),
                             QStringLiteral("pw\u0085"),
                             QStringLiteral("\u2003pw"),
                             QStringLiteral("\u00A0"),
                             QStringLiteral("\tpw\t"),
                             QStringLiteral("a,b,c"),
                             QStringLiteral("(1, 2)"),
                             QStringLiteral("true"),
                             QStringLiteral("1e999"),
                             QString(300, QLatin1Char('x'))};
    const QString byQt = dir.path() + QStringLiteral("/qt.ini");
    {
        QSettings qt(byQt, QSettings::IniFormat);
        for (int i = 0; i < values.size(); ++i) qt.setValue(QStringLiteral("Tablewright/K%1").arg(i), values[i]);
    }
    const settings::SettingsStore fromQt(byQt);
    EXPECT_EQ(fromQt.fileState(), settings::SettingsStore::FileState::Read);
    const QString byStore = dir.path() + QStringLiteral("/store.ini");
    settings::SettingsStore store(byStore);
    for (int i = 0; i < values.size(); ++i) {
        EXPECT_EQ(fromQt.Read(QStringLiteral("K%1").arg(i), QStringLiteral("-")), values[i]) << i;
        store.Write(QStringLiteral("K%1").arg(i), values[i]);
    }
    QSettings qt(byStore, QSettings::IniFormat);
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(qt.value(QStringLiteral("Tablewright/K%1").arg(i)).toString(), values[i]) << i;
}

// What is at the store's path and cannot be used: the defaults, a warning,
// and nothing written through it or changed; a named pipe is not waited on.
TEST(SettingsStore, WhatIsNoFileOfTheUsersOwnIsNeitherFollowedNorChanged) {
    QTemporaryDir dir;
    const QString target = dir.path() + QStringLiteral("/target");
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Tablewright]\nMyServer=target\n");
    file.close();
    ASSERT_EQ(chmod(QFile::encodeName(target).constData(), 0644), 0);
    const QString path = dir.path() + QStringLiteral("/Kestrafel.ini");
    const QByteArray bytes = QFile::encodeName(path);
    using State = settings::SettingsStore::FileState;
    const std::pair<std::function<bool()>, State> plants[] = {
        {[&] { return mkfifo(bytes.constData(), 0600) == 0; }, State::Unreadable},
        {[&] { return mkdir(bytes.constData(), 0700) == 0; }, State::Unreadable},
        {[&] { return file.setFileName(path), file.open(QIODevice::WriteOnly) && file.write("\xff\xfe[x\n") > 0; },
         State::Malformed},
        // Another user's link, as root can make one.
        {[&] { return geteuid() == 0 && symlink(target.toUtf8(), bytes) == 0 && lchown(bytes, 65534, 65534) == 0; },
         State::Unreadable},
    };
    for (const auto& [plant, state] : plants) {
        file.close();
        QDir(path).removeRecursively();
        QFile::remove(path);
        if (!plant()) continue;
        file.close();
        settings::SettingsStore store(path);
        EXPECT_EQ(store.fileState(), state) << store.problem().toStdString();
        EXPECT_TRUE(store.WarningText().contains(path)) << store.WarningText().toStdString();
        EXPECT_EQ(store.Read(QStringLiteral("MyServer"), QStringLiteral("localhost")), QStringLiteral("localhost"));
        store.Write(QStringLiteral("MyServer"), QStringLiteral("typed"));
    }
    QFile check(target);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), "[Tablewright]\nMyServer=target\n");
    EXPECT_EQ(QFileInfo(target).permissions() & QFile::ReadOther, QFile::ReadOther);
}

// Two wizards on one file: each saves only what it changed, into the file as
// the other left it, and other programs' sections stay.
TEST(SettingsStore, SavesOnlyItsOwnChangesIntoTheFileAsItIsNow) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Kestrafel.ini");
    {
        QSettings qt(path, QSettings::IniFormat);
        qt.setValue(QStringLiteral("Other/Kept"), QStringLiteral("yes"));
        qt.setValue(QStringLiteral("Tablewright/MyServer"), QStringLiteral("first"));
    }
    settings::SettingsStore a(path);
    settings::SettingsStore b(path);
    a.Write(QStringLiteral("MyDatabase"), QStringLiteral("alpha"));
    b.Write(QStringLiteral("MyDatabase"), QStringLiteral("beta"));
    a.Write(QStringLiteral("MyServer"), QStringLiteral("host"));
    // What b holds and did not change is not written back.
    b.Write(QStringLiteral("MyUser"), QStringLiteral("bob"));
    QSettings qt(path, QSettings::IniFormat);
    EXPECT_EQ(qt.value(QStringLiteral("Tablewright/MyDatabase")).toString(), QStringLiteral("beta"));
    EXPECT_EQ(qt.value(QStringLiteral("Tablewright/MyServer")).toString(), QStringLiteral("host"));
    EXPECT_EQ(qt.value(QStringLiteral("Tablewright/MyUser")).toString(), QStringLiteral("bob"));
    EXPECT_EQ(qt.value(QStringLiteral("Other/Kept")).toString(), QStringLiteral("yes"));
}

// Processes saving into one file at the same moment: each save reads the
// file as the one before left it, so no process's key is lost.
TEST(SettingsStore, SavesOfSeveralProcessesAtOnceKeepEveryKey) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Kestrafel.ini");
    constexpr int kProcesses = 6;
    constexpr int kSaves = 40;
    std::vector<pid_t> children;
    for (int i = 0; i < kProcesses; ++i) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            settings::SettingsStore store(path);
            for (int save = 0; save < kSaves; ++save)
                store.Write(QStringLiteral("Key%1").arg(i), QStringLiteral("%1-%2").arg(i).arg(save));
            ::_exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const settings::SettingsStore after(path);
    for (int i = 0; i < kProcesses; ++i)
        EXPECT_EQ(after.Read(QStringLiteral("Key%1").arg(i), QStringLiteral("lost")),
                  QStringLiteral("%1-%2").arg(i).arg(kSaves - 1));
}

// A save killed outright before its file took the store's place leaves
// nothing beside the store, where the file system can make a file without
// a name.
TEST(SettingsStore, ASaveKilledOutrightLeavesNothingBehind) {
    QTemporaryDir dir;
    const QByteArray folderPath = QFile::encodeName(dir.path());
    const process::UniqueDescriptor folder(::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_TRUE(folder.valid());
    if (const process::UniqueDescriptor probe(::openat(folder.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        !probe.valid())
        GTEST_SKIP() << "no file without a name here";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        files::ReplacingFile file;
        if (file.Create(folder.get(), "Kestrafel.ini", 0600)) {
            (void)::write(file.descriptor(), "[Tablewright]\n", 14);
            ::raise(SIGKILL);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

// A burst of changes saved off the caller's thread: the last value of each
// key is the one in the file, whether Finish() waits for the saves or the
// saver's own end does.
TEST(SettingsStore, BackgroundSavesEndWithTheLastValues) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Kestrafel.ini");
    for (const bool waited : {true, false}) {
        settings::SettingsStore store(path);
        {
            settings::BackgroundSaves saves(store);
            for (int i = 0; i <= 300; ++i) {
                saves.Write(QStringLiteral("MyDatabase"), QStringLiteral("db%1-%2").arg(i).arg(waited));
                if (i % 7 == 0) saves.Write(QStringLiteral("MyPort"), QString::number(i));
            }
            EXPECT_EQ(store.Read(QStringLiteral("MyDatabase"), QString()), QStringLiteral("db300-%1").arg(waited));
            if (waited) {
                EXPECT_TRUE(saves.Finish(std::chrono::seconds(10)));
            }
        }
        const settings::SettingsStore again(path);
        EXPECT_EQ(again.Read(QStringLiteral("MyDatabase"), QString()), QStringLiteral("db300-%1").arg(waited));
        EXPECT_EQ(again.Read(QStringLiteral("MyPort"), QString()), QStringLiteral("294"));
    }
}

// What a save killed outright left under an earlier version goes with the
// next save; nothing else does, and a link is not followed.
TEST(SettingsStore, ASaveRemovesOnlyItsOwnStaleTemporaryFiles) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Kestrafel.ini");
    const QString target = dir.path() + QStringLiteral("/target");
    enum class Plant { OldFile, NewFile, OldLink, OldOfAnotherUser };
    const struct {
        const char* name;
        Plant plant;
        bool removed;
    } cases[] = {
        {".Kestrafel.ini.tablewright-1z141z3.partial", Plant::OldFile, true},
        {".Kestrafel.ini.tablewright-Ab3dEf.partial", Plant::OldFile, true},
        {".Kestrafel.ini.tablewright-Xy9z00.partial", Plant::NewFile, false},  // a save still under way
        {".Kestrafel.ini.tablewright-link.partial", Plant::OldLink, false},
        {".Kestrafel.ini.tablewright-others.partial", Plant::OldOfAnotherUser, false},
        {".other.ini.tablewright-Ab3dEf.partial", Plant::OldFile, false},
        {"Kestrafel.ini.tablewright-Ab3dEf.partial", Plant::OldFile, false},
    };
    ASSERT_TRUE(QFile(target).open(QIODevice::WriteOnly));
    for (const auto& c : cases) {
        // Only root can give a file to another user.
        if (c.plant == Plant::OldOfAnotherUser && geteuid() != 0) continue;
        const QByteArray planted = QFile::encodeName(dir.path() + QLatin1Char('/') + QLatin1String(c.name));
        if (c.plant == Plant::OldLink) {
            ASSERT_EQ(symlink(QFile::encodeName(target).constData(), planted.constData()), 0);
        } else {
            ASSERT_TRUE(QFile(QFile::decodeName(planted)).open(QIODevice::WriteOnly));
        }
        const timespec old[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 3600, 0}};
        if (c.plant == Plant::OldOfAnotherUser) {
            ASSERT_EQ(lchown(planted.constData(), 65534, 65534), 0);
        }
        if (c.plant != Plant::NewFile) {
            ASSERT_EQ(utimensat(AT_FDCWD, planted.constData(), old, AT_SYMLINK_NOFOLLOW), 0);
        }
    }
    settings::SettingsStore(path).Write(QStringLiteral("MyServer"), QStringLiteral("host"));
    for (const auto& c : cases) {
        if (c.plant == Plant::OldOfAnotherUser && geteuid() != 0) continue;
        const QFileInfo left(dir.path() + QLatin1Char('/') + QLatin1String(c.name));
        EXPECT_EQ(!left.exists() && !left.isSymLink(), c.removed) << c.name;
    }
    EXPECT_TRUE(QFileInfo::exists(target));
}

// What takes the file's place after the store found it is neither read for
// a save nor written through nor replaced: a link swapped in, a file given
// to another user.
TEST(SettingsStore, ASaveLeavesWhatTookTheFilesPlaceAsItIs) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Kestrafel.ini"));
    const QByteArray bytes = QFile::encodeName(path);
    const QString other = dir.filePath(QStringLiteral("other.ini"));
    const QByteArray otherText = "[Tablewright]\nMyUser=other\n";
    const struct {
        const char* name;
        bool root;  // only root can give a file to another user
        std::function<bool()> swap;
    } cases[] = {
        {"a link to a file of the user's own", false,
         [&] { return unlink(bytes.constData()) == 0 && symlink(QFile::encodeName(other), bytes) == 0; }},
        {"given to another user", true, [&] { return chown(bytes.constData(), 65534, 65534) == 0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.root && geteuid() != 0) {
            std::printf("passed over \"%s\": only root can give a file to another user\n", c.name);
            continue;
        }
        QFile::remove(path);
        testing_support::WriteFile(other, otherText);
        testing_support::WriteFile(path, "[Tablewright]\nMyServer=own\n");
        settings::SettingsStore store(path);
        ASSERT_EQ(store.fileState(), settings::SettingsStore::FileState::Read);
        ASSERT_TRUE(c.swap());
        struct stat before = {};
        ASSERT_EQ(lstat(bytes.constData(), &before), 0);
        store.Write(QStringLiteral("MyPassword"), QStringLiteral("secret"));
        struct stat after = {};
        ASSERT_EQ(lstat(bytes.constData(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(testing_support::ReadFile(other), otherText);
    }
}

// Another user's settings file is read, but never saved over nor made
// private: it is not the user's to change.
TEST(SettingsStore, AnotherUsersFileIsReadButNeverChanged) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Kestrafel.ini"));
    const QByteArray bytes = QFile::encodeName(path);
    const QByteArray text = "[Tablewright]\nMyServer=theirs\n";
    testing_support::WriteFile(path, text);
    ASSERT_EQ(chmod(bytes.constData(), 0644), 0);
    ASSERT_EQ(chown(bytes.constData(), 65534, 65534), 0);
    settings::SettingsStore store(path);
    EXPECT_EQ(store.Read(QStringLiteral("MyServer"), QString()), QStringLiteral("theirs"));
    store.Write(QStringLiteral("MyServer"), QStringLiteral("mine"));
    struct stat status = {};
    ASSERT_EQ(stat(bytes.constData(), &status), 0);
    EXPECT_EQ(status.st_uid, 65534u);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
    EXPECT_EQ(testing_support::ReadFile(path), text);
}
