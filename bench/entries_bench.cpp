// The entries at the counter: importing an entry file of 2,000 lines, and
// opening the teams window on 2,000 teams with 6,000 runners, from
// construction to the first paint of the team grid (offscreen).
//
//   entries_bench [--lines N] [--teams N] [--runs N]

#include "BenchOptions.h"

#include "base/TextFile.h"
#include "entries/EntryImport.h"
#include "entries/ui/uTeams.h"
#include "shell/EventGenerator.h"
#include "store/EventLocation.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Sets a flag when the watched widget is painted.
class PaintWatch : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

QStringList entryLines(int count)
{
    QStringList lines{QStringLiteral("id;team;club;class;first;last;born;sex;chip;country;extra")};
    for (int i = 0; i < count; ++i) {
        const int entry = 1000 + i / 3; // three runners a team
        lines.append(QStringLiteral("%1;Team %1;Club %2;R%3;First%4;Last%4;%5;%6;%7;EST;%8")
                         .arg(entry)
                         .arg(entry % 40)
                         .arg(entry % 2 ? 6 : 12)
                         .arg(i)
                         .arg(i % 5 ? QStringLiteral("1980-05-17") : QStringLiteral("00.00.0000"))
                         .arg(i % 2 ? QStringLiteral("M") : QStringLiteral("W"))
                         .arg(8000000 + i)
                         .arg(i % 7 ? QString() : QStringLiteral("MV")));
    }
    return lines;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (printedUsage(args, "usage: entries_bench [--lines N] [--teams N] [--runs N]\n"))
        return 0;
    const int lines = option(args, "--lines", 2000);
    const int teams = option(args, "--teams", 2000);
    const int runs = option(args, "--runs", 5);

    // Import: reading the file and loading it, each run into a new event.
    std::vector<double> imports;
    TeamImportSummary summary;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir dir;
        const QString event = dir.path() + u'/';
        const QString file = event + QStringLiteral("import.csv");
        WriteTextLines(file, entryLines(lines));
        TdmData data(event);
        QElapsedTimer timer;
        timer.start();
        summary = ImportTeams(data.connection(), ReadImportLines(file, QStringLiteral("UTF-8")));
        imports.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("import of %d lines (%d teams, %d runners): median %.1f ms of %d runs\n", lines, summary.teamsAdded,
                summary.runnersAdded, median(imports), runs);

    // The teams window on a generated event.
    QTemporaryDir dir;
    EventLocation location;
    location.program = ProgramFiles::inProgramDirectory(dir.path() + u'/');
    location.eventDirectory = dir.path() + QStringLiteral("/event/");
    QDir().mkpath(location.eventDirectory);
    TdmData data(location.eventDirectory);
    GeneratorOptions options;
    options.teams = teams;
    options.minRunners = 3;
    options.maxRunners = 3;
    const GeneratedEvent generated = GenerateEvent(data, location.eventDirectory, options);
    SharedEventSetup setup(EventSetup::load(location.eventDirectory));
    std::vector<double> opens;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        TfTeams window(location, data, setup);
        PaintWatch watch;
        window.findChild<QTableView *>(QStringLiteral("dbgTeams"))->viewport()->installEventFilter(&watch);
        window.show();
        while (!watch.painted)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        opens.push_back(timer.nsecsElapsed() / 1e6);
        window.hide();
    }
    std::printf("teams window on %d teams, %d runners: first paint after median %.1f ms of %d runs (slowest %.1f ms)\n",
                generated.teams, generated.runners, median(opens), runs, *std::max_element(opens.begin(), opens.end()));
    return 0;
}
