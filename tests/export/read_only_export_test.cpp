#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "db/db_error.h"
#include "db/table_queries.h"
#include "export_fixture.h"

using testing_support::ScratchDatabase;

// Whatever an export or a preview reads, it changes nothing on the server: a
// query or a view that calls a stored function that writes (to an InnoDB or
// a MyISAM table) fails with the server's words, and the old file stays.
TEST(ReadOnlyExport, AFunctionThatWritesFailsAndChangesNothing) {
    TW_REQUIRE_SERVER();
    ScratchDatabase db;
    db.Run({QStringLiteral("CREATE TABLE logged (n INT) ENGINE=InnoDB"),
            QStringLiteral("CREATE TABLE counted (n INT) ENGINE=MyISAM"),
            QStringLiteral("CREATE FUNCTION wf() RETURNS INT MODIFIES SQL DATA "
                           "BEGIN INSERT INTO logged VALUES (1); RETURN 1; END"),
            QStringLiteral("CREATE FUNCTION wm() RETURNS INT MODIFIES SQL DATA "
                           "BEGIN INSERT INTO counted VALUES (1); RETURN 1; END"),
            QStringLiteral("CREATE VIEW calls AS SELECT 1 AS k, wf() AS w")});
    const QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/out.txt");
    const QByteArray old = "the old file";
    struct Case {
        const char* table;
        const char* query;
    };
    const Case cases[] = {
        {nullptr, "SELECT wf()"},
        {nullptr, "VALUES ((SELECT wf()))"},
        {nullptr, "SELECT 1 UNION (SELECT wf())"},
        {nullptr, "SELECT wm()"},
        {"calls", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query != nullptr ? c.query : c.table);
        exporter::ExportRequest request =
            export_testing::RequestFor(db, QString::fromUtf8(c.table), {QStringLiteral("k")}, path);
        request.query = QString::fromUtf8(c.query);
        export_testing::WriteFile(path, old);
        const exporter::ExportOutcome outcome = export_testing::Export(request);
        EXPECT_FALSE(outcome.written());
        EXPECT_TRUE(outcome.description.contains(QStringLiteral("READ ONLY transaction")))
            << outcome.description.toStdString();
        EXPECT_EQ(export_testing::ReadFile(path), old);
    }
    db::Connection connection = db.Connect();
    EXPECT_THROW(db::PreviewTable(connection, QStringLiteral("calls")), db::DbError);
    const db::StoredResult rows =
        db.Connect().Query(QStringLiteral("SELECT (SELECT COUNT(*) FROM logged) + (SELECT COUNT(*) FROM counted)"));
    EXPECT_EQ(rows.value(0, 0).bytes(), QByteArray("0"));
}
