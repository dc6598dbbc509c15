#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <optional>
#include <vector>

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "export_fixture.h"
#include "support/stalling_server.h"

using export_testing::FolderEntries;
using export_testing::ReadFile;
using export_testing::RunExportCommand;
using export_testing::WriteFile;
using testing_support::ScratchDatabase;

namespace {

// Built with the sanitizers, whose bookkeeping says nothing of the program's
// own memory.
#ifdef TABLEWRIGHT_SANITIZED
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

export_testing::CommandResult RunWithoutLogin(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(TABLEWRIGHT_EXPORT_PROGRAM), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// Waits up to 30 seconds for the condition to hold.
bool WaitUntil(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(30000);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(5);
    }
    return true;
}

// True while the process holds a file in the folder open: the export's
// temporary file, with a name or without.
bool HoldsFileIn(qint64 pid, const QString& folder) {
    const QByteArray prefix = QFile::encodeName(folder) + '/';
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& entry : descriptors.entryList(QDir::Files | QDir::System)) {
        char target[4096];
        const ssize_t length =
            readlink(QFile::encodeName(descriptors.filePath(entry)).constData(), target, sizeof target);
        if (length > 0 && QByteArray(target, length).startsWith(prefix)) return true;
    }
    return false;
}

// SIGINT, SIGTERM, SIGHUP and kill -PIPE in the middle of an export into the
// folder: the command stops with 128 and the signal's number, the old file
// stays as it was and nothing else is left in the folder.
void ExpectSignalsStopTheExport(const ScratchDatabase& db, const QString& folder,
                                const std::vector<int>& numbers = {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    const QString path = folder + QStringLiteral("/out.txt");
    WriteFile(path, "old\r\n");
    for (const int number : numbers) {
        QProcess process;
        export_testing::StartExportCommand(
            process, db.login(), {QStringLiteral("--table"), QStringLiteral("big"), QStringLiteral("--output"), path},
            {}, [] {
                // As started from a terminal, whatever the test runner ignores.
                for (int caught = 1; caught < NSIG; ++caught) signal(caught, SIG_DFL);
            });
        ASSERT_TRUE(WaitUntil([&] { return HoldsFileIn(process.processId(), folder); })) << number;
        kill(static_cast<pid_t>(process.processId()), number);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << number;
        EXPECT_EQ(process.exitCode(), 128 + number) << process.readAllStandardError().toStdString();
        EXPECT_EQ(ReadFile(path), "old\r\n");
        EXPECT_EQ(FolderEntries(folder), QStringList{QStringLiteral("out.txt")});
    }
}

// A folder seen through a FUSE mount (bindfs): a file system on which a file
// cannot be created without a name (no O_TMPFILE), so the export's temporary
// file has one there.
class FuseFolder {
public:
    explicit FuseFolder(const QString& under)
        : source_(under + QStringLiteral("/source")), path_(under + QStringLiteral("/fuse")) {
        QDir().mkpath(source_);
        QDir().mkpath(path_);
        mounted_ = QProcess::execute(QStringLiteral("bindfs"), {source_, path_}) == 0;
    }
    ~FuseFolder() {
        if (mounted_) QProcess::execute(QStringLiteral("fusermount"), {QStringLiteral("-u"), path_});
    }
    FuseFolder(const FuseFolder&) = delete;
    FuseFolder& operator=(const FuseFolder&) = delete;

    bool mounted() const { return mounted_; }
    const QString& path() const { return path_; }

private:
    QString source_;
    QString path_;
    bool mounted_ = false;
};

}  // namespace

