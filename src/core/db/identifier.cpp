#include "db/identifier.h"

namespace db {

QString QuoteIdentifier(const QString& name) {
    QString doubled = name;
    doubled.replace(QStringLiteral("`"), QStringLiteral("``"));
    return QLatin1Char('`') + doubled + QLatin1Char('`');
}

QString QuoteIdentifierList(const QStringList& names) {
    QStringList quoted;
    quoted.reserve(names.size());
    for (const QString& name : names) quoted.push_back(QuoteIdentifier(name));
    return quoted.join(QStringLiteral(", "));
}

}  // namespace db
