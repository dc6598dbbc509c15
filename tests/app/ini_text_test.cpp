#include <QString>

#include <gtest/gtest.h>

#include "settings/ini_text.h"

namespace {

struct IniCase {
    const char* what;
    QByteArray text;
    bool malformed;
    const char* server;  // MyServer as read; nullptr: missing
    QByteArray kept;     // other sections' text the store must write back
};

}  // namespace

// What the reader makes of damaged and of shared files: a line it cannot
// read marks the file malformed (so the store warns and does not overwrite
// it) without losing the lines around it, and another program's sections
// survive a write of ours.
TEST(IniText, TheReaderFlagsWhatItCannotReadAndKeepsOtherSections) {
    const IniCase cases[] = {
        {"an open quote", "[Tablewright]\nMyServer=\"db\nMyUser=u\n", true, nullptr, ""},
        {"a line without =", "[Tablewright]\nMyServer\nMyUser=u\n", true, nullptr, ""},
        {"an unclosed [", "[Tablewright\nMyServer=db\n", true, nullptr, "[Tablewright\nMyServer=db\n"},
        {"other sections", "[Other]\na=1\n\n[Tablewright]\nMyServer=db\n[More]\nb=2\n", false, "db",
         "[Other]\na=1\n[More]\nb=2\n"},
        {"keys before any section", "top=1\n[Tablewright]\nMyServer=db\n", false, "db", "top=1\n"},
    };
    for (const IniCase& c : cases) {
        SCOPED_TRACE(c.what);
        const settings::IniSection section = settings::ParseIniSection(c.text, QStringLiteral("Tablewright"));
        EXPECT_EQ(section.malformed, c.malformed);
        QString server;
        EXPECT_EQ(section.Find(QStringLiteral("MyServer"), server), c.server != nullptr);
        if (c.server) {
            EXPECT_EQ(server, QString::fromUtf8(c.server));
        }
        EXPECT_EQ(section.otherText, c.kept);
        const QByteArray written = settings::ComposeIniSection(section, QStringLiteral("Tablewright"));
        EXPECT_TRUE(written.startsWith(c.kept)) << written.constData();
    }
}
