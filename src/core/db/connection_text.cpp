#include "db/connection_text.h"

#include "db/db_error.h"

namespace db {
namespace {

const QString kDriverPart = QStringLiteral("DRIVER={MySQL ODBC 5.1 Driver};");

QString EncodeValue(const QString& value) {
    if (!value.contains(QLatin1Char(';')) && !value.startsWith(QLatin1Char('{'))) return value;
    QString doubled = value;
    doubled.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return QLatin1Char('{') + doubled + QLatin1Char('}');
}

void AppendPair(QString& text, const char* key, const QString& value) {
    text += QLatin1String(key);
    text += QLatin1Char('=');
    text += EncodeValue(value);
    text += QLatin1Char(';');
}

}  // namespace

QString BuildConnectionText(const LoginValues& values) {
    QString text = kDriverPart;
    AppendPair(text, "SERVER", values.server);
    AppendPair(text, "USER", values.user);
    AppendPair(text, "PASSWORD", values.password);
    AppendPair(text, "DATABASE", values.database);
    AppendPair(text, "PORT", values.port);
    // The MySQL ODBC driver's name for a local socket; only a login that
    // names one has it.
    if (!values.socket.isEmpty()) AppendPair(text, "SOCKET", values.socket);
    return text;
}

LoginValues ParseConnectionText(const QString& text) {
    LoginValues values;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), pos);
        if (eq < 0) {
            // Trailing text without "=": only blanks may stand there.
            if (!text.mid(pos).trimmed().isEmpty())
                throw DbError(QStringLiteral("Connection text: a key without a value near \"%1\".").arg(text.mid(pos)));
            break;
        }
        const QString key = text.mid(pos, eq - pos).trimmed().toUpper();
        QString value;
        qsizetype next = eq + 1;
        if (next < n && text.at(next) == QLatin1Char('{')) {
            // Braced value: runs to the first single "}"; "}}" stands for one "}".
            ++next;
            bool closed = false;
            while (next < n) {
                const QChar c = text.at(next);
                if (c == QLatin1Char('}')) {
                    if (next + 1 < n && text.at(next + 1) == QLatin1Char('}')) {
                        value += c;
                        next += 2;
                        continue;
                    }
                    closed = true;
                    ++next;
                    break;
                }
                value += c;
                ++next;
            }
            if (!closed)
                throw DbError(QStringLiteral("Connection text: the value of %1 has no closing brace.").arg(key));
            const qsizetype semi = text.indexOf(QLatin1Char(';'), next);
            next = semi < 0 ? n : semi + 1;
        } else {
            const qsizetype semi = text.indexOf(QLatin1Char(';'), next);
            const qsizetype end = semi < 0 ? n : semi;
            value = text.mid(next, end - next);
            next = semi < 0 ? n : semi + 1;
        }
        if (key == QLatin1String("SERVER"))
            values.server = value;
        else if (key == QLatin1String("USER") || key == QLatin1String("UID"))
            values.user = value;
        else if (key == QLatin1String("PASSWORD") || key == QLatin1String("PWD"))
            values.password = value;
        else if (key == QLatin1String("DATABASE"))
            values.database = value;
        else if (key == QLatin1String("PORT"))
            values.port = value;
        else if (key == QLatin1String("SOCKET"))
            values.socket = value;
        pos = next;
    }
    return values;
}

}  // namespace db
