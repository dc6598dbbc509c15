#pragma once

#include <QString>

namespace app {

// The values that pass from one page to a later one.
struct SharedState {
    // The chosen table, exactly as listed; set by the table page's "Next >".
    QString tableName;
    // The column list of the export query; built by the field page's "Next >".
    QString fieldListText;
};

}  // namespace app