TEST(ExportCommand, UsageErrorsExitWithTwoAndHelpWithZero) {
    const export_testing::CommandResult help = RunWithoutLogin({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: tablewright-export --table NAME")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("TABLEWRIGHT_PASSWORD"));

    const QList<QStringList> wrong = {
        {},                           // no table
        {QStringLiteral("--table")},  // no value
        {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--password=x")},
        {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("-px")},
        {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--port"), QStringLiteral("70000")},
        {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("db"), QStringLiteral("extra")},
        {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("-D"), QStringLiteral("a"),
         QStringLiteral("b")},
        {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--table"), QStringLiteral("u")},
        {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--quote=sometimes")},
        {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--quote"), QStringLiteral("--separator=\"")},
        {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--where"), QString()},
        {QStringLiteral("--query"), QStringLiteral("SELECT 1"), QStringLiteral("--field"), QStringLiteral("a")},
        {QStringLiteral("--query"), QStringLiteral("SELECT 1"), QStringLiteral("--query-file"), QStringLiteral("-")},
        {QStringLiteral("--query-file"), QString()},  // not standard input
        // A named option file that cannot be read is no reason to go on with the others.
        {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--defaults-file=/nowhere/my.cnf")},
        {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--defaults-extra-file=/")},
        // No wait is not "no bound"; a wait the connector cannot count is
        // said to be too long, not to be no number.
        {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--timeout"), QStringLiteral("0")},
        {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--timeout"), QStringLiteral("4294967296")},
        {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--timeout"), QStringLiteral("2147484")},
    };
    for (const QStringList& arguments : wrong) {
        const export_testing::CommandResult result = RunWithoutLogin(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(result.err.startsWith("tablewright-export: ")) << result.err.toStdString();
        const bool tooLong =
            arguments.contains(QStringLiteral("4294967296")) || arguments.contains(QStringLiteral("2147484"));
        EXPECT_EQ(result.err.contains("at most 2147483 seconds"), tooLong) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
}

// The shell completion reads the table names from --list-tables.
TEST(ExportCommand, ListTablesNamesEveryTableOneALineOrFailsWithOne) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE `t w` (a INT)"), QStringLiteral("CREATE TABLE a (a INT)")});
    export_testing::CommandResult result = RunExportCommand(db.login(), {QStringLiteral("--list-tables")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    QList<QByteArray> names = result.out.split('\n');
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (QList<QByteArray>{"", "a", "t w"})) << result.out.toStdString();

    db::LoginValues wrongPassword = db.login();
    wrongPassword.password += QLatin1Char('x');
    result = RunExportCommand(wrongPassword, {QStringLiteral("--list-tables")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.contains("Access denied")) << result.err.toStdString();
}

TEST(ExportCommand, WithoutFieldsEveryColumnInTableOrderToStandardOutput) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE `t w` (z INT, `a``b` VARCHAR(5), m DATE)"),
            QStringLiteral("INSERT INTO `t w` VALUES (1, 'x', '2024-01-31'), (NULL, NULL, NULL)")});
    // Standard output also by its name, a link of /proc to a pipe that has no path.
    for (const QStringList& output : {QStringList{}, QStringList{QStringLiteral("--output"), QStringLiteral("-")},
                                      QStringList{QStringLiteral("--output"), QStringLiteral("/dev/stdout")}}) {
        const export_testing::CommandResult result = RunExportCommand(
            db.login(),
            QStringList{QStringLiteral("--table"), QStringLiteral("t w"), QStringLiteral("--separator"), QString()} +
                output);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.out, "za`bm\r\n1x2024-01-31\r\n\r\n\r\n");
        EXPECT_TRUE(result.err.isEmpty());  // no progress line when standard error is no terminal
    }
    const export_testing::CommandResult noHeader =
        RunExportCommand(db.login(), {QStringLiteral("--table"), QStringLiteral("t w"), QStringLiteral("--no-header"),
                                      QStringLiteral("--field"), QStringLiteral("m")});
    EXPECT_EQ(noHeader.out, "2024-01-31\r\n\r\n\r\n");
}

TEST(ExportCommand, FailuresExitWithOneAndTheLayersMessageAndKeepTheOldFile) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (a INT)"), QStringLiteral("INSERT INTO t VALUES (1)")});
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/out.txt");
    WriteFile(path, "old\r\n");

    export_testing::CommandResult result = RunExportCommand(
        db.login(), {QStringLiteral("--table"), QStringLiteral("missing"), QStringLiteral("--output"), path});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("doesn't exist")) << result.err.toStdString();

    db::LoginValues wrongPassword = db.login();
    wrongPassword.password += QLatin1Char('x');
    result = RunExportCommand(wrongPassword, {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--field"),
                                              QStringLiteral("a"), QStringLiteral("--output"), path});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("Access denied")) << result.err.toStdString();

    result = RunExportCommand(db.login(), {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--output"),
                                           QStringLiteral("/dev/full")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("No space left on device")) << result.err.toStdString();
    EXPECT_EQ(ReadFile(path), "old\r\n");
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("out.txt")});

    // A disk that fails to flush the new file before it would replace the old.
    if (!kSanitized) {
        result = RunExportCommand(db.login(),
                                  {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--output"), path},
                                  {QStringLiteral("LD_PRELOAD=" TABLEWRIGHT_FAILING_FLUSH)});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.contains("Cannot save")) << result.err.toStdString();
        EXPECT_EQ(ReadFile(path), "old\r\n");
        EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("out.txt")});

        // One that fails while a big table is written stops the export at the
        // next write: far from the whole table, and within a file size limit
        // that the whole table would hit ("File too large").
        export_testing::CreateBigTable(db, 500000);
        result = RunExportCommand(db.login(),
                                  {QStringLiteral("--table"), QStringLiteral("big"), QStringLiteral("--output"), path},
                                  {QStringLiteral("LD_PRELOAD=" TABLEWRIGHT_FAILING_FLUSH)}, [] {
                                      const rlimit size{off_t{40} << 20, off_t{40} << 20};
                                      setrlimit(RLIMIT_FSIZE, &size);
                                  });
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.contains("Cannot save " + QFile::encodeName(path) + ": Input/output error"))
            << result.err.toStdString();
        EXPECT_EQ(ReadFile(path), "old\r\n");
        EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("out.txt")});
    }

    result = RunExportCommand(db.login(),
                              {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--output"), path});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(ReadFile(path), "a\r\n1\r\n\r\n");
}

TEST(ExportCommand, MemoryStaysFlatForAMillionRows) {
    TW_REQUIRE_SERVER();
    if (kSanitized) GTEST_SKIP() << "the sanitizers keep memory of their own";
    ScratchDatabase db;
    export_testing::CreateBigTable(db, 1000000);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/big.txt");
    const export_testing::CommandResult result = RunExportCommand(
        db.login(), {QStringLiteral("--table"), QStringLiteral("big"), QStringLiteral("--output"), path});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_GT(QFile(path).size(), 100'000'000);
    // The largest child this test ran; far above the benchmark's target, far
    // below what holding the 100 MB result would take.
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, 80 * 1024) << usage.ru_maxrss << " KiB";
}

TEST(ExportCommand, MemoryStaysWithinTwiceTheLongestValue) {
    TW_REQUIRE_SERVER();
    if (kSanitized) GTEST_SKIP() << "the sanitizers keep memory of their own";
    // The connector holds the whole row; the hex text, twice as long, must
    // not be held as well.
    constexpr qint64 kValue = qint64{64} << 20;
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (b LONGBLOB)"),
            QStringLiteral("INSERT INTO t VALUES (REPEAT(X'0D0A2C00', %1))").arg(kValue / 4)});
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/long.txt");
    const export_testing::CommandResult result =
        RunExportCommand(db.login(), {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--no-header"),
                                      QStringLiteral("--output"), path});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(QFile(path).size(), 2 + 2 * kValue + 4);
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, (2 * kValue + (qint64{32} << 20)) / 1024) << usage.ru_maxrss << " KiB";
}

