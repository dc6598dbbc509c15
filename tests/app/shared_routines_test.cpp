#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/shared_routines.h"

TEST(SharedRoutines, DesktopFolderEndsInExactlyOneSlash) {
    const QString desktop = app::GetDesktopFolder();
    EXPECT_EQ(desktop, qEnvironmentVariable("HOME") + QStringLiteral("/Desktop/"));
    EXPECT_FALSE(desktop.endsWith(QStringLiteral("//")));
    EXPECT_EQ(app::GetSpecialFolderPath(0) + QLatin1Char('/'), desktop);
    EXPECT_EQ(app::GetSpecialFolderPath(5), QString());
}

TEST(SharedRoutines, MissingDesktopFallsBackToTheHomeFolder) {
    const QString desktop = qEnvironmentVariable("HOME") + QStringLiteral("/Desktop");
    ASSERT_TRUE(QDir(desktop).removeRecursively());
    const QString folder = app::GetDesktopFolder();
    QDir().mkpath(desktop);
    EXPECT_EQ(folder, qEnvironmentVariable("HOME") + QLatin1Char('/'));
}

TEST(SharedRoutines, AWizardPathIsFoundFromHomeOrTheDesktopFolder) {
    EXPECT_EQ(app::WizardOutputPath(QStringLiteral("~/out.txt")), QDir::homePath() + QStringLiteral("/out.txt"));
    EXPECT_EQ(app::WizardOutputPath(QStringLiteral("sub/out.txt")),
              app::GetDesktopFolder() + QStringLiteral("sub/out.txt"));
    EXPECT_EQ(app::WizardOutputPath(QStringLiteral("/abs/out.txt")), QStringLiteral("/abs/out.txt"));
    EXPECT_EQ(app::WizardOutputPath(QStringLiteral("~user/out.txt")),
              app::GetDesktopFolder() + QStringLiteral("~user/out.txt"));
    EXPECT_EQ(app::WizardOutputPath(QString()), QString());
}

TEST(SharedRoutines, FileExistsIsTrueOnlyForReadablePaths) {
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/HAND-M.CUR");
    EXPECT_FALSE(app::FileExists(file));
    EXPECT_FALSE(app::FileExists(QString()));
    EXPECT_FALSE(app::FileExists(dir.path() + QStringLiteral("/no/such/folder/x")));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(app::FileExists(file));
}

TEST(SharedRoutines, NullSubstituteReplacesOnlyNull) {
    const db::DbValue empty = db::DbValue::Text(QString());
    const db::DbValue substitute = db::DbValue::Text(QStringLiteral("sub"));
    EXPECT_EQ(app::NullSubstitute(db::DbValue::Null(), substitute), substitute);
    EXPECT_EQ(app::NullSubstitute(empty, substitute), empty);
    EXPECT_FALSE(app::NullSubstitute(empty, substitute).isNull());
    const db::DbValue zero(QByteArray("0"), db::ColumnKind::Integer);
    EXPECT_EQ(app::NullSubstitute(zero, substitute).bytes(), QByteArray("0"));
    EXPECT_EQ(app::NullSubstitute(zero, substitute).kind(), db::ColumnKind::Integer);
}
