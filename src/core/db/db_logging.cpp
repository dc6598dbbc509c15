#include "db/db_logging.h"

Q_LOGGING_CATEGORY(lcDb, "tablewright.db", QtInfoMsg)
