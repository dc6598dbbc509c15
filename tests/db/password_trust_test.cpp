#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "db/connection.h"
#include "db/db_error.h"
#include "db/socket_trust.h"
#include "support/stalling_server.h"
#include "support/wait_until.h"

using testing_support::StallingServer;

// A server (or whoever listens on its address) that asks for the password in
// clear, as mysql_clear_password or as dialog, gets it only when the user
// allowed it; otherwise the refusal says why and what to do.
TEST(PasswordTrust, GoesInClearOnlyWhenAllowed) {
    const std::string secret = "s3cret-pw";
    for (const StallingServer::Mode mode : {StallingServer::Mode::AskInClear, StallingServer::Mode::AskThroughDialog}) {
        for (const bool allowed : {false, true}) {
            SCOPED_TRACE(::testing::Message()
                         << "dialog " << (mode == StallingServer::Mode::AskThroughDialog) << ", allowed " << allowed);
            StallingServer fake(mode);
            db::LoginValues login;
            login.server = QStringLiteral("127.0.0.1");
            login.port = QString::number(fake.port());
            login.user = QStringLiteral("someone");
            login.password = QString::fromStdString(secret);
            db::ConnectOptions options;
            options.connectTimeoutSeconds = 5;
            options.readTimeoutSeconds = 5;
            options.tls = db::TlsSettings{};
            options.tls->cleartextPassword = allowed;
            QString words;
            try {
                db::Connection::Open(login, options);
            } catch (const db::DbError& e) {
                words = QString::fromUtf8(e.what());
            }
            ASSERT_TRUE(testing_support::WaitUntil([&] { return fake.served() == 1; }));
            EXPECT_EQ(fake.received().find(secret) != std::string::npos, allowed);
            if (!allowed) {
                EXPECT_TRUE(words.startsWith(QStringLiteral("The server asked for the password in clear text")))
                    << words.toStdString();
            }
        }
    }
}

namespace {

// Makes a listening socket at `path`; its descriptor.
int Listen(const QString& path) {
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    EXPECT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path.toStdString();
    ::listen(socket, 1);
    return socket;
}

}  // namespace

// A socket that another user (not root) made in a folder that anyone may
// write to is refused, as is a link they made there, a socket in such a
// folder without the sticky bit, and a missing one there (so that one
// planted after the look is not used); one of root's or our own is used.
TEST(PasswordTrust, ASocketPlantedInASharedFolderIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to give a socket to another user";
    constexpr uid_t kNobody = 65534;
    QTemporaryDir shared;
    ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0);
    const QString planted = shared.path() + QStringLiteral("/planted.sock");
    const QString ours = shared.path() + QStringLiteral("/ours.sock");
    const QString link = shared.path() + QStringLiteral("/link.sock");
    const int plantedSocket = Listen(planted);
    const int ourSocket = Listen(ours);
    ASSERT_EQ(::lchown(QFile::encodeName(planted).constData(), kNobody, kNobody), 0);
    ASSERT_TRUE(QFile::link(ours, link));
    ASSERT_EQ(::lchown(QFile::encodeName(link).constData(), kNobody, kNobody), 0);

    QTemporaryDir open;  // writable by anyone, not sticky
    ASSERT_EQ(::chmod(QFile::encodeName(open.path()).constData(), 0777), 0);
    const QString unguarded = open.path() + QStringLiteral("/root.sock");
    const int unguardedSocket = Listen(unguarded);

    const struct {
        QString path;
        const char* problem;  // the start of the words; nullptr: used
    } cases[] = {
        {ours, nullptr},
        {planted, "The socket "},
        {link, "The socket "},
        {unguarded, "The socket "},
        {shared.path() + QStringLiteral("/missing.sock"), "There is no socket"},
        {QStringLiteral("/tmp/") + QString(120, QLatin1Char('x')), "The socket path"},
    };
    for (const auto& c : cases) {
        const QString problem = db::SocketTrustProblem(c.path);
        if (c.problem == nullptr) {
            EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        } else {
            EXPECT_TRUE(problem.startsWith(QLatin1String(c.problem)))
                << c.path.toStdString() << ": " << problem.toStdString();
        }
    }
    for (const int socket : {plantedSocket, ourSocket, unguardedSocket}) ::close(socket);
}