TEST(ExportCommand, NumbersAndDatesFollowTheirOwnLocaleSettings) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (p DECIMAL(6,2), d DATE)"),
            QStringLiteral("INSERT INTO t VALUES (2.50, '2024-01-31')")});
    const QStringList table{QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--no-header")};
    auto run = [&](const QStringList& locale) {
        const export_testing::CommandResult result = RunExportCommand(
            db.login(), table,
            QStringList{QStringLiteral("LC_ALL="), QStringLiteral("LC_NUMERIC="), QStringLiteral("LC_TIME=")} + locale);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        return result.out;
    };
    EXPECT_EQ(run({QStringLiteral("LANG=C.UTF-8")}), "2.50,2024-01-31\r\n\r\n");
    EXPECT_EQ(run({QStringLiteral("LANG=de_DE.UTF-8")}), "2,50,31.01.2024\r\n\r\n");
    EXPECT_EQ(run({QStringLiteral("LANG=C.UTF-8"), QStringLiteral("LC_NUMERIC=de_DE.UTF-8")}),
              "2,50,2024-01-31\r\n\r\n");
    EXPECT_EQ(run({QStringLiteral("LANG=C.UTF-8"), QStringLiteral("LC_TIME=de_DE.UTF-8")}), "2.50,31.01.2024\r\n\r\n");
    EXPECT_EQ(run({QStringLiteral("LANG=de_DE.UTF-8"), QStringLiteral("LC_ALL=C")}), "2.50,2024-01-31\r\n\r\n");
}

