#pragma once

#include <vector>

#include <QString>
#include <QStringList>

#include "db/option_files.h"

namespace db {

// How connections check the server and show themselves. TLS is always asked
// for and used whenever the server offers it; these settings only add checks
// and a client certificate, as the standard client's options of the same
// names do.
struct TlsSettings {
    QString ca;    // ssl-ca: the certificate authority the server's certificate must come from
    QString cert;  // ssl-cert: a client certificate, for users created with REQUIRE X509
    QString key;   // ssl-key: the client certificate's private key
    // ssl-verify-server-cert: the certificate must also be trusted (by the CA
    // above or the system's authorities) and name the server; without TLS no
    // connection is made.
    bool verifyServerCert = false;
    QString crl;      // ssl-crl: revoked certificates, which the server's must not be
    QString crlPath;  // ssl-crlpath: a folder of such lists
    // enable-cleartext-plugin: a server may have the password sent in clear
    // (mysql_clear_password, or dialog as PAM and LDAP accounts use) also
    // where its certificate is not checked. Without it such a server gets
    // the password only over TLS whose certificate was checked: whoever
    // listens on the server's address or socket could ask for it.
    bool cleartextPassword = false;

    // Whether the server's certificate is checked (which TLS then requires):
    // asked for, or implied by a certificate authority or a revocation list
    // given. A list is only looked at when the certificate's chain is
    // checked: given alone, it would let a revoked certificate through.
    bool checksServer() const { return verifyServerCert || !ca.isEmpty() || !crl.isEmpty() || !crlPath.isEmpty(); }
    // Whether anything about certificates was given, so that a refusal may
    // have to do with them.
    bool namesCertificates() const { return checksServer() || !cert.isEmpty() || !key.isEmpty(); }

    bool operator==(const TlsSettings&) const = default;
};

// ssl-ca, ssl-cert, ssl-key, ssl-crl, ssl-crlpath and ssl-verify-server-cert
// (in any case, also with "_") from the client groups of the given option
// files; nothing else is taken from them. A later value wins. What the files
// give cause to warn about is added to `warnings` when given.
TlsSettings TlsSettingsFromOptionFiles(const QStringList& files, QStringList* warnings = nullptr);
// The same from option lines already read, a later one winning.
TlsSettings TlsSettingsFromOptions(const std::vector<ClientOption>& options);

// The option files the standard client reads: /etc/my.cnf, /etc/mysql/my.cnf
// and ~/.my.cnf. TABLEWRIGHT_OPTION_FILES, a list separated by ":", takes
// their place when it is set (the tests keep the machine's own files out).
QStringList StandardOptionFiles();

// The settings every connection of this program uses unless it is given its
// own: read from the standard option files at the first call (their
// warnings go to standard error, as the standard client's do), or those set
// with SetProcessTlsSettings(). Safe to call from any thread.
TlsSettings ProcessTlsSettings();
void SetProcessTlsSettings(const TlsSettings& settings);

}  // namespace db
