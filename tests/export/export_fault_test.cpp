#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "db/connection.h"
#include "export/export_job.h"
#include "export_fixture.h"
#include "files/save_file_sink.h"
#include "support/wait_until.h"

using export_testing::Export;
using export_testing::FolderEntries;
using export_testing::ReadFile;
using export_testing::RequestFor;
using export_testing::WriteFile;
using testing_support::ScratchDatabase;

namespace {

// Which call of fdatasync in this program fails next, counted from 1 since
// the test set it; 0: none.
std::atomic<int> failingFlush{0};
std::atomic<int> flushes{0};

void FailFlushNumber(int number) {
    flushes = 0;
    failingFlush = number;
}

}  // namespace

// Stands in for the C library's own in this test program: the flush that
// FailFlushNumber() named fails as on a disk that lost the pages, once, and
// takes its time to, so that the writer goes on meanwhile.
// NOLINTNEXTLINE(readability-identifier-naming,readability-inconsistent-declaration-parameter-name): the C library's.
extern "C" int fdatasync(int descriptor) {
    if (failingFlush != 0 && ++flushes == failingFlush) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        errno = EIO;
        return -1;
    }
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fdatasync"));
    return real(descriptor);
}

namespace {

const QByteArray kOldContent = "the file from last week\r\n\r\n";

// A file sink on a disk that is full after `room` bytes.
class FullDiskSink : public files::OutputSink {
public:
    FullDiskSink(const QString& path, std::size_t room) : file_(path), room_(room) {}
    bool Open() override { return file_.Open(); }
    bool Write(const char* data, std::size_t size) override {
        if (size > room_) return false;
        room_ -= size;
        return file_.Write(data, size);
    }
    bool Commit() override { return file_.Commit(); }
    QString errorString() const override { return QStringLiteral("No space left on device"); }

private:
    files::SaveFileSink file_;
    std::size_t room_;
};

// Kills the export's own connection from another one once the first chunk
// has been written, as a server going away in the middle would.
class KillAfterFirstChunk : public exporter::ExportMonitor {
public:
    explicit KillAfterFirstChunk(const ScratchDatabase& db) : db_(db) {}
    void RowsWritten(std::uint64_t) override {
        if (killed_) return;
        killed_ = true;
        db::Connection admin = db_.Connect();
        const db::StoredResult export_ = admin.Query(
            QStringLiteral(
                "SELECT ID FROM information_schema.PROCESSLIST WHERE DB = '%1' AND INFO LIKE 'SELECT % FROM `big`'")
                .arg(db_.name()));
        ASSERT_EQ(export_.rowCount(), 1u);
        admin.Execute(QStringLiteral("KILL ") + export_.value(0, 0).text());
    }

private:
    const ScratchDatabase& db_;
    bool killed_ = false;
};

// Asks for a stop once the first chunk is written, as a user would while
// rows flow.
class StopAfterFirstChunk : public exporter::ExportMonitor {
public:
    void RowsWritten(std::uint64_t) override { ++chunks; }
    bool StopRequested() const override { return chunks > 0; }
    int chunks = 0;
};

class ExportFault : public ::testing::Test {
protected:
    void SetUp() override {
        TW_REQUIRE_SERVER();
        db_ = std::make_unique<ScratchDatabase>();
        db_->Run({QStringLiteral("CREATE TABLE t (a INT, b VARCHAR(10))"),
                  QStringLiteral("INSERT INTO t VALUES (1, 'x'), (2, NULL)")});
        path_ = dir_.path() + QStringLiteral("/out.txt");
        WriteFile(path_, kOldContent);
    }
    exporter::ExportRequest Request() const {
        return RequestFor(*db_, QStringLiteral("t"), {QStringLiteral("a"), QStringLiteral("b")}, path_);
    }
    // The old file is byte for byte what it was, and nothing else is there.
    void ExpectOldFileUntouched() const {
        EXPECT_EQ(ReadFile(path_), kOldContent);
        EXPECT_EQ(FolderEntries(dir_.path()), QStringList{QStringLiteral("out.txt")});
    }