TEST(ExportCommand, APipeWithoutReaderOrAnEmptyOutputPathFailsAtOnce) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run(QStringLiteral("CREATE TABLE t (a INT)"));
    QTemporaryDir dir;
    const QString pipe = dir.path() + QStringLiteral("/pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    export_testing::CommandResult result = RunExportCommand(
        db.login(), {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--output"), pipe});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(result.err.isEmpty());

    result = RunExportCommand(db.login(),
                              {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--output"), QString()});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.out.isEmpty());
}

TEST(ExportCommand, ADiskThatFillsUpMidwayKeepsTheOldFileAndLeavesNoTemporaryFile) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    export_testing::CreateBigTable(db, 40000);  // about 4 MiB of text
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/out.txt");
    WriteFile(path, "old\r\n");

    // The command runs with a 1 MiB limit on the size of any file it writes,
    // as if the disk were full after the first megabyte; the signal such a
    // write raises (SIGXFSZ) is the command's own to ignore.
    const export_testing::CommandResult result = RunExportCommand(
        db.login(), {QStringLiteral("--table"), QStringLiteral("big"), QStringLiteral("--output"), path}, {}, [] {
            const rlimit limit{1 << 20, 1 << 20};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("File too large")) << result.err.toStdString();
    EXPECT_EQ(ReadFile(path), "old\r\n");
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("out.txt")});
}

// As root the read-only test of the engine cannot bite, so here the command
// runs as the unprivileged user "nobody" from a copy it may execute.
TEST(ExportCommand, ReadOnlyPlacesStopAnOrdinaryUserAndKeepTheOldFile) {
    TW_REQUIRE_SERVER();
    if (geteuid() != 0) GTEST_SKIP() << "runs as root only; ExportFault covers an ordinary user";
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (a INT)"), QStringLiteral("INSERT INTO t VALUES (1)")});
    QTemporaryDir dir;
    const QFile::Permissions everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(dir.path(), everyone | QFile::WriteGroup | QFile::WriteOther);
    const QString program = dir.path() + QStringLiteral("/tablewright-export");
    ASSERT_TRUE(QFile::copy(export_testing::ExportProgram(), program));
    QFile::setPermissions(program, everyone);
    const auto asNobody = [] {
        const gid_t nobodyGroup = 65534;
        if (setgroups(1, &nobodyGroup) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
    };

    const QString path = dir.path() + QStringLiteral("/out.txt");
    WriteFile(path, "old\r\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    export_testing::CommandResult result =
        RunExportCommand(db.login(), {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--output"), path},
                         {}, asNobody, program);
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    EXPECT_FALSE(result.err.isEmpty());
    EXPECT_EQ(ReadFile(path), "old\r\n");

    const QString locked = dir.path() + QStringLiteral("/locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    QFile::setPermissions(locked, everyone);  // nobody may look in, not write
    result = RunExportCommand(db.login(),
                              {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--output"),
                               locked + QStringLiteral("/out.txt")},
                              {}, asNobody, program);
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    EXPECT_TRUE(FolderEntries(locked).isEmpty());
    EXPECT_EQ(FolderEntries(dir.path()),
              (QStringList{QStringLiteral("locked"), QStringLiteral("out.txt"), QStringLiteral("tablewright-export")}));
}

TEST(ExportCommand, LcAllOutranksTheCategoryVariables) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (p DECIMAL(6,2), d DATE)"),
            QStringLiteral("INSERT INTO t VALUES (2.50, '2024-01-31')")});
    const export_testing::CommandResult result =
        RunExportCommand(db.login(), {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--no-header")},
                         {QStringLiteral("LANG="), QStringLiteral("LC_ALL=de_DE.UTF-8"), QStringLiteral("LC_NUMERIC=C"),
                          QStringLiteral("LC_TIME=C")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "2,50,31.01.2024\r\n\r\n");
}

TEST(ExportCommand, ASlowReaderOnANamedPipeGetsEveryByte) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    export_testing::CreateBigTable(db, 20000);  // about 2 MiB of text
    QTemporaryDir dir;
    const QString pipe = dir.path() + QStringLiteral("/pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const int reader = open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    QProcess process;
    export_testing::StartExportCommand(
        process, db.login(), {QStringLiteral("--table"), QStringLiteral("big"), QStringLiteral("--output"), pipe});
    // The reader starts only once the pipe is full and the export must wait.
    ASSERT_TRUE(WaitUntil([&] {
        int waiting = 0;
        return ioctl(reader, FIONREAD, &waiting) == 0 && waiting >= fcntl(reader, F_GETPIPE_SZ);
    }));
    fcntl(reader, F_SETFL, O_RDONLY);
    QByteArray received;
    char buffer[65536];
    for (ssize_t n; (n = read(reader, buffer, sizeof buffer)) > 0;) received.append(buffer, n);
    close(reader);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(received.startsWith("id,filler\r\n1,xxx"));
    EXPECT_TRUE(received.endsWith("20000," + QByteArray(100, 'x') + "\r\n\r\n"));
    EXPECT_EQ(received.count('\n'), 20002);
}

// A reader that does not read, on a named pipe or on standard output: the
// first termination signal ends the wait.
TEST(ExportCommand, ASignalEndsAWriteIntoAPipeNobodyReads) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    export_testing::CreateBigTable(db, 20000);  // about 2 MiB of text
    QTemporaryDir dir;
    const QString fifo = dir.path() + QStringLiteral("/pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const bool named : {true, false}) {
        int ends[2] = {-1, -1};
        if (named) {
            ends[0] = open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        } else {
            ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
        }
        ASSERT_GE(ends[0], 0);
        const int writer = ends[1];
        QProcess process;
        export_testing::StartExportCommand(process, db.login(),
                                           {QStringLiteral("--table"), QStringLiteral("big"),
                                            QStringLiteral("--output"), named ? fifo : QStringLiteral("-")},
                                           {}, [writer] {
                                               if (writer >= 0) dup2(writer, STDOUT_FILENO);
                                               signal(SIGTERM, SIG_DFL);
                                           });
        if (writer >= 0) close(writer);
        ASSERT_TRUE(WaitUntil([&] {
            int waiting = 0;
            return ioctl(ends[0], FIONREAD, &waiting) == 0 && waiting >= fcntl(ends[0], F_GETPIPE_SZ);
        }));
        kill(static_cast<pid_t>(process.processId()), SIGTERM);
        EXPECT_TRUE(process.waitForFinished(10000)) << named;
        EXPECT_EQ(process.exitCode(), 128 + SIGTERM) << process.readAllStandardError().toStdString();
        close(ends[0]);
    }
}

// Paths and names as the bytes given: a name that is no UTF-8 is written as
// it is, and a table name that is no text is refused rather than changed.
TEST(ExportCommand, PathsAreTheBytesGivenAndNamesThatAreNoTextAreRefused) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (a INT)"), QStringLiteral("INSERT INTO t VALUES (1)")});
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    const QString wrapper = dir.path() + QStringLiteral("/with-bytes");
    WriteFile(wrapper, "#!/bin/sh\nexec '" + QFile::encodeName(export_testing::ExportProgram()) +
                           "' \"$@\" --output \"$(printf '" + folder + "/r\\351port.csv')\"\n");
    QFile::setPermissions(wrapper, QFile::ReadOwner | QFile::ExeOwner);
    export_testing::CommandResult result =
        RunExportCommand(db.login(), {QStringLiteral("--table"), QStringLiteral("t")}, {}, {}, wrapper);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    // (Removed here: the temporary folder's clean-up skips such a name.)
    EXPECT_EQ(unlink(folder + "/r\xe9port.csv"), 0);

    const QString tableWrapper = dir.path() + QStringLiteral("/with-table");
    WriteFile(tableWrapper, "#!/bin/sh\nexec '" + QFile::encodeName(export_testing::ExportProgram()) +
                                "' \"$@\" --table \"$(printf 'r\\351port')\"\n");
    QFile::setPermissions(tableWrapper, QFile::ReadOwner | QFile::ExeOwner);
    result = RunExportCommand(db.login(), {}, {}, {}, tableWrapper);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains("is not text in the locale's character set")) << result.err.toStdString();
}

TEST(ExportCommand, ClosedStandardDescriptorsNeverCarryRowsToTheServer) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    // A value that is a whole client packet: the statement "DROP TABLE
    // victim", which the server would run if the rows went down the
    // connection.
    db.Run({QStringLiteral("CREATE TABLE victim (a INT)"), QStringLiteral("CREATE TABLE crafted (v TEXT)"),
            QStringLiteral("INSERT INTO crafted VALUES "
                           "(CONCAT(CHAR(18), CHAR(0), CHAR(0), CHAR(0), CHAR(3), 'DROP TABLE victim'))")});
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/out.txt");
    const auto inputAndOutputClosed = [] {
        close(STDIN_FILENO);
        close(STDOUT_FILENO);
    };
    const QStringList crafted{QStringLiteral("--table"), QStringLiteral("crafted"), QStringLiteral("--no-header")};
    export_testing::CommandResult result;
    for (const QStringList& toStandardOutput :
         {QStringList{}, QStringList{QStringLiteral("--output"), QStringLiteral("/dev/stdout")},
          QStringList{QStringLiteral("--output"), QStringLiteral("/dev/fd/1")}}) {
        result = RunExportCommand(db.login(), crafted + toStandardOutput, {}, inputAndOutputClosed);
        EXPECT_EQ(result.exitCode, 1) << toStandardOutput.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(result.err.contains("standard output: it is closed")) << result.err.toStdString();
    }
    result =
        RunExportCommand(db.login(), crafted + QStringList{QStringLiteral("--output"), path}, {}, inputAndOutputClosed);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(ReadFile(path), QByteArray("\x12\0\0\0\x03", 5) + "DROP TABLE victim\r\n\r\n");

    // Once the exports' connections are gone, the server has run whatever
    // reached it.
    db::Connection admin = db.Connect();
    ASSERT_TRUE(WaitUntil([&] {
        return admin
                   .Query(QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE DB = '%1' AND "
                                         "ID <> CONNECTION_ID()")
                              .arg(db.name()))
                   .value(0, 0)
                   .text() == QLatin1String("0");
    }));
    EXPECT_NO_THROW(admin.Query(QStringLiteral("SELECT COUNT(*) FROM victim")));
}

