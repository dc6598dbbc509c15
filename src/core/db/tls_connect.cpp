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

// Every login plugin of the connector but mysql_clear_password and dialog.
// caching_sha2_password and sha256_password send the password over TLS,
// checked or not, as the standard client does, and encrypt it otherwise.
constexpr const char* kPluginsWithoutCleartext =
    "mysql_native_password,client_ed25519,caching_sha2_password,sha256_password,auth_gssapi_client";

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
    if (settings.checksServer())
        return QStringLiteral(
                   " The server's certificate must come from an authority this system trusts and name the "
                   "server %1.")
            .arg(host);
    return QString();
}

// The option that asked for the check of the server's certificate.
QLatin1String CheckOption(const TlsSettings& settings) {
    if (settings.verifyServerCert) return QLatin1String("ssl-verify-server-cert");
    if (!settings.ca.isEmpty()) return QLatin1String("ssl-ca");
    if (!settings.crl.isEmpty()) return QLatin1String("ssl-crl");
    return QLatin1String("ssl-crlpath");
}

// The revocation list the settings name, as the words of a failure.
QString RevocationList(const TlsSettings& settings) {
    return settings.crl.isEmpty() ? QStringLiteral("the lists in %1 (ssl-crlpath)").arg(settings.crlPath)
                                  : QStringLiteral("the list %1 (ssl-crl)").arg(settings.crl);
}

// What a failed certificate check means, after the connector's words.
QString CheckFailure(const QString& message, const TlsSettings& settings, const QString& host) {
    const bool listGiven = !settings.crl.isEmpty() || !settings.crlPath.isEmpty();
    if (listGiven && message.contains(QLatin1String("certificate revoked")))
        return QStringLiteral(" The server's certificate was revoked: %1 names it. The server needs a new one.")
            .arg(RevocationList(settings));
    if (listGiven && message.contains(QLatin1String("CRL")))
        return QStringLiteral(
                   " The server's certificate is checked against %1, which must come from the "
                   "authority that issued it and be current.")
            .arg(RevocationList(settings));
    return CheckedFor(settings, host);
}

// A refused login, with what to check. The server words a wrong password
// and a missing or unsuitable client certificate alike (MariaDB checks the
// account's REQUIRE after the password), so the words name certificates only
// where they are in play: the connection used TLS and certificates were
// given; and say what is sure of a server that offers no TLS.
DbError AccessDenied(const QString& message, unsigned number, const TlsSettings& settings, bool overTcp, bool greeted,
                     bool offersTls) {
    QString words = message + (message.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral("."));
    words += QStringLiteral(" Check the user name and the password");
    if (overTcp && greeted && !offersTls)
        words += QStringLiteral(
            ". The server offers no TLS, so an account that requires it (REQUIRE SSL or X509) cannot sign in "
            "this way.");
    else if (overTcp && offersTls && !settings.cert.isEmpty())
        words +=
            QStringLiteral(", and whether the account takes the client certificate %1 (ssl-cert).").arg(settings.cert);
    else if (overTcp && offersTls && settings.namesCertificates())
        words += QStringLiteral(
            ", and whether the account requires a client certificate (REQUIRE X509, ISSUER or SUBJECT): "
            "then give ssl-cert and ssl-key.");
    else
        words += QLatin1Char('.');
    // No reason: a refused login is no failure of TLS or of the link.
    DbError refused(words, number);
    refused.SaidByServer(message);
    return refused;
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
    // The login plugins that never send the password as it is. The
    // connector checks the server's choice against them before the plugin
    // sends anything, at the start and at every switch.
    if (!settings.checksServer() && !settings.cleartextPassword)
        mysql_optionsv(connection, MARIADB_OPT_RESTRICTED_AUTH, kPluginsWithoutCleartext);
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
    const bool overTcp = endpoint.socket.isEmpty();
    if (number == CR_SSL_CONNECTION_ERROR) {
        const QString problem =
            greeted && !offersTls
                ? QStringLiteral("TLS is required (%1) but could not be used: the server offers no TLS.")
                      .arg(CheckOption(settings))
                : QStringLiteral("TLS could not be used: ") + message +
                      (message.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".")) +
                      CheckFailure(message, settings, overTcp ? endpoint.host : QStringLiteral("localhost"));
        return DbError(problem, number, problem);
    }
    if (number == kSecureTransportRequired) {
        const QString problem =
            offersTls ? QStringLiteral("The server requires TLS, and the connection was not encrypted.")
                      : QStringLiteral("The server requires TLS, which could not be used: the server offers none.");
        return DbError(problem + QStringLiteral(" (") + message + QLatin1Char(')'), number, problem);
    }
    if (number == CR_PLUGIN_NOT_ALLOWED) {
        // The connector's words name the plugin wrongly.
        const QString problem = QStringLiteral(
            "The server asked for the password in clear text (as an account that signs in through PAM or LDAP "
            "does), and it was not sent: it goes in clear only over TLS whose certificate is checked (ssl-ca or "
            "ssl-verify-server-cert), as anyone who can listen on the server's address could ask for it. The command "
            "line's --enable-cleartext-plugin sends it anyway.");
        return DbError(problem, number, problem);
    }
    if (number == ER_ACCESS_DENIED_ERROR) return AccessDenied(message, number, settings, overTcp, greeted, offersTls);
    bool noAnswer = false;
    const QString words = DescribeOpenFailure(endpoint, number, message, waitedSeconds, timeoutSeconds, &noAnswer);
    return DbError(words, number, noAnswer ? words : QString());
}

}  // namespace db
