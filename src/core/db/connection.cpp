#include "db/connection.h"

#include <chrono>
#include <csignal>
#include <mutex>
#include <vector>

#include <QFileInfo>

#include <errmsg.h>
#include <mysql.h>

#include "db/bounded_opening.h"
#include "db/connect_failure.h"
#include "db/connection_cut.h"
#include "db/connection_text.h"
#include "db/db_error.h"
#include "db/db_logging.h"
#include "db/server_wait.h"
#include "db/socket_trust.h"
#include "db/table_queries.h"
#include "db/tls_connect.h"

namespace db {
namespace {

// The connector keeps global state that must be set up once, before threads
// open connections of their own. Setting it up ignores SIGPIPE; a program
// that catches SIGPIPE itself (to stop when another process sends it) keeps
// its handler, which passes over the one a broken pipe raises.
void EnsureLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction before = {};
        const bool known = ::sigaction(SIGPIPE, nullptr, &before) == 0;
        mysql_library_init(0, nullptr, nullptr);
        if (known && before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN)
            ::sigaction(SIGPIPE, &before, nullptr);
    });
}

QString DefaultSocketPath() {
    const QByteArray fromEnvironment = qgetenv("MYSQL_UNIX_PORT");
    if (!fromEnvironment.isEmpty()) return QString::fromLocal8Bit(fromEnvironment);
    return QStringLiteral("/run/mysqld/mysqld.sock");
}

}  // namespace

unsigned ParsePort(const QString& text) {
    const QString trimmed = text.trimmed();
    bool digitsOnly = !trimmed.isEmpty() && trimmed.size() <= 5;
    for (const QChar c : trimmed) digitsOnly = digitsOnly && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const unsigned port = digitsOnly ? trimmed.toUInt() : 0;
    if (port < 1 || port > 65535) throw DbError(QStringLiteral("Port must be a number from 1 to 65535."));
    return port;
}

Endpoint ResolveEndpoint(const LoginValues& values) {
    if (!values.socket.isEmpty()) return Endpoint{QString(), 0, values.socket};
    const unsigned port = ParsePort(values.port);
    if (values.server == QLatin1String("localhost")) {
        const QString socket = DefaultSocketPath();
        if (port == 3306 && QFileInfo::exists(socket)) return Endpoint{QString(), 0, socket};
        return Endpoint{QStringLiteral("127.0.0.1"), port, QString()};
    }
    return Endpoint{values.server, port, QString()};
}

void Connection::Closer::operator()(st_mysql* m) const { mysql_close(m); }

Connection::~Connection() {
    if (mysql_ && endGivenUpStatement_ && waitRules_->givenUp->load()) EndGivenUpStatement();
}

Connection::Connection(Connection&&) noexcept = default;
Connection& Connection::operator=(Connection&&) noexcept = default;

// The second connection waits a short while for everything, with TLS as
// without it, and ends no statement of its own.
void Connection::EndGivenUpStatement() const noexcept {
    constexpr unsigned kPatienceSeconds = 2;
    try {
        ConnectOptions options;
        options.connectTimeoutSeconds = kPatienceSeconds;
        options.readTimeoutSeconds = kPatienceSeconds;
        options.writeTimeoutSeconds = kPatienceSeconds;
        options.napForRows = true;
        options.tls = tls_;
        options.endGivenUpStatement = false;
        Connection other = Open(login_, options);
        EndStatementOf(other, serverThread_);
        qCDebug(lcDb) << "ended the statement of connection" << serverThread_;
    } catch (const std::exception& e) {
        qCDebug(lcDb) << "could not end the statement of connection" << serverThread_ << ":" << e.what();
    }
}

Connection Connection::Open(const QString& connectionText, const ConnectOptions& options) {
    return Open(ParseConnectionText(connectionText), options);
}