TEST(ExportCommand, TerminationSignalsStopTheExportAndKeepTheOldFile) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    export_testing::CreateBigTable(db, 500000);
    QTemporaryDir dir;
    ExpectSignalsStopTheExport(db, dir.path());
}

// A statement given up, by --timeout or by a signal, does not run on in the
// server after the command has ended: the command asks the server to end it.
// (A long BENCHMARK() never looks whether its client is still there.)
TEST(ExportCommand, AStatementGivenUpDoesNotRunOnInTheServer) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (a INT)"), QStringLiteral("INSERT INTO t VALUES (1)")});
    QTemporaryDir dir;
    db::Connection watcher = db.Connect();
    const auto running = [&] {
        return watcher.Query(QStringLiteral("SELECT ID FROM information_schema.PROCESSLIST WHERE DB = %1 AND INFO "
                                            "LIKE '%BENCHMARK(%' AND ID <> CONNECTION_ID()")
                                 .arg(watcher.QuoteText(db.name())));
    };
    const struct {
        const char* name;
        QStringList extra;
        int signal;  // sent once the statement runs; 0: none
    } cases[] = {
        {"--timeout", {QStringLiteral("--timeout"), QStringLiteral("1")}, 0},
        {"SIGTERM", {}, SIGTERM},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QProcess process;
        export_testing::StartExportCommand(
            process, db.login(),
            QStringList{QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--where"),
                        QStringLiteral("BENCHMARK(1000000000000, MD5('x')) = 0"), QStringLiteral("--output"),
                        dir.path() + QStringLiteral("/o")} +
                c.extra,
            {}, [] { signal(SIGTERM, SIG_DFL); });
        ASSERT_TRUE(WaitUntil([&] { return running().rowCount() != 0; }));
        if (c.signal != 0) kill(static_cast<pid_t>(process.processId()), c.signal);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_NE(process.exitCode(), 0);
        EXPECT_TRUE(WaitUntil([&] { return running().rowCount() == 0; }));
        // Whatever runs on would take a processor for hours.
        const db::StoredResult left = running();
        for (std::size_t i = 0; i < left.rowCount(); ++i)
            watcher.Execute(QStringLiteral("KILL QUERY %1").arg(QString::fromLatin1(left.value(i, 0).bytes())));
    }
}

// Rows that stop coming half-way: the words say the wait passed its
// time-out and what became of the output.
TEST(ExportCommand, RowsThatStopHalfWayTellTheTimeOutAndWhatBecameOfTheOutput) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    // Rows enough to leave the server's buffer before the stall.
    export_testing::CreateBigTable(db, 20000);
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("old.txt"));
    WriteFile(old, "old\r\n");
    const struct {
        QString output;
        QString words;
    } cases[] = {
        {old, QStringLiteral(" The file %1 is kept as it was.").arg(old)},
        {dir.filePath(QStringLiteral("new.txt")),
         QStringLiteral(" No file was made at %1.").arg(dir.filePath(QStringLiteral("new.txt")))},
        {QStringLiteral("-"), QStringLiteral(" Standard output has only the rows read before it.")},
    };
    for (const auto& c : cases) {
        const export_testing::CommandResult result = RunExportCommand(
            db.login(), {QStringLiteral("--table"), QStringLiteral("big"), QStringLiteral("--where"),
                         QStringLiteral("IF(id = 19000, SLEEP(3) = 0, 1)"), QStringLiteral("--timeout"),
                         QStringLiteral("1"), QStringLiteral("--output"), c.output});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.endsWith(
            (QStringLiteral("within the time-out of 1 seconds: the server or the link to it stalls.") + c.words +
             QLatin1Char('\n'))
                .toLocal8Bit()))
            << result.err.toStdString();
    }
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("old.txt")});
    EXPECT_EQ(ReadFile(old), "old\r\n");
}