    QTemporaryDir dir_;
    QString path_;
    std::unique_ptr<ScratchDatabase> db_;
};

}  // namespace

TEST_F(ExportFault, DatabaseFailuresStopBeforeTheFileIsTouched) {
    exporter::ExportRequest unreachable = Request();
    unreachable.login.server = QStringLiteral("127.0.0.1");
    unreachable.login.port = QStringLiteral("1");  // a privileged port no server here listens on
    exporter::ExportOutcome outcome = Export(unreachable);
    EXPECT_EQ(outcome.status, exporter::ExportOutcome::Status::Failed);
    EXPECT_EQ(outcome.label, 118);
    EXPECT_EQ(outcome.description,
              QStringLiteral("Cannot connect to the server at 127.0.0.1, port 1: connection refused"));
    ExpectOldFileUntouched();

    db_->Run(QStringLiteral("DROP TABLE t"));
    outcome = Export(Request());
    EXPECT_EQ(outcome.label, 120);
    EXPECT_TRUE(outcome.description.contains(QStringLiteral("doesn't exist"))) << outcome.description.toStdString();
    ExpectOldFileUntouched();
}

TEST_F(ExportFault, FilesThatCannotBeCreatedFailAtStep180) {
    const QString folderAsTarget = dir_.path() + QStringLiteral("/folder");
    QDir().mkdir(folderAsTarget);
    for (const QString& path : {dir_.path() + QStringLiteral("/no/such/folder/out.txt"), folderAsTarget,
                                path_ + QStringLiteral("/below/a/file.txt")}) {
        exporter::ExportRequest request = Request();
        request.outputPath = path;
        const exporter::ExportOutcome outcome = Export(request);
        EXPECT_EQ(outcome.label, 180) << path.toStdString();
        EXPECT_TRUE(outcome.description.startsWith(QStringLiteral("Cannot create ") + path + QStringLiteral(": ")))
            << outcome.description.toStdString();
    }
    EXPECT_TRUE(FolderEntries(folderAsTarget).isEmpty());
    QDir().rmdir(folderAsTarget);
    ExpectOldFileUntouched();
}

TEST_F(ExportFault, ReadOnlyTargetsAndFoldersFailAtStep180) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not hold back root";
    QFile::setPermissions(path_, QFile::ReadOwner);
    exporter::ExportOutcome outcome = Export(Request());
    EXPECT_EQ(outcome.label, 180);
    QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner);
    ExpectOldFileUntouched();

    const QString lockedFolder = dir_.path() + QStringLiteral("/locked");
    QDir().mkdir(lockedFolder);
    QFile::setPermissions(lockedFolder, QFile::ReadOwner | QFile::ExeOwner);
    exporter::ExportRequest inLockedFolder = Request();
    inLockedFolder.outputPath = lockedFolder + QStringLiteral("/out.txt");
    outcome = Export(inLockedFolder);
    EXPECT_EQ(outcome.label, 180);
    EXPECT_TRUE(FolderEntries(lockedFolder).isEmpty());
}

TEST_F(ExportFault, AFullDiskFailsAtStep184AndLeavesTheOldFile) {
    db_->Run(QStringLiteral("INSERT INTO t SELECT seq, REPEAT('y', 9) FROM seq_1_to_400000"));
    FullDiskSink sink(path_, 3 << 20);  // room for one chunk, not for two
    exporter::ExportMonitor quiet;
    exporter::ExportOutcome outcome = exporter::RunExport(Request(), lines::ValueStyle::Plain(), sink, quiet);
    EXPECT_EQ(outcome.label, 184);
    EXPECT_EQ(outcome.description, QStringLiteral("No space left on device"));

    // A device that is always full, named as the output path.
    exporter::ExportRequest toFullDevice = Request();
    toFullDevice.outputPath = QStringLiteral("/dev/full");
    outcome = Export(toFullDevice);
    EXPECT_EQ(outcome.label, 184);
    EXPECT_TRUE(outcome.description.contains(QStringLiteral("No space left"))) << outcome.description.toStdString();
    ExpectOldFileUntouched();
}

