#include "ResultsFixture.h"
#include "EventRows.h"
#include "RecordedProgress.h"

#include "exports/MapPicture.h"

#include "base/WorkProgress.h"
#include "output/ReportFileOutput.h"
#include "registry/ReportRegistry.h"
#include "store/EventLocation.h"

using namespace Qt::StringLiterals;

namespace {

struct ReportCancelFixture : ResultsFixture
{
    EventLocation location;

    void SetUp() override
    {
        ResultsFixture::SetUp();
        location.program = ProgramFiles::inProgramDirectory(folderOf(dir) + u"program/"_s);
        location.eventDirectory = folderOf(dir);
        location.resultsDirectory = folderOf(dir) + u"results/"_s;
        writeFile(location.program.userFolder + u"style.css"_s, "screen");
        writeFile(location.resultsDirectory + u"results.htm"_s, "last results");
        writeFile(location.resultsDirectory + u"startlist.htm"_s, "last start list");
        writeFile(location.eventDirectory + u"winners.csv"_s, "last winners");
        writeFile(location.eventDirectory + u"Rogain_iofXML3.xml"_s, "last list");
        writeFile(location.eventDirectory + u"teams.csv"_s, "last teams");
        writeFile(location.eventDirectory + u"map.gif"_s, gifPicture(400, 300));
        setup.settings.mapFileName = u"map.gif"_s;
        setup.settings.mapDpi = 300;
        setup.settings.teamRouteMaps = true;
        setup.settings.courseMapWidth = 300;

        course();
        const char *names[] = {"Öökull", "Kärbes", "Sääsk", "Mesilane"};
        for (int number = 1; number <= 4; ++number) {
            const qint64 id = team(number, names[number - 1], number < 4 ? "H12" : "R6", 30 * number, 3600);
            const qint64 r = runner(id, "Anna");
            updateRow(*data, u"runner"_s, r, {{"chipnr", 8000 + number}});
            punch(id, r, "31", "10:20:00");
            punch(id, r, "33", "10:40:00");
            punch(id, r, "F", "11:00:00");
        }
    }

    // Every file and folder of the event folder but the database's own files.
    QStringList eventFolder() const { return folderContents(folderOf(dir), u"rogain.abs"_s); }

    void run(const ReportKindEntry &kind, WorkProgress &progress)
    {
        ReportRequest request;
        if (kind.takes(ReportOption::Classes))
            request.classes = QStringList{u"H12"_s, u"R6"_s};
        request.perClass = kind.takes(ReportOption::PerClass);
        request.compress = kind.takes(ReportOption::Compress);
        for (const ReportFile &file : kind.files)
            if (file.folder == ReportFolder::Chosen)
                request.target = location.eventDirectory + u"teams.csv"_s;
        ReportFileOutput output(location);
        RunReport(kind, {data->connection(), setup, output, nullptr, location.eventDirectory, &location, &progress}, request);
    }
};

} // namespace

TEST_F(ReportCancelFixture, ACancelledRunLeavesTheFoldersAsTheyWere)
{
    for (const ReportKindEntry &kind : ReportRegistry()) {
        SCOPED_TRACE(kind.cliName);
        const QStringList before = eventFolder();
        RecordedProgress progress;
        progress.stopAtLook = 2; // after the first team, runner, control or row
        EXPECT_THROW(run(kind, progress), WorkCancelled);
        EXPECT_EQ(eventFolder(), before);
        EXPECT_EQ(progress.disorder(), QString());
        EXPECT_GE(progress.steps.size(), 1u);

        // Not cancelled, the same run writes its files, and its steps end full.
        RecordedProgress whole;
        run(kind, whole);
        EXPECT_NE(eventFolder(), before);
        EXPECT_EQ(whole.disorder(), QString());
        ASSERT_FALSE(whole.steps.empty());
        EXPECT_GT(whole.steps.back().total, 1);
        EXPECT_EQ(whole.steps.back().done, whole.steps.back().total);
    }
}
