#include "db/identifier.h"

namespace db {

QString QuoteIdentifier(const QString& name) {
    QString doubled = name;
    doubled.replace(QStringLiteral("`"), QStringLiteral("``"));
    return QLatin1Char('`') + doubled + QLatin1Char('`');
}

}  // namespace db