TEST_F(ExportFault, AServerGoneDuringTheExportFailsAtStep160AndLeavesTheOldFile) {
    export_testing::CreateBigTable(*db_, 200000);
    const exporter::ExportRequest request =
        RequestFor(*db_, QStringLiteral("big"), {QStringLiteral("id"), QStringLiteral("filler")}, path_);
    KillAfterFirstChunk killer(*db_);
    const std::unique_ptr<files::OutputSink> sink = files::SinkForPath(path_);
    const exporter::ExportOutcome outcome = exporter::RunExport(request, lines::ValueStyle::Plain(), *sink, killer);
    EXPECT_EQ(outcome.status, exporter::ExportOutcome::Status::Failed);
    EXPECT_EQ(outcome.label, 160);
    EXPECT_TRUE(outcome.description.contains(QStringLiteral("ended while the rows were read (")))
        << outcome.description.toStdString();
    ExpectOldFileUntouched();
}

TEST_F(ExportFault, AStopWhileRowsFlowEndsTheExportAtTheNextChunk) {
    export_testing::CreateBigTable(*db_, 200000);
    StopAfterFirstChunk stopper;
    const std::unique_ptr<files::OutputSink> sink = files::SinkForPath(path_);
    const exporter::ExportOutcome outcome = exporter::RunExport(
        RequestFor(*db_, QStringLiteral("big"), {QStringLiteral("id"), QStringLiteral("filler")}, path_),
        lines::ValueStyle::Plain(), *sink, stopper);
    EXPECT_EQ(outcome.status, exporter::ExportOutcome::Status::Stopped);
    EXPECT_EQ(stopper.chunks, 1);
    ExpectOldFileUntouched();
}

TEST_F(ExportFault, StoppingTheJobRemovesTheTemporaryFile) {
    export_testing::CreateBigTable(*db_, 200000);
    exporter::ExportJob job;
    QSignalSpy finished(&job, &exporter::ExportJob::finished);
    job.Start(RequestFor(*db_, QStringLiteral("big"), {QStringLiteral("id")}, path_), lines::ValueStyle::Plain());
    EXPECT_TRUE(job.running());
    job.Stop();
    ExpectOldFileUntouched();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(job.running());
    EXPECT_EQ(job.outcome().status, exporter::ExportOutcome::Status::Stopped);

    // The same job runs the next export to its end.
    QSignalSpy progress(&job, &exporter::ExportJob::progress);
    job.Start(RequestFor(*db_, QStringLiteral("big"), {QStringLiteral("id")}, path_), lines::ValueStyle::Plain());
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_TRUE(job.outcome().written());
    EXPECT_EQ(job.outcome().rowsWritten, 200000u);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().at(0).toULongLong(), 200000u);
    EXPECT_GT(progress.last().at(1).toULongLong(), 0u);  // the server's estimate
    EXPECT_TRUE(ReadFile(path_).startsWith("id\r\n1\r\n2\r\n"));
}

