#include "TestFolder.h"

#include "entries/EntryImport.h"
#include "entries/ImportedClasses.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ImportedClasses, ClassesTheEventDoesNotKnowAreNamedWithTheirTeamsAndStillImported)
{
    EventSetup setup;
    setup.classTree = {{MainClassNodeText(QStringLiteral("6h"), QStringLiteral("12:00:00"), QStringLiteral("006:00:00"), QStringLiteral("00:30:00")), 0},
                       {QStringLiteral("6hMV"), 1}};
    const QString header = QStringLiteral("id;team;club;class;first;last;born;sex;chip;country;extra");
    const QString tree = QStringLiteral("Classes not in the class tree: ");
    const QString treeMend = QStringLiteral(". The teams are imported; add the classes in the event setup before calculating");
    const QString extraMend = QStringLiteral(". The teams are imported; add them to \"Extra Classes\" on the \"Classes\" tab of the event setup");
    const struct
    {
        const char *subClasses;
        QStringList lines;
        QStringList warnings;
    } cases[] = {
        // Main classes and sub-classes alike are classes a team may stand in.
        {"MV;WV", {u"1;Kõik;;6h;Ann;Lee;;W;1;EST;MV"_s, u"2;Teine;;6hMV;Bob;Ox;;M;2;EST;"_s}, {}},
        {"MV;WV",
         {u"1;A;;H21;Ann;Lee;;W;1;EST;XV"_s, u"1;A;;H21;Eve;Lee;;W;3;EST;XV"_s, u"2;B;;H21;Bob;Ox;;M;2;EST;"_s,
          u"3;C;;Ö55;Õie;Pärn;;W;4;EST;MV"_s, u"4;D;;6h;Mari;Mets;;W;5;EST;"_s},
         {tree + u"H21 (2 teams), Ö55 (1 team)"_s + treeMend,
          u"Extra classes not among the event's extra classes (MV;WV): XV (1 team)"_s + extraMend}},
        // No extra classes set: every extra class is unknown.
        {"", {u"1;A;;6h;Ann;Lee;;W;1;EST;MV"_s, u"2;B;;6h;Bob;Ox;;M;2;EST;MV"_s},
         {u"Extra classes not among the event's extra classes (none are set): MV (2 teams)"_s + extraMend}},
        // The last line of a team decides its class, as stored.
        {"", {u"1;A;;H21;Ann;Lee;;W;1;EST;"_s, u"1;A;;6h;Bob;Ox;;M;2;EST;"_s}, {}},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        TdmData data(folderOf(dir));
        setup.settings.extraClasses = QLatin1String(c.subClasses);
        const TeamImportSummary summary = ImportTeams(data.connection(), QStringList{header} + c.lines);
        EXPECT_EQ(ImportedClassesUnknown(summary, setup), c.warnings) << c.lines.join(u'\n').toStdString();
        EXPECT_EQ(data.connection().scalar(QStringLiteral("SELECT COUNT(*) FROM runner")).toInt(), c.lines.size());
    }
}
