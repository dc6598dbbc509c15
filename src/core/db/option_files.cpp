#include "db/option_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

namespace db {
namespace {

// Includes nest at most this deep, which also ends a file that includes itself.
constexpr int kMaxIncludeDepth = 10;

// A "#" outside quotes starts a comment that runs to the end of the line.
QString WithoutEndComment(const QString& line) {
    QChar quote;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('#')) {
            return line.left(i);
        }
    }
    return line;
}

QString Unquoted(const QString& value) {
    if (value.size() >= 2 && (value.front() == QLatin1Char('\'') || value.front() == QLatin1Char('"')) &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

// The escapes an option file knows; any other backslash stays as written.
QString Unescaped(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(i + 1);
        switch (next.unicode()) {
        case 'b': out += QLatin1Char('\b'); break;
        case 't': out += QLatin1Char('\t'); break;
        case 'n': out += QLatin1Char('\n'); break;
        case 'r': out += QLatin1Char('\r'); break;
        case 's': out += QLatin1Char(' '); break;
        case '\\':
        case '"':
        case '\'': out += next; break;
        default:
            out += c;
            out += next;
            break;
        }
        ++i;
    }
    return out;
}

ClientOption ParseOption(const QString& text) {
    ClientOption option;
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    // Names are read as the standard client reads them: in any case, "_" and
    // "-" alike.
    option.name = (equals < 0 ? text : text.left(equals)).trimmed().toLower();
    option.name.replace(QLatin1Char('_'), QLatin1Char('-'));
    if (option.name.startsWith(QLatin1String("loose-"))) option.name.remove(0, 6);
    if (equals >= 0) {
        option.hasValue = true;
        option.value = Unescaped(Unquoted(text.mid(equals + 1).trimmed()));
    }
    return option;
}

class Reader {
public:
    explicit Reader(const QStringList& groups) {
        for (const QString& group : groups) groups_ += group.toLower();
    }

    std::vector<GroupOption> options;
    QStringList warnings;

    void ReadFile(const QString& path, int depth) {
        const QFileInfo info(path);
        if (depth > kMaxIncludeDepth || !info.isFile()) return;
        // A file included again (or including itself) adds nothing new.
        const QString canonical = info.canonicalFilePath();
        if (read_.contains(canonical)) return;
        read_.insert(canonical);
        if (info.permissions() & QFile::WriteOther) {
            // Anyone could have put anything there.
            warnings += QStringLiteral("Warning: World-writable config file '%1' is ignored").arg(path);
            return;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            // Its TLS checks would be lost without a word.
            warnings += QStringLiteral("Warning: cannot read the option file '%1' (%2); its options are not used")
                            .arg(path, file.errorString());
            return;
        }
        QTextStream in(&file);
        QString group;  // empty outside the groups asked for
        QString line;
        while (in.readLineInto(&line)) {
            const QString trimmed = line.trimmed();
            if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')) || trimmed.startsWith(QLatin1Char(';')))
                continue;
            if (trimmed.startsWith(QLatin1String("!includedir")) && HasArgument(trimmed, 11)) {
                ReadFolder(trimmed.mid(11).trimmed(), depth + 1);
            } else if (trimmed.startsWith(QLatin1String("!include")) && HasArgument(trimmed, 8)) {
                ReadFile(trimmed.mid(8).trimmed(), depth + 1);
            } else if (trimmed.startsWith(QLatin1Char('['))) {
                const qsizetype end = trimmed.indexOf(QLatin1Char(']'));
                group = end > 0 ? trimmed.mid(1, end - 1).trimmed().toLower() : QString();
                if (!groups_.contains(group)) group.clear();
            } else if (!group.isEmpty()) {
                const QString text = WithoutEndComment(trimmed).trimmed();
                if (!text.isEmpty()) options.push_back(GroupOption{path, group, ParseOption(text)});
            }
        }
    }

private:
    // The directive's name ends at a blank.
    static bool HasArgument(const QString& line, qsizetype nameLength) {
        return line.size() > nameLength && line.at(nameLength).isSpace();
    }

    void ReadFolder(const QString& path, int depth) {
        const QDir folder(path);
        for (const QString& name : folder.entryList({QStringLiteral("*.cnf")}, QDir::Files, QDir::Name))
            ReadFile(folder.filePath(name), depth);
    }

    QStringList groups_;
    QSet<QString> read_;
};

}  // namespace

std::vector<ClientOption> ReadClientOptions(const QStringList& files, QStringList* warnings) {
    std::vector<ClientOption> options;
    for (GroupOption& read : ReadOptionGroups(files, ClientGroups(), warnings))
        options.push_back(std::move(read.option));
    return options;
}

std::vector<GroupOption> ReadOptionGroups(const QStringList& files, const QStringList& groups, QStringList* warnings) {
    Reader reader(groups);
    for (const QString& file : files) reader.ReadFile(file, 0);
    if (warnings != nullptr) *warnings += reader.warnings;
    return std::move(reader.options);
}

QStringList ClientGroups() {
    return {QStringLiteral("client"), QStringLiteral("client-server"), QStringLiteral("client-mariadb")};
}

}  // namespace db
