#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "db/login_values.h"
#include "db/result.h"
#include "db/tls_settings.h"
#include "db/wait_rules.h"

namespace db {

class BinaryResult;

struct ConnectOptions {
    // How long opening may wait for the server; 0 leaves the connector's default.
    unsigned connectTimeoutSeconds = 10;
    // How long one read or write may wait; 0 waits as long as it takes. With
    // napForRows, how long the answer to a statement or one row may take in
    // all, with TLS as without it.
    unsigned readTimeoutSeconds = 0;
    unsigned writeTimeoutSeconds = 0;
    // Streamed rows are waited for with short naps rather than a wake-up for
    // every packet the server sends (see StreamingResult::Next()).
    bool napForRows = false;
    // With napForRows: called on the connection's thread when the answer to
    // a statement or a row has not come for stillWaitingSeconds, with the
    // read time-out it waits up to.
    std::function<void(unsigned boundSeconds)> stillWaiting;
    unsigned stillWaitingSeconds = kStillWaitingSeconds;
    // Asked every 50 ms while the connection opens: true gives the opening
    // up at once (DbError with number kOpeningStopped).
    std::function<bool()> stopRequested;
    // The TLS checks and client certificate; unset takes the program's own
    // (ProcessTlsSettings()). TLS is used whenever the server offers it.
    std::optional<TlsSettings> tls;
    // When a wait was given up, the connection asks the server to end its
    // statement as it closes (see Connection's destructor).
    bool endGivenUpStatement = true;
};

// Where a connection goes: a host and port by TCP, or a local socket.
struct Endpoint {
    QString host;       // empty with a socket
    unsigned port = 0;  // 0 with a socket
    QString socket;     // empty with TCP
};

// The port as a number: a whole number from 1 to 65535, blanks around it
// allowed. Throws DbError otherwise.
unsigned ParsePort(const QString& text);

// Works out where the login values lead. A socket named in them is used as
// it is. Otherwise "localhost" with port 3306 uses the local server's socket
// when it exists; any other "localhost" goes by TCP to 127.0.0.1 on the given
// port. Throws DbError for a port that is not a whole number from 1 to 65535
// (with no socket named).
Endpoint ResolveEndpoint(const LoginValues& values);

// One open connection to the server, in utf8mb4. Closed when destroyed;
// when a wait for the server was given up (its bound reached, the
// connection cut by a stop, a result abandoned), the server may still be
// running the statement, and the destructor first asks it to end it (KILL
// QUERY, from a second connection that may take a few seconds at most),
// best effort.
class Connection {
public:
    ~Connection();
    Connection(Connection&&) noexcept;
    Connection& operator=(Connection&&) noexcept;

    // Opens from a connection text (see connection_text.h), encrypted with TLS
    // whenever the server offers it. Throws DbError with the connector's
    // message when the server does not accept the login, saying so where TLS
    // could not be used (see tls_connect.h).
    static Connection Open(const QString& connectionText, const ConnectOptions& options = {});
    static Connection Open(const LoginValues& values, const ConnectOptions& options = {});

    // Runs a statement and holds its whole result on the client. A statement
    // whose answer does not come within the read time-out fails with
    // kNoAnswerInTime.
    StoredResult Query(const QString& sql);
    // Runs a statement and reads its result row by row.
    StreamingResult Stream(const QString& sql);
    // Runs a statement that returns no rows.
    void Execute(const QString& sql);

    // The text as a string literal in the connection's character set, quotes
    // included.
    QString QuoteText(const QString& text) const;

    // The TLS version ("TLSv1.3") and cipher in use; both empty when the
    // connection is not encrypted.
    QString tlsVersion() const;
    QString tlsCipher() const;

    // Gives up a streamed result that was not read to its end, so that
    // freeing it does not drain the rest of the rows first.
    void AbandonResult();

private:
    friend class ConnectionCut;
    friend class BinaryResult;
    st_mysql* handle() const { return mysql_.get(); }
    bool napsForRows() const { return napForRows_; }
    const std::shared_ptr<const WaitRules>& waitRules() const { return waitRules_; }

    struct Closer {
        void operator()(st_mysql* m) const;
    };
    explicit Connection(st_mysql* m) : mysql_(m) {}
    void Send(const QString& sql);
    [[noreturn]] void Fail() const;
    void EndGivenUpStatement() const noexcept;

    std::unique_ptr<st_mysql, Closer> mysql_;
    bool napForRows_ = false;
    std::shared_ptr<const WaitRules> waitRules_ = std::make_shared<const WaitRules>();
    // When the last statement was sent: a failure that comes at the read
    // time-out is a time-out.
    std::chrono::steady_clock::time_point sent_;
    // What a second connection needs to end a statement given up.
    LoginValues login_;
    TlsSettings tls_;
    unsigned long serverThread_ = 0;
    bool endGivenUpStatement_ = false;
};

}  // namespace db
