#pragma once

#include <QLoggingCategory>

#include "db/db_logging.h"

// One logging category per layer. Debug output is off by default; turn it on
// for a bug report with QT_LOGGING_RULES="tablewright.*.debug=true".
// tablewright.db (lcDb: connects and statements) is the database layer's own.
Q_DECLARE_LOGGING_CATEGORY(lcExport)  // tablewright.export: an export's steps and progress
Q_DECLARE_LOGGING_CATEGORY(lcUi)      // tablewright.ui: handlers run and errors reported
