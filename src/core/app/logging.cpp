#include "app/logging.h"

Q_LOGGING_CATEGORY(lcExport, "tablewright.export", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUi, "tablewright.ui", QtInfoMsg)
