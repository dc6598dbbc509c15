#include "db/tls_connect.h"

#include "db/connect_failure.h"

#include <errmsg.h>
#include <mysqld_error.h>

#include <QFileInfo>

namespace db {
namespace {

// MySQL's answer to a connection without TLS when require_secure_transport is
// ON (ER_SECURE_TRANSPORT_REQUIRED). MariaDB answers with
// ER_ACCESS_DENIED_ERROR instead, as it does for a user created with
// REQUIRE SSL.
constexpr unsigned kSecureTransportRequired = 3159;

void RequireReadable(const QString& path, const char* option, bool folder = false) {
    if (path.isEmpty()) return;
    const QFileInfo info(path);
    if (!(folder ? info.isDir() : info.isFile()) || !info.isReadable())
        throw DbError(QStringLiteral("TLS could not be used: the file given as %1 cannot be read: %2")
                          .arg(QLatin1String(option), path));
}

void SetText(MYSQL* connection, mysql_option option, const QString& value) {
    if (value.isEmpty()) return;
    const QByteArray bytes = QFile::encodeName(value);
    mysql_optionsv(connection, option, bytes.constData());  // the connector keeps a copy
}

// What the certificate check asked of the server's certificate.
QString CheckedFor(const TlsSettings& settings, const QString& host) {
    if (!settings.ca.isEmpty())
        return QStringLiteral(
                   " The server's certificate must come from the certificate authority in %1 and name the "
                   "server %2.")
            .arg(settings.ca, host);
    if (settings.verifyServerCert)
        return QStringLiteral(
                   " The server's certificate must come from an authority this system trusts and name the "
                   "server %1.")
            .arg(host);
    return QString();
}

}  // namespace

void RequestTls(MYSQL* connection, const TlsSettings& settings) {
    RequireReadable(settings.ca, "ssl-ca");
    RequireReadable(settings.cert, "ssl-cert");
    RequireReadable(settings.key, "ssl-key");
    RequireReadable(settings.crl, "ssl-crl");
    RequireReadable(settings.crlPath, "ssl-crlpath", true);
    // A certificate is of no use without its key, nor a key without its
    // certificate; the connector would only say "unsupported" or "no start
    // line".
    if (!settings.cert.isEmpty() && settings.key.isEmpty())
        throw DbError(QStringLiteral("TLS could not be used: the client certificate %1 (ssl-cert) was given without "
                                     "its private key: give ssl-key too.")
                          .arg(settings.cert));
    if (settings.cert.isEmpty() && !settings.key.isEmpty())
        throw DbError(QStringLiteral("TLS could not be used: the private key %1 (ssl-key) was given without its "
                                     "client certificate: give ssl-cert too.")
                          .arg(settings.key));
    // Connector/C 3.3 starts TLS only when asked; asked this way it still
    // goes on without TLS when the server offers none and nothing is to be
    // verified, which is what the standard client does too.
    const my_bool on = 1;
    mysql_optionsv(connection, MYSQL_OPT_SSL_ENFORCE, &on);
    SetText(connection, MYSQL_OPT_SSL_CA, settings.ca);
    SetText(connection, MYSQL_OPT_SSL_CERT, settings.cert);
    SetText(connection, MYSQL_OPT_SSL_KEY, settings.key);
    SetText(connection, MYSQL_OPT_SSL_CRL, settings.crl);
    SetText(connection, MYSQL_OPT_SSL_CRLPATH, settings.crlPath);
    // Always set: later connectors check by default. A certificate authority
    // given asks for the check too, so that a server (or a proxy) that offers
    // no TLS is refused rather than used without it.
    const my_bool verify = settings.checksServer() ? 1 : 0;
    mysql_optionsv(connection, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &verify);
}

DbError OpeningFailure(MYSQL* connection, const TlsSettings& settings, const Endpoint& endpoint, double waitedSeconds,
                       unsigned timeoutSeconds) {
    const unsigned number = mysql_errno(connection);
    const QString message = QString::fromUtf8(mysql_error(connection));
    // The server's greeting, which tells whether it offers TLS, stays readable
    // after a failure; no capabilities at all means no greeting came.
    const unsigned long capabilities = connection->server_capabilities;
    const bool greeted = capabilities != 0;
    const bool offersTls = (capabilities & CLIENT_SSL) != 0;

    // A login or TLS handshake that ran out of time is a server that did not
    // answer, not a TLS failure nor a lost connection.
    if ((number == CR_SERVER_LOST || number == CR_SSL_CONNECTION_ERROR) && timeoutSeconds > 0 &&
        waitedSeconds + 0.5 >= timeoutSeconds)
        return UnfinishedOpening(OpeningEnd{OpeningEnd::Kind::TimedOut}, endpoint, timeoutSeconds);
    if (number == CR_SSL_CONNECTION_ERROR) {
        const QString problem =
            greeted && !offersTls
                ? QStringLiteral("TLS is required (%1) but could not be used: the server offers no TLS.")
                      .arg(QLatin1String(settings.verifyServerCert ? "ssl-verify-server-cert" : "ssl-ca"))
                : QStringLiteral("TLS could not be used: ") + message +
                      (message.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".")) +
                      CheckedFor(settings, endpoint.socket.isEmpty() ? endpoint.host : QStringLiteral("localhost"));
        return DbError(problem, number, problem);
    }
    if (number == kSecureTransportRequired) {
        const QString problem =
            offersTls ? QStringLiteral("The server requires TLS, and the connection was not encrypted.")
                      : QStringLiteral("The server requires TLS, which could not be used: the server offers none.");
        return DbError(problem + QStringLiteral(" (") + message + QLatin1Char(')'), number, problem);
    }
    if (number == ER_ACCESS_DENIED_ERROR && greeted && !offersTls && endpoint.socket.isEmpty()) {
        // The server gives no other sign that it refused for want of TLS.
        const QString problem = QStringLiteral(
            "TLS could not be used: the server offers none. A user or server that requires TLS refuses a "
            "connection without it.");
        return DbError(message + QStringLiteral(". ") + problem, number, problem);
    }
    if (number == ER_ACCESS_DENIED_ERROR && offersTls && endpoint.socket.isEmpty() && settings.cert.isEmpty()) {
        // The server refuses a user that requires a client certificate with
        // the words of a wrong password; most refusals are a wrong password,
        // so this is only a hint, and not a reason of the wizard's.
        return DbError(
            message + QStringLiteral(". If the user was created with REQUIRE X509 (or ISSUER or SUBJECT), it may be "
                                     "refused because no client certificate was given (ssl-cert and ssl-key)."),
            number);
    }
    bool noAnswer = false;
    const QString words = DescribeOpenFailure(endpoint, number, message, waitedSeconds, timeoutSeconds, &noAnswer);
    return DbError(words, number, noAnswer ? words : QString());
}

}  // namespace db
