#pragma once

#include <QString>

#include "db/connection.h"

namespace db {

// The connector's "cannot connect" failures (2002, 2003) in words: where the
// connection was to go and why it did not ("Cannot connect to the server at
// 127.0.0.1, port 3306: connection refused"), instead of the connector's
// text with an error number that is often not the reason at all (115, the
// connect still being under way). Any other failure keeps the connector's
// text. `waitedSeconds` is how long the attempt took, `timeoutSeconds` how
// long it was allowed to.
QString DescribeOpenFailure(const Endpoint& endpoint, unsigned number, const QString& connectorText,
                            double waitedSeconds, unsigned timeoutSeconds);

}  // namespace db
