#pragma once

#include <mysql.h>

#include "db/connection.h"
#include "db/db_error.h"
#include "db/tls_settings.h"

namespace db {

// Asks the connector for TLS whenever the server offers it, as the standard
// client does by default, with the checks and client certificate the
// settings name. A server that offers no TLS is then used without it, unless
// verifyServerCert asks for a certificate to check. Throws DbError when a
// file the settings name cannot be read.
void RequestTls(MYSQL* connection, const TlsSettings& settings);

// The failure of a connection that could not be opened, saying so where TLS
// could not be used: a failed TLS set-up or certificate check (a revoked
// certificate named as such), a server with require_secure_transport=ON. A
// refused login keeps the server's words and says what to check; client
// certificates only where TLS was used and certificates were given, as the
// server's words are the same for a wrong password. Through the local
// server's socket TLS plays no part.
// A refused connection that TLS played no part in is worded by
// DescribeOpenFailure(): `waitedSeconds` is how long the attempt took,
// `timeoutSeconds` how long it was allowed to.
DbError OpeningFailure(MYSQL* connection, const TlsSettings& settings, const Endpoint& endpoint, double waitedSeconds,
                       unsigned timeoutSeconds);

}  // namespace db
