#pragma once

#include <QString>

#include "db/bounded_opening.h"
#include "db/connection.h"
#include "db/db_error.h"

namespace db {

// The connector's "cannot connect" failures (2002, 2003) in words: where the
// connection was to go and why it did not ("Cannot connect to the server at
// 127.0.0.1, port 3306: connection refused"), instead of the connector's
// text with an error number that is often not the reason at all (115, the
// connect still being under way). Any other failure keeps the connector's
// text. `waitedSeconds` is how long the attempt took, `timeoutSeconds` how
// long it was allowed to.
// `noAnswer` (when given) tells whether the words say that the server did
// not answer in time.
QString DescribeOpenFailure(const Endpoint& endpoint, unsigned number, const QString& connectorText,
                            double waitedSeconds, unsigned timeoutSeconds, bool* noAnswer = nullptr);

// An opening stopped or given up before the connector ended it (see
// OpenWithin()), in words that name the server: "The server name "x" was not
// found.", "Cannot connect to the server at x, port 3306: no answer within
// 10 seconds". The words are also the failure's reason().
DbError UnfinishedOpening(const OpeningEnd& end, const Endpoint& endpoint, unsigned timeoutSeconds);

}  // namespace db