// The wizard's stop (closing its window) ends an export that waits to write
// into a named pipe whose reader does not read.
TEST_F(ExportFault, StoppingTheJobEndsAWriteIntoAPipeNobodyReads) {
    export_testing::CreateBigTable(*db_, 20000);
    const QString pipe = dir_.path() + QStringLiteral("/pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const int reader = open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    exporter::ExportJob job;
    QSignalSpy finished(&job, &exporter::ExportJob::finished);
    job.Start(RequestFor(*db_, QStringLiteral("big"), {QStringLiteral("filler")}, pipe), lines::ValueStyle::Plain());
    ASSERT_TRUE(testing_support::WaitUntil(
        [&] {
            int waiting = 0;
            return ioctl(reader, FIONREAD, &waiting) == 0 && waiting >= fcntl(reader, F_GETPIPE_SZ);
        },
        30000));
    job.Stop();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(job.outcome().status, exporter::ExportOutcome::Status::Stopped);
    close(reader);
}

namespace {

// Made on the job's thread and ended with it, slowly, as a library's
// per-thread clean-up may end.
std::atomic<bool> slowEndDone{false};
struct SlowThreadEnd {
    SlowThreadEnd() = default;
    SlowThreadEnd(const SlowThreadEnd&) = delete;
    SlowThreadEnd& operator=(const SlowThreadEnd&) = delete;
    ~SlowThreadEnd() {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        slowEndDone = true;
    }
};

}  // namespace

// When finished() comes, and when the job is gone, its thread has ended
// entirely, its per-thread clean-up too: a program may then return from main
// and run the libraries' clean-up at exit.
TEST_F(ExportFault, TheJobsThreadHasEndedWhenItIsFinishedOrGone) {
    for (const bool destroyedRunning : {false, true}) {
        SCOPED_TRACE(destroyedRunning);
        slowEndDone = false;
        {
            exporter::ExportJob job;
            QSignalSpy finished(&job, &exporter::ExportJob::finished);
            job.Start(Request(), lines::ValueStyle::Plain(), [](const exporter::ExportRequest& request) {
                thread_local const SlowThreadEnd end;
                return files::SinkForPath(request.outputPath);
            });
            if (!destroyedRunning) {
                ASSERT_TRUE(finished.wait(10000));
                EXPECT_TRUE(slowEndDone);
            }
        }
        EXPECT_TRUE(slowEndDone);
    }
}

// A flush that fails on the flushing thread is handed to whoever finishes
// the file: the disk may not report it a second time.
TEST(BackgroundFlush, AFailedFlushIsToldWhenTheFileIsFinished) {
    files::BackgroundFlush flush;
    flush.Written(-1, off_t{64} << 20);
    EXPECT_EQ(flush.Finish(), EBADF);
}

// The disk reports a lost write once: a background flush that failed fails
// the file even when every later flush, in the background or the last
// one, succeeds.
TEST(BackgroundFlush, AFlushThatFailedOnceFailsTheFileThoughLaterOnesSucceed) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    WriteFile(path, kOldContent);
    // Each chunk starts a background flush.
    const QByteArray chunk(16 << 20, 'x');
    const struct {
        int failing;  // the flush that fails
        int chunks;
    } cases[] = {{1, 1}, {1, 2}, {2, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing * 10 + c.chunks);
        {
            const std::unique_ptr<files::OutputSink> sink = files::SinkForPath(path);
            ASSERT_TRUE(sink->Open());
            FailFlushNumber(c.failing);
            bool written = true;
            for (int i = 0; i < c.chunks && written; ++i)
                written = sink->Write(chunk.constData(), static_cast<std::size_t>(chunk.size()));
            EXPECT_FALSE(written && sink->Commit());
            FailFlushNumber(0);
            EXPECT_TRUE(sink->errorString().contains(QStringLiteral("Input/output error")))
                << sink->errorString().toStdString();
        }
        EXPECT_EQ(ReadFile(path), kOldContent);
        EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("out.txt")});
    }
}

// Once a background flush has failed, the next write fails with its error
// instead of writing on into a file that cannot be kept.
TEST(BackgroundFlush, AWriteAfterAFailedFlushFails) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    WriteFile(path, kOldContent);
    {
        const std::unique_ptr<files::OutputSink> sink = files::SinkForPath(path);
        ASSERT_TRUE(sink->Open());
        FailFlushNumber(1);
        // Starts the background flush, which fails after a while; the short
        // writes after it start no other.
        const QByteArray chunk(16 << 20, 'x');
        ASSERT_TRUE(sink->Write(chunk.constData(), static_cast<std::size_t>(chunk.size())));
        const QByteArray row = "1,2.5\r\n";
        EXPECT_TRUE(testing_support::WaitUntil(
            [&] { return !sink->Write(row.constData(), static_cast<std::size_t>(row.size())); }, 10000));
        FailFlushNumber(0);
        EXPECT_TRUE(sink->errorString().contains(QStringLiteral("Input/output error")))
            << sink->errorString().toStdString();
        EXPECT_FALSE(sink->Commit());
    }
    EXPECT_EQ(ReadFile(path), kOldContent);
}
