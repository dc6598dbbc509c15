// tablewright-export signs in as the standard client does: its options, its
// option files, its socket and its password prompt.
#include <fcntl.h>
#include <pty.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <functional>
#include <memory>
#include <vector>

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "export_fixture.h"

using export_testing::ExportProgram;
using export_testing::ReadFile;
using export_testing::WriteFile;
using testing_support::ScratchDatabase;

namespace {

// A home of its own: the wizard's settings and ~/.my.cnf, the only standard
// option file read.
struct Home {
    QTemporaryDir dir;
    QString path() const { return dir.path(); }
    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QStringList environment() const {
        QStringList variables = QProcess::systemEnvironment();
        variables.removeIf([](const QString& v) { return v.startsWith(QLatin1String("TABLEWRIGHT_PASSWORD=")); });
        variables << QStringLiteral("HOME=") + path() << QStringLiteral("XDG_CONFIG_HOME=") + file(".config")
                  << QStringLiteral("TABLEWRIGHT_OPTION_FILES=") + file(".my.cnf");
        return variables;
    }
};

export_testing::CommandResult RunIn(const Home& home, const QStringList& arguments) {
    QProcess process;
    process.setEnvironment(home.environment());
    process.start(ExportProgram(), arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

// The value --print-defaults shows for a key, and where it says it came from.
QPair<QString, QString> Shown(const QByteArray& out, const QString& key) {
    const QRegularExpression line(QStringLiteral("^--%1=(\\S*)\\s+# (.*)$").arg(key),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(out));
    if (!match.hasMatch()) return {QStringLiteral("-"), QStringLiteral("-")};
    return {match.captured(1), match.captured(2)};
}

}  // namespace

// Key by key, the first of: the command line, a named option file, the
// program's own group, the wizard's stored login, the client groups, the
// defaults.
TEST(ClientLogin, EachLoginValueComesFromTheFirstSourceThatGivesIt) {
    struct Case {
        const char* name;
        QStringList arguments;
        const char* myCnf;     // ~/.my.cnf
        const char* named;     // the file given by --defaults-file or --defaults-extra-file
        const char* stored;    // the wizard's settings
        const char* user;      // the user shown; "-": none
        const char* from;      // the start of its source
        const char* password;  // the start of the password's source; "-": none
    };
    const char* const kOwnAndClient = "[client]\nuser=client\n[tablewright-export]\nuser=own\n";
    const char* const kClient = "[client]\nuser = client\npassword='s3cret'\n";
    const QString extra = QStringLiteral("--defaults-extra-file=NAMED");
    const QString only = QStringLiteral("--defaults-file=NAMED");
    const std::vector<Case> cases = {
        {"defaults", {}, "", nullptr, "", "-", "-", "-"},
        {"client group", {}, kClient, nullptr, "", "client", "HOME/.my.cnf [client]", "HOME/.my.cnf [client]"},
        {"stored over client", {}, kClient, nullptr, "MyUser=stored\n", "stored", "the wizard's", "HOME/.my.cnf"},
        {"stored empty leaves it", {}, kClient, nullptr, "MyUser=\nMyPassword=\n", "client", "HOME/.my.cnf", "HOME"},
        {"own group over stored",
         {},
         kOwnAndClient,
         nullptr,
         "MyUser=stored\n",
         "own",
         "HOME/.my.cnf [tablewright-export]",
         "-"},
        {"group and key in any case",
         {},
         "[CLIENT-MariaDB]\nUSER=upper\n",
         nullptr,
         "",
         "upper",
         "HOME/.my.cnf [client-mariadb]",
         "-"},
        {"included file", {}, "!include HOME/inc.cnf\n", nullptr, "", "included", "HOME/inc.cnf [client]", "-"},
        {"extra file over own",
         {extra},
         kOwnAndClient,
         "[client]\nuser=named\n",
         "MyUser=stored\n",
         "named",
         "HOME/named.cnf [client]",
         "-"},
        {"named own over named client",
         {extra},
         "",
         kOwnAndClient,
         "",
         "own",
         "HOME/named.cnf [tablewright-export]",
         "-"},
        {"defaults-file reads no other",
         {only},
         kOwnAndClient,
         "[client]\npassword=x\n",
         "MyUser=stored\n",
         "stored",
         "the wizard's",
         "HOME/named.cnf"},
        {"command line over all",
         {QStringLiteral("-ucmd")},
         kOwnAndClient,
         "[client]\nuser=named\n",
         "MyUser=stored\n",
         "cmd",
         "command line",
         "-"},
        {"no-defaults",
         {QStringLiteral("--no-defaults")},
         kOwnAndClient,
         nullptr,
         "MyUser=stored\n",
         "stored",
         "the wizard's",
         "-"},
        {"world-writable ignored", {QStringLiteral("WRITABLE")}, kOwnAndClient, nullptr, "", "-", "-", "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Home home;
        const auto here = [&](const char* text) {
            return QString::fromUtf8(text).replace(QStringLiteral("HOME"), home.path()).toUtf8();
        };
        WriteFile(home.file(".my.cnf"), here(c.myCnf));
        WriteFile(home.file("inc.cnf"), "[client]\nuser=included\n");
        if (c.named != nullptr) WriteFile(home.file("named.cnf"), c.named);
        QDir(home.path()).mkpath(QStringLiteral(".config"));
        WriteFile(home.file(".config/Kestrafel.ini"), QByteArray("[Tablewright]\n") + c.stored);
        QStringList arguments = {QStringLiteral("--print-defaults")};
        for (QString argument : c.arguments) {
            if (argument == QLatin1String("WRITABLE")) {
                QFile::setPermissions(home.file(".my.cnf"),
                                      QFile::permissions(home.file(".my.cnf")) | QFile::WriteOther);
                continue;
            }
            arguments << argument.replace(QStringLiteral("NAMED"), home.file("named.cnf"));
        }
        const export_testing::CommandResult result = RunIn(home, arguments);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const auto [user, from] = Shown(result.out, QStringLiteral("user"));
        EXPECT_EQ(user, QLatin1String(c.user)) << result.out.toStdString();
        EXPECT_TRUE(from.startsWith(QString::fromUtf8(here(c.from)))) << from.toStdString();
        const auto [password, passwordFrom] = Shown(result.out, QStringLiteral("password"));
        EXPECT_EQ(password, QLatin1String(QByteArray(c.password) == "-" ? "-" : "*****"));
        EXPECT_TRUE(passwordFrom.startsWith(QString::fromUtf8(here(c.password)))) << passwordFrom.toStdString();
        EXPECT_FALSE(result.out.contains("s3cret"));
        EXPECT_EQ(Shown(result.out, QStringLiteral("host")).first, QStringLiteral("localhost"));
        EXPECT_EQ(result.err.contains("World-writable config file"), c.arguments.contains(QStringLiteral("WRITABLE")))
            << result.err.toStdString();
    }
}

// A ~/.my.cnf with the login in [client] is all an export needs.
TEST(ClientLogin, ExportsWithTheLoginOfTheClientGroup) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (a INT)"), QStringLiteral("INSERT INTO t VALUES (7)")});
    const db::LoginValues login = db.login();
    Home home;
    WriteFile(home.file(".my.cnf"),
              QStringLiteral("[client]\nhost=%1\nport=%2\nuser=%3\npassword=\"%4\"\ndatabase=%5\n")
                  .arg(login.server, login.port, login.user, login.password, login.database)
                  .toUtf8());
    const export_testing::CommandResult result = RunIn(home, {QStringLiteral("--table"), QStringLiteral("t")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "a\r\n7\r\n\r\n");
}

// The user who started the test server signs in through its socket by the
// unix_socket plugin, without a password; a socket on the command line is
// used whatever the host and port say.
TEST(ClientLogin, SocketSignsInByTheUnixSocketPlugin) {
    TW_REQUIRE_SERVER();
    const QString socketUser = qEnvironmentVariable("TABLEWRIGHT_TEST_SOCKET_USER");
    ASSERT_FALSE(socketUser.isEmpty()) << "the test server was started by a script without the unix_socket user";
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (a INT)"), QStringLiteral("INSERT INTO t VALUES (1), (2)")});
    const db::StoredResult plugin = db.Connect().Query(
        QStringLiteral("SELECT plugin FROM mysql.user WHERE user = '%1' AND host = 'localhost'").arg(socketUser));
    ASSERT_EQ(plugin.rowCount(), 1U);
    EXPECT_EQ(plugin.value(0, 0).text(), QStringLiteral("unix_socket"));

    const QString socket = qEnvironmentVariable("TABLEWRIGHT_TEST_SOCKET");
    const QString port = qEnvironmentVariable("TABLEWRIGHT_TEST_PORT");
    const QStringList export_ = {QStringLiteral("-u"), socketUser, db.name(), QStringLiteral("--table"),
                                 QStringLiteral("t")};
    struct Case {
        QStringList login;
        QString myCnf;
    };
    const std::vector<Case> cases = {
        {{QStringLiteral("-S"), socket}, {}},
        {{QStringLiteral("--socket=") + socket, QStringLiteral("-h"), QStringLiteral("127.0.0.1"),
          QStringLiteral("-P1")},
         {}},
        // An option file's socket is the local server's: for localhost, port 3306.
        {{QStringLiteral("-h"), QStringLiteral("localhost")},
         QStringLiteral("[client]\nsocket=%1\nport=%2\n[tablewright-export]\nport=3306\n").arg(socket, port)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.login.join(QLatin1Char(' ')).toStdString());
        Home home;
        WriteFile(home.file(".my.cnf"), c.myCnf.toUtf8());
        const export_testing::CommandResult result = RunIn(home, c.login + export_);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.out, "a\r\n1\r\n2\r\n\r\n");
    }
}

// -p asks on the terminal with its echo off, and turns it back on however
// the asking ends. An answer typed the moment the prompt shows is taken and
// not shown; after Ctrl-Z, or a stop from elsewhere and a continue
// that put the echo back, as a shell may, the rest is not shown either.
TEST(ClientLogin, PasswordPromptHidesWhatIsTypedAndRestoresTheTerminal) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE t (a INT)"), QStringLiteral("INSERT INTO t VALUES (5)")});
    const db::LoginValues login = db.login();
    const QByteArray password = login.password.toUtf8();
    enum class Stop { None, Key, Signal };
    struct Case {
        QByteArray typed;
        int exitCode;
        Stop stop = Stop::None;
    };
    const std::vector<Case> cases = {
        {password + '\n', 0},
        {password + '\n', 0},
        {password + '\n', 0},
        {"wrong\n", 1},
        {"\x03", 128 + SIGINT},  // Ctrl-C while asked
        {password + '\n', 0, Stop::Key},
        {password + '\n', 0, Stop::Signal},
        {"x\x7f" + password + '\n', 0},  // a character typed and taken back
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exitCode);
        Home home;
        const QString output = home.file("out.txt");
        // Everything the child needs, made before it is forked.
        std::vector<QByteArray> texts = {QFile::encodeName(ExportProgram())};
        for (const QString& argument :
             {QStringLiteral("-h"), login.server, QStringLiteral("-P"), login.port, QStringLiteral("-u"), login.user,
              QStringLiteral("-p"), QStringLiteral("-D"), login.database, QStringLiteral("--table"),
              QStringLiteral("t"), QStringLiteral("--output"), output})
            texts.push_back(argument.toUtf8());
        std::vector<QByteArray> variables;
        for (const QString& variable : home.environment()) variables.push_back(variable.toUtf8());
        const auto pointers = [](std::vector<QByteArray>& list) {
            std::vector<char*> out(list.size() + 1, nullptr);
            std::transform(list.begin(), list.end(), out.begin(), [](QByteArray& text) { return text.data(); });
            return out;
        };
        std::vector<char*> argv = pointers(texts);
        std::vector<char*> envp = pointers(variables);

        int terminal = -1;
        const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int caught = 1; caught < NSIG; ++caught) signal(caught, SIG_DFL);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        fcntl(terminal, F_SETFL, O_NONBLOCK);
        // A child left asking when the test fails is ended with it.
        bool reaped = false;
        const std::unique_ptr<void, std::function<void(void*)>> cleanup(&terminal, [&](void*) {
            if (!reaped) {
                kill(child, SIGKILL);
                waitpid(child, nullptr, 0);
            }
            close(terminal);
        });
        QByteArray shown;
        const auto read = [&] {
            char bytes[256];
            const ssize_t got = ::read(terminal, bytes, sizeof bytes);
            if (got > 0) shown.append(bytes, got);
        };
        const auto echoing = [&] {
            termios now = {};
            return tcgetattr(terminal, &now) == 0 && (now.c_lflag & ECHO) != 0;
        };
        const QDeadlineTimer deadline(30000);
        const auto waitFor = [&](const std::function<bool()>& done) {
            while (!done()) {
                if (deadline.hasExpired()) return false;
                fd_set ready;
                FD_ZERO(&ready);
                FD_SET(terminal, &ready);
                timeval wait = {0, 10000};
                if (select(terminal + 1, &ready, nullptr, nullptr, &wait) > 0) read();
            }
            return true;
        };
        ASSERT_TRUE(waitFor([&] { return shown.contains("Enter password: "); })) << shown.toStdString();
        ASSERT_FALSE(echoing());
        // Ctrl-Z stops the program where a shell can continue it; here, in a
        // session of its own, the stop is not made and the asking goes on.
        if (c.stop == Stop::Key) {
            ASSERT_EQ(::write(terminal, "\x1a", 1), 1);
        }
        if (c.stop == Stop::Signal) {
            kill(child, SIGSTOP);
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, WUNTRACED), child);
            ASSERT_TRUE(WIFSTOPPED(status)) << status;
            termios loud = {};
            tcgetattr(terminal, &loud);
            loud.c_lflag |= ECHO | ICANON | ISIG;
            tcsetattr(terminal, TCSANOW, &loud);
            kill(child, SIGCONT);
            ASSERT_TRUE(waitFor([&] { return !echoing(); })) << "the echo stayed on after the continue";
        }
        ASSERT_EQ(::write(terminal, c.typed.constData(), c.typed.size()), c.typed.size());
        int status = 0;
        while (waitpid(child, &status, WNOHANG) == 0) {
            ASSERT_FALSE(deadline.hasExpired()) << shown.toStdString();
            read();  // the terminal must not fill up
            QThread::msleep(5);
        }
        reaped = true;
        EXPECT_TRUE(echoing());
        read();
        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), c.exitCode) << shown.toStdString();
        EXPECT_FALSE(shown.contains(password)) << shown.toStdString();
        EXPECT_EQ(shown.contains("Access denied"), c.exitCode == 1) << shown.toStdString();
        if (c.exitCode == 0) {
            EXPECT_EQ(ReadFile(output), "a\r\n5\r\n\r\n");
        }
    }
}