TEST(ExportCommand, TerminationSignalsLeaveNoNamedTemporaryFile) {
    TW_REQUIRE_SERVER();
    QTemporaryDir dir;
    const FuseFolder fuse(dir.path());
    if (!fuse.mounted()) GTEST_SKIP() << "no FUSE mount here (bindfs and /dev/fuse are needed)";
    ScratchDatabase db;
    export_testing::CreateBigTable(db, 500000);
    // Every signal that would end the program cleans up, not only the usual three.
    ExpectSignalsStopTheExport(db, fuse.path(),
                               {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGALRM, SIGPIPE, SIGRTMIN});

    // What SIGKILL leaves says what it is.
    QProcess process;
    const QString path = fuse.path() + QStringLiteral("/out.txt");
    export_testing::StartExportCommand(
        process, db.login(), {QStringLiteral("--table"), QStringLiteral("big"), QStringLiteral("--output"), path});
    ASSERT_TRUE(WaitUntil([&] { return HoldsFileIn(process.processId(), fuse.path()); }));
    kill(static_cast<pid_t>(process.processId()), SIGKILL);
    ASSERT_TRUE(process.waitForFinished(60000));
    const QStringList left = FolderEntries(fuse.path());
    ASSERT_EQ(left.size(), 2) << left.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\.out\\.txt\\.tablewright-[A-Za-z0-9]{6}\\.partial$"))
                    .match(left.at(0))
                    .hasMatch())
        << left.at(0).toStdString();
}