Connection Connection::Open(const LoginValues& values, const ConnectOptions& options) {
    const Endpoint endpoint = ResolveEndpoint(values);
    if (!endpoint.socket.isEmpty()) {
        const QString problem = SocketTrustProblem(endpoint.socket);
        if (!problem.isEmpty()) throw DbError(problem, 0, problem);
    }
    EnsureLibrary();
    MYSQL* raw = mysql_init(nullptr);
    if (raw == nullptr) throw DbError(QStringLiteral("Out of memory while preparing a connection."));
    Connection connection(raw);

    mysql_optionsv(raw, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    if (options.connectTimeoutSeconds != 0)
        mysql_optionsv(raw, MYSQL_OPT_CONNECT_TIMEOUT, &options.connectTimeoutSeconds);
    if (options.readTimeoutSeconds != 0) mysql_optionsv(raw, MYSQL_OPT_READ_TIMEOUT, &options.readTimeoutSeconds);
    if (options.writeTimeoutSeconds != 0) mysql_optionsv(raw, MYSQL_OPT_WRITE_TIMEOUT, &options.writeTimeoutSeconds);
    auto rules = std::make_shared<WaitRules>();
    rules->server = values.server;
    rules->boundSeconds = options.readTimeoutSeconds;
    rules->stillWaiting = options.stillWaiting;
    rules->stillWaitingSeconds = options.stillWaitingSeconds;
    connection.waitRules_ = std::move(rules);
    // Without the non-blocking mode rows are simply waited for.
    connection.napForRows_ =
        options.napForRows && mysql_optionsv(raw, MYSQL_OPT_NONBLOCK, static_cast<void*>(nullptr)) == 0;
    const unsigned protocol = endpoint.socket.isEmpty() ? MYSQL_PROTOCOL_TCP : MYSQL_PROTOCOL_SOCKET;
    mysql_optionsv(raw, MYSQL_OPT_PROTOCOL, &protocol);
    const TlsSettings tls = options.tls ? *options.tls : ProcessTlsSettings();
    RequestTls(raw, tls);

    const QByteArray host = endpoint.host.toUtf8();
    const QByteArray user = values.user.toUtf8();
    const QByteArray password = values.password.toUtf8();
    const QByteArray database = values.database.toUtf8();
    const QByteArray socket = endpoint.socket.toUtf8();
    qCDebug(lcDb) << "connecting as" << values.user << "to"
                  << (endpoint.socket.isEmpty() ? endpoint.host + QLatin1Char(':') + QString::number(endpoint.port)
                                                : endpoint.socket)
                  << "database" << values.database;
    const std::function<bool(MYSQL*)> connect = [host, user, password, database, socket,
                                                 port = endpoint.port](MYSQL* m) {
        return mysql_real_connect(m, socket.isEmpty() ? host.constData() : "localhost", user.constData(),
                                  password.constData(), database.isEmpty() ? nullptr : database.constData(), port,
                                  socket.isEmpty() ? nullptr : socket.constData(), 0) != nullptr;
    };
    const OpeningEnd end = OpenWithin(raw, endpoint.socket.isEmpty() ? endpoint.host : QString(), connect,
                                      std::chrono::seconds(options.connectTimeoutSeconds), options.stopRequested);
    if (end.leftBehind()) [[maybe_unused]]
        MYSQL* const left = connection.mysql_.release();  // its thread closes it
    if (end.kind == OpeningEnd::Kind::Failed)
        throw OpeningFailure(raw, tls, endpoint, end.waitedSeconds, options.connectTimeoutSeconds);
    if (end.kind != OpeningEnd::Kind::Opened) throw UnfinishedOpening(end, endpoint, options.connectTimeoutSeconds);
    connection.login_ = values;
    connection.tls_ = tls;
    connection.serverThread_ = mysql_thread_id(raw);
    connection.endGivenUpStatement_ = options.endGivenUpStatement;
    qCDebug(lcDb).noquote()
        << "connected,"
        << (connection.tlsCipher().isEmpty()
                ? QStringLiteral("not encrypted")
                : QStringLiteral("encrypted with %1, cipher %2").arg(connection.tlsVersion(), connection.tlsCipher()));
    return connection;
}

void Connection::Send(const QString& sql) {
    qCDebug(lcDb).noquote() << "statement:" << sql;
    const QByteArray bytes = sql.toUtf8();
    const auto length = static_cast<unsigned long>(bytes.size());
    if (!napForRows_) {
        if (mysql_real_query(mysql_.get(), bytes.constData(), length) != 0) Fail();
        return;
    }
    // The answer is waited for as rows are: told about, and bounded with TLS
    // as without it.
    ServerWait wait(mysql_.get(), *waitRules_);
    int failed = 0;
    int waitingFor = mysql_real_query_start(&failed, mysql_.get(), bytes.constData(), length);
    while (waitingFor != 0) waitingFor = mysql_real_query_cont(&failed, mysql_.get(), wait.Wait(waitingFor));
    if (wait.timedOut()) throw NoAnswerInTime(*waitRules_);
    if (failed != 0) Fail();
}

StoredResult Connection::Query(const QString& sql) {
    sent_ = std::chrono::steady_clock::now();
    Send(sql);
    ResultHandle res(mysql_store_result(mysql_.get()));
    if (!res) {
        if (mysql_errno(mysql_.get()) != 0) Fail();
        return StoredResult();  // a statement without a result set
    }
    return StoredResult(res.get());
}

StreamingResult Connection::Stream(const QString& sql) {
    sent_ = std::chrono::steady_clock::now();
    Send(sql);
    ResultHandle res(mysql_use_result(mysql_.get()));
    if (!res) {
        if (mysql_errno(mysql_.get()) != 0) Fail();
        throw DbError(QStringLiteral("The statement returned no rows to read."));
    }
    return StreamingResult(mysql_.get(), std::move(res), napForRows_, waitRules_);
}

void Connection::Execute(const QString& sql) {
    sent_ = std::chrono::steady_clock::now();
    Send(sql);
    ResultHandle res(mysql_store_result(mysql_.get()));
    if (!res && mysql_errno(mysql_.get()) != 0) Fail();
}

QString Connection::QuoteText(const QString& text) const {
    const QByteArray bytes = text.toUtf8();
    std::vector<char> escaped(static_cast<std::size_t>(bytes.size()) * 2 + 1);
    const unsigned long length = mysql_real_escape_string(mysql_.get(), escaped.data(), bytes.constData(),
                                                          static_cast<unsigned long>(bytes.size()));
    return QLatin1Char('\'') + QString::fromUtf8(escaped.data(), static_cast<qsizetype>(length)) + QLatin1Char('\'');
}

QString Connection::tlsVersion() const {
    if (mysql_get_ssl_cipher(mysql_.get()) == nullptr) return QString();
    const char* version = nullptr;
    if (mariadb_get_infov(mysql_.get(), MARIADB_CONNECTION_TLS_VERSION, &version) != 0 || version == nullptr)
        return QString();
    return QString::fromLatin1(version);
}

QString Connection::tlsCipher() const {
    const char* cipher = mysql_get_ssl_cipher(mysql_.get());
    return cipher == nullptr ? QString() : QString::fromLatin1(cipher);
}

void Connection::AbandonResult() {
    waitRules_->givenUp->store(true);
    ConnectionCut::ResetOnClose(static_cast<int>(mysql_get_socket(mysql_.get())));
    mariadb_cancel(mysql_.get());
}

void Connection::Fail() const {
    const unsigned number = mysql_errno(mysql_.get());
    qCDebug(lcDb) << "failed:" << number << mysql_error(mysql_.get());
    // A read that ran out of time reads "Lost connection" or, with TLS,
    // "TLS/SSL error: Connection timed out": neither says what happened.
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent_).count();
    const unsigned bound = waitRules_->boundSeconds;
    if ((number == CR_SERVER_LOST || number == CR_SSL_CONNECTION_ERROR) && bound > 0 && waited + 0.5 >= bound)
        throw NoAnswerInTime(*waitRules_);
    throw DbError(QString::fromUtf8(mysql_error(mysql_.get())), mysql_errno(mysql_.get()));
}

}  // namespace db
