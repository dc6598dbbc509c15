#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "db/connection.h"
#include "export_fixture.h"

using export_testing::ReadFile;

namespace {

QByteArray ExportSakila(const QString& table, const QString& fieldList, const lines::ValueStyle& style,
                        const QString& path) {
    exporter::ExportRequest request;
    request.login = testing_support::ServerLogin(QStringLiteral("sakila"));
    request.tableName = table;
    request.fieldListText = fieldList;
    request.separator = QStringLiteral(",");
    request.outputPath = path;
    const exporter::ExportOutcome outcome = export_testing::Export(request, style);
    EXPECT_TRUE(outcome.written()) << outcome.description.toStdString();
    return ReadFile(path);
}

}  // namespace

TEST(SakilaExport, FilmKeepsSetCommasEnumsYearsAndTakesTheLocalesDecimalsAndDates) {
    TW_REQUIRE_SERVER();
    TW_REQUIRE_SAKILA();
    QTemporaryDir dir;
    const QString fields = QStringLiteral(
        "`film_id`, `title`, `release_year`, `rental_rate`, `rating`, "
        "`special_features`, `original_language_id`, `last_update`");
    const QByteArray plain = ExportSakila(QStringLiteral("film"), fields, lines::ValueStyle::FromLocale(QLocale::c()),
                                          dir.path() + QStringLiteral("/film.txt"));
    const QList<QByteArray> lines = plain.split('\n');
    ASSERT_EQ(lines.size(), 1000 + 3);  // header, 1000 rows, the empty last line, and what follows its LF
    EXPECT_EQ(lines[0],
              "film_id,title,release_year,rental_rate,rating,special_features,original_language_id,last_update\r");
    EXPECT_EQ(lines[1], "1,ACADEMY DINOSAUR,2006,0.99,PG,Deleted Scenes,Behind the Scenes,,2006-02-15 05:03:42\r");
    EXPECT_TRUE(plain.endsWith("\r\n\r\n"));

    const QByteArray german = ExportSakila(QStringLiteral("film"), fields,
                                           lines::ValueStyle::FromLocale(QLocale(QLocale::German, QLocale::Germany)),
                                           dir.path() + QStringLiteral("/film-de.txt"));
    EXPECT_EQ(german.split('\n')[2], "2,ACE GOLDFINGER,2006,4,99,G,Trailers,Deleted Scenes,,15.02.2006 05:03:42\r");
}

TEST(SakilaExport, StaffPicturesAreHexadecimalOnOneLine) {
    TW_REQUIRE_SERVER();
    TW_REQUIRE_SAKILA();
    QTemporaryDir dir;
    const QByteArray file = ExportSakila(QStringLiteral("staff"), QStringLiteral("`staff_id`, `picture`"),
                                         lines::ValueStyle::Plain(), dir.path() + QStringLiteral("/staff.txt"));
    db::Connection connection = db::Connection::Open(testing_support::ServerLogin(QStringLiteral("sakila")));
    const db::StoredResult hex = connection.Query(QStringLiteral("SELECT HEX(picture) FROM staff WHERE staff_id = 1"));
    ASSERT_EQ(hex.rowCount(), 1u);
    EXPECT_EQ(file, "staff_id,picture\r\n1,0x" + hex.value(0, 0).bytes() + "\r\n2,\r\n\r\n");
}
