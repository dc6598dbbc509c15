#pragma once

#include <QLoggingCategory>

// The database layer's logging category, tablewright.db: connects and
// statements. It lives with the layer, which is a library of its own.
Q_DECLARE_LOGGING_CATEGORY(lcDb)