// As root, whatever the kernel's protected_symlinks says.
TEST(ExportCommand, ALinkPlantedInASharedFolderIsRefusedAndItsTargetKept) {
    TW_REQUIRE_SERVER();
    if (geteuid() != 0) GTEST_SKIP() << "runs as root only, to plant a link as another user";
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (a INT)"), QStringLiteral("INSERT INTO t VALUES (1)")});
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
    const QString secret = dir.path() + QStringLiteral("/private/secret");
    WriteFile(secret, "root's own\n");
    QFile::setPermissions(secret, QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(dir.path() + QStringLiteral("/private"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // A folder like /tmp: sticky, and everyone may write to it.
    const QString shared = dir.path() + QStringLiteral("/shared");
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_EQ(chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QString planted = shared + QStringLiteral("/out.txt");
    ASSERT_EQ(QProcess::execute(
                  QStringLiteral("setpriv"),
                  {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                   QStringLiteral("--clear-groups"), QStringLiteral("ln"), QStringLiteral("-s"), secret, planted}),
              0);

    export_testing::CommandResult result = RunExportCommand(
        db.login(), {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--output"), planted});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("Cannot create %1: it is a symbolic link").arg(planted).toUtf8()))
        << result.err.toStdString();
    EXPECT_EQ(ReadFile(secret), "root's own\n");
    EXPECT_EQ(FolderEntries(shared), QStringList{QStringLiteral("out.txt")});

    // The user's own link there leads to the file as ever.
    const QString own = shared + QStringLiteral("/own.txt");
    ASSERT_TRUE(QFile::link(secret, own));
    result =
        RunExportCommand(db.login(), {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--output"), own});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(ReadFile(secret), "a\r\n1\r\n\r\n");
    EXPECT_TRUE(QFileInfo(own).isSymLink());
}

// Runs a command as the unprivileged user "nobody".
void AsNobody(const QStringList& command) {
    ASSERT_EQ(QProcess::execute(QStringLiteral("setpriv"),
                                QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                            QStringLiteral("--clear-groups")} +
                                    command),
              0)
        << command.join(QLatin1Char(' ')).toStdString();
}

// What another user plants in a folder like /tmp: a link on the way to the
// output, a named pipe or a file anyone may write to at its end, a link or a
// pipe where the settings file would be. Nothing of it is written to or
// waited on, and nothing it leads to changes.
TEST(ExportCommand, WhatAnotherUserPlantedInASharedFolderIsNeitherFollowedNorWrittenTo) {
    TW_REQUIRE_SERVER();
    if (geteuid() != 0) GTEST_SKIP() << "runs as root only, to plant objects as another user";
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (a INT)"), QStringLiteral("INSERT INTO t VALUES (1)")});
    QTemporaryDir dir;
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0711), 0);
    const QString secret = dir.path() + QStringLiteral("/private/secret");
    WriteFile(secret, "root's own\n");
    ASSERT_EQ(chmod(QFile::encodeName(secret).constData(), 0644), 0);
    ASSERT_EQ(chmod(QFile::encodeName(dir.path() + QStringLiteral("/private")).constData(), 0700), 0);
    const QString shared = dir.path() + QStringLiteral("/shared");
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_EQ(chmod(QFile::encodeName(shared).constData(), 01777), 0);
    AsNobody({QStringLiteral("ln"), QStringLiteral("-s"), dir.path() + QStringLiteral("/private"),
              shared + QStringLiteral("/reports")});
    AsNobody({QStringLiteral("mkfifo"), shared + QStringLiteral("/pipe")});
    AsNobody({QStringLiteral("sh"), QStringLiteral("-c"),
              QStringLiteral("umask 0; echo planted > '%1/planted.txt'").arg(shared)});
    const QString config = shared + QStringLiteral("/config");
    AsNobody({QStringLiteral("mkdir"), config});
    const QString settings = config + QStringLiteral("/Kestrafel.ini");

    const std::pair<QString, QByteArray> outputs[] = {
        {shared + QStringLiteral("/reports/secret"), "goes through reports, which is a symbolic link"},
        {shared + QStringLiteral("/pipe"), "belongs neither to you nor to the folder's owner"},
        {shared + QStringLiteral("/planted.txt"), "belongs neither to you nor to the folder's owner"}};
    for (const auto& [output, why] : outputs) {
        const export_testing::CommandResult result = RunExportCommand(
            db.login(), {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--output"), output});
        EXPECT_EQ(result.exitCode, 1) << output.toStdString();
        EXPECT_TRUE(result.err.contains(why)) << result.err.toStdString();
    }
    EXPECT_EQ(ReadFile(shared + QStringLiteral("/planted.txt")), "planted\n");

    for (const QStringList& plant : {QStringList{QStringLiteral("ln"), QStringLiteral("-s"), secret, settings},
                                     QStringList{QStringLiteral("mkfifo"), settings}}) {
        AsNobody({QStringLiteral("rm"), QStringLiteral("-f"), settings});
        AsNobody(plant);
        const export_testing::CommandResult result =
            RunExportCommand(db.login(), {QStringLiteral("--table"), QStringLiteral("t")},
                             {QStringLiteral("XDG_CONFIG_HOME=") + config});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains("cannot be used")) << result.err.toStdString();
    }
    EXPECT_EQ(ReadFile(secret), "root's own\n");
    EXPECT_EQ(QFileInfo(secret).permissions() & QFile::ReadOther, QFile::ReadOther);
}

TEST(ExportCommand, SettingsFilesThatCannotBeReadOrParsedAreWarnedAbout) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run(QStringLiteral("CREATE TABLE t (a INT)"));
    QTemporaryDir dir;
    const QString unreadable = dir.path() + QStringLiteral("/unreadable");
    ASSERT_TRUE(QDir().mkpath(unreadable + QStringLiteral("/Kestrafel.ini")));  // a folder in its place
    const QString malformed = dir.path() + QStringLiteral("/malformed");
    WriteFile(malformed + QStringLiteral("/Kestrafel.ini"), "[Tablewright\nMyServer=elsewhere\n");
    for (const QString& config : {unreadable, malformed}) {
        const export_testing::CommandResult result =
            RunExportCommand(db.login(), {QStringLiteral("--table"), QStringLiteral("t")},
                             {QStringLiteral("XDG_CONFIG_HOME=") + config});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_TRUE(result.err.startsWith("tablewright-export: warning: "));
        EXPECT_TRUE(result.err.contains(QFile::encodeName(config + QStringLiteral("/Kestrafel.ini"))))
            << result.err.toStdString();
    }
}

TEST(ExportCommand, ASeparatorThatIsNoTextIsWrittenByteForByte) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (a INT, b INT)"), QStringLiteral("INSERT INTO t VALUES (1, 2)")});
    // The byte 0xFF is not UTF-8; a shell hands it over as it is.
    QTemporaryDir dir;
    const QString wrapper = dir.path() + QStringLiteral("/with-separator");
    WriteFile(wrapper, "#!/bin/sh\nexec '" + QFile::encodeName(export_testing::ExportProgram()) +
                           "' \"$@\" --separator \"$(printf '\\377')\"\n");
    QFile::setPermissions(wrapper, QFile::ReadOwner | QFile::ExeOwner);
    const export_testing::CommandResult result =
        RunExportCommand(db.login(), {QStringLiteral("--table"), QStringLiteral("t")}, {}, {}, wrapper);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out,
              "a\xff"
              "b\r\n1\xff"
              "2\r\n\r\n");
}

TEST(ExportCommand, OnATerminalTheProgressLineEndsOnTheFinalCount) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    export_testing::CreateBigTable(db, 60000);  // three chunks
    QTemporaryDir dir;
    int terminal = -1;
    int side = -1;
    ASSERT_EQ(openpty(&terminal, &side, nullptr, nullptr, nullptr), 0);
    const export_testing::CommandResult result =
        RunExportCommand(db.login(),
                         {QStringLiteral("--table"), QStringLiteral("big"), QStringLiteral("--output"),
                          dir.path() + QStringLiteral("/out.txt")},
                         {}, [side] { dup2(side, STDERR_FILENO); });
    close(side);
    EXPECT_EQ(result.exitCode, 0);
    QByteArray shown;
    char buffer[4096];
    for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;) shown.append(buffer, n);
    close(terminal);
    // Each state overwrites the one before after a carriage return.
    shown = shown.trimmed();
    const QByteArray lastLine = shown.mid(shown.lastIndexOf('\r') + 1).trimmed();
    EXPECT_EQ(lastLine, "60000 rows written") << shown.toStdString();
}

TEST(ExportCommand, ValuesThatKeepLinesFromBeingSplitBackAreCountedInOneWarning) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (p DECIMAL(6,2), s VARCHAR(20))"),
            QStringLiteral("INSERT INTO t VALUES (2.50, 'plain'), (1.25, 'two\\nlines'), (NULL, 'cr\\rhere')")});
    const QStringList table{QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--no-header")};
    // A comma decimal point makes every decimal hold the default separator.
    export_testing::CommandResult result =
        RunExportCommand(db.login(), table, {QStringLiteral("LANG="), QStringLiteral("LC_ALL=de_DE.UTF-8")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "2,50,plain\r\n1,25,two\nlines\r\n,cr\rhere\r\n\r\n");
    EXPECT_EQ(result.err, QByteArray("tablewright-export: warning: 2 values contain the separator \",\" and 2 contain "
                                     "a line break; those lines cannot be split back into fields\n"));

    // The same values with a separator none of them holds: only the breaks.
    result = RunExportCommand(db.login(), table + QStringList{QStringLiteral("--separator"), QStringLiteral(";")},
                              {QStringLiteral("LANG="), QStringLiteral("LC_ALL=de_DE.UTF-8")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(
        result.err.endsWith("warning: 2 values contain a line break; those lines cannot be split back into fields\n"))
        << result.err.toStdString();

    // A clean file gets no warning.
    db.Run(QStringLiteral("DELETE FROM t WHERE s <> 'plain'"));
    result = RunExportCommand(db.login(), table + QStringList{QStringLiteral("--separator"), QStringLiteral(";")}, {});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
}

namespace {

// A name server on 127.53.53.53 that takes every question and never
// answers, and a wrapper that starts a program seeing only that one (in a
// mount namespace of its own: root only).
class SilentNameServer {
public:
    explicit SilentNameServer(const QString& folder) : wrapper_(folder + QStringLiteral("/silent-dns")) {
        socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(53);
        address.sin_addr.s_addr = htonl(0x7f353535);
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return;
        const QString resolver = folder + QStringLiteral("/resolv.conf");
        WriteFile(resolver, "nameserver 127.53.53.53\n");
        WriteFile(wrapper_, QStringLiteral("#!/bin/sh\nexec unshare -m sh -c 'mount --bind %1 /etc/resolv.conf && exec "
                                           "\"$0\" \"$@\"' %2 \"$@\"\n")
                                .arg(resolver, export_testing::ExportProgram())
                                .toUtf8());
        ready_ = QFile::setPermissions(wrapper_, QFile::ReadOwner | QFile::ExeOwner);
    }
    ~SilentNameServer() { ::close(socket_); }
    SilentNameServer(const SilentNameServer&) = delete;
    SilentNameServer& operator=(const SilentNameServer&) = delete;

    bool ready() const { return ready_; }
    const QString& wrapper() const { return wrapper_; }

private:
    int socket_ = -1;
    QString wrapper_;
    bool ready_ = false;
};

}  // namespace

// Every phase of opening a connection: the completion's --list-tables ends
// within its two seconds with words that name the server, and the first
// signal ends an export at once, not when the 30 s connect bound ends.
TEST(ExportCommand, EveryPhaseOfOpeningEndsWithinItsBoundAndAtTheFirstSignal) {
    using testing_support::StallingServer;
    QTemporaryDir dir;
    struct Phase {
        const char* name;
        std::optional<StallingServer::Mode> server;  // none: the name look-up stalls
        const char* words;
    };
    const Phase phases[] = {
        {"name look-up", std::nullopt,
         "The server name \"tablewright-test.example\" could not be looked up within 2 seconds"},
        {"greeting", StallingServer::Mode::Silent, "no answer within 2 seconds"},
        {"login", StallingServer::Mode::GreetThenStall, "no answer within 2 seconds"},
        {"TLS handshake", StallingServer::Mode::GreetWithTlsThenStall, "no answer within 2 seconds"},
    };
    for (const Phase& phase : phases) {
        std::optional<StallingServer> server;
        std::optional<SilentNameServer> names;
        db::LoginValues login{QStringLiteral("127.0.0.1"), QStringLiteral("ann"), QStringLiteral("pw"),
                              QStringLiteral("shop"), QStringLiteral("3306")};
        QString program;
        if (phase.server) {
            server.emplace(*phase.server);
            login.port = QString::number(server->port());
        } else {
            if (geteuid() != 0) continue;  // a mount namespace is root's
            names.emplace(dir.path());
            ASSERT_TRUE(names->ready());
            program = names->wrapper();
            login.server = QStringLiteral("tablewright-test.example");
        }
        QElapsedTimer timer;
        timer.start();
        const export_testing::CommandResult listed =
            RunExportCommand(login, {QStringLiteral("--list-tables")}, {}, {}, program);
        EXPECT_LT(timer.elapsed(), 2800) << phase.name;
        EXPECT_EQ(listed.exitCode, 1) << phase.name;
        EXPECT_TRUE(listed.err.contains(phase.words)) << phase.name << ": " << listed.err.toStdString();

        QProcess process;
        export_testing::StartExportCommand(
            process, login,
            {QStringLiteral("--table"), QStringLiteral("t"), QStringLiteral("--output"),
             dir.filePath(QStringLiteral("o"))},
            {}, [] { signal(SIGTERM, SIG_DFL); }, program);
        ASSERT_TRUE(process.waitForStarted());
        QThread::msleep(700);
        timer.restart();
        kill(static_cast<pid_t>(process.processId()), SIGTERM);
        ASSERT_TRUE(process.waitForFinished(10000)) << phase.name;
        EXPECT_EQ(process.exitCode(), 128 + SIGTERM) << phase.name << process.readAllStandardError().toStdString();
        EXPECT_LT(timer.elapsed(), 1000) << phase.name;
    }
}
