// The result reports on generated events, against their floors.
//
// Splits: results with splits for every class of an event of 1,000 teams in
// 5 classes, written to disk, against the floor of asking the calculation for
// every listed team's punch list (which the report must do).
// Web: web results with a page and a route map per team for 300 teams, on a
// map picture and on a blank sheet, with the time the GIF encoding of the
// route maps takes on one core (the report spreads it over all cores).
//
//   results_bench [--teams N] [--web-teams N] [--commit-teams N] [--runs N]

#include "BenchOptions.h"

#include "base/GifWriter.h"
#include "base/MessageSink.h"
#include "base/Platform.h"
#include "output/ReportFileOutput.h"
#include "registry/ReportRegistry.h"
#include "reports/RouteImage.h"
#include "reports/TeamResultPage.h"
#include "reports/ClassGroup.h"
#include "scoring/TeamCalculation.h"
#include "shell/EventGenerator.h"
#include "store/EventLocation.h"
#include "store/uData.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {

struct CountingSink : MessageSink
{
    int count = 0;
    void error(const QString &) override { ++count; }
    void warning(const QString &) override { ++count; }
};

struct Event
{
    QTemporaryDir dir;
    EventLocation location;
    std::unique_ptr<TdmData> data;
    EventSetup setup;
    CountingSink messages;

    explicit Event(int teams)
    {
        location.program = ProgramFiles::inProgramDirectory(QDir::currentPath() + u'/');
        location.eventDirectory = dir.path() + u'/';
        location.resultsDirectory = location.eventDirectory + QStringLiteral("results/");
        location.confirmed = true;
        data = std::make_unique<TdmData>(location.eventDirectory);
        GeneratorOptions options;
        options.seed = 2026;
        options.teams = teams;
        options.classes = 5;
        QElapsedTimer timer;
        timer.start();
        const GeneratedEvent generated = GenerateEvent(*data, location.eventDirectory, options);
        setup = EventSetup::load(location.eventDirectory);
        setup.settings.resultHeader = QStringLiteral("NON");
        const CalculationSummary summary =
            TeamCalculation(*data, std::make_shared<const EventSetup>(setup), messages).CalculateAllTeams(true);
        std::printf("event: %d teams, %d runners, %d punches, %d with result; generated and calculated in %.2f s\n", generated.teams,
                    generated.runners, generated.punches, summary.withResult, timer.nsecsElapsed() / 1e9);
    }

    int listedTeams()
    {
        return data->connection().scalar(QStringLiteral("SELECT COUNT(*) FROM team WHERE calctime > ''")).toInt();
    }

    // Written to disk, or kept in memory (the report without the writing of its files).
    double report(ReportKind kind, int runs, bool toDisk = true, double *processor = nullptr)
    {
        ReportRequest request;
        request.classes = MainClassNames(setup.classTree);
        return bestOf(runs, [&] {
            std::unique_ptr<ReportOutput> output;
            if (toDisk)
                output = std::make_unique<ReportFileOutput>(location);
            else
                output = std::make_unique<MemoryReportOutput>();
            RunReport(ReportKindOf(kind), {data->connection(), setup, *output, &messages, location.eventDirectory, &location}, request);
        }, processor);
    }
};

// A map picture of 1:15,000 at 150 DPI holding the whole course, with
// coloured areas and lines like a real one; returns the start's pixel.
QPoint writeMapPicture(Event &event)
{
    QSqlQuery extent = event.data->connection().exec(QStringLiteral(
        "SELECT max(pos_x), max(pos_y), (SELECT pos_x FROM control WHERE type='S'), (SELECT pos_y FROM control WHERE type='S') FROM control"));
    extent.next();
    const int dpi = 150;
    const int width = static_cast<int>(extent.value(0).toLongLong() * dpi / 254) + 40;
    const int height = static_cast<int>(extent.value(1).toLongLong() * dpi / 254) + 40;
    QImage map(width, height, QImage::Format_RGB32);
    map.fill(QColor(255, 255, 255));
    QPainter painter(&map);
    painter.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(7);
    const QColor colours[] = {QColor(255, 221, 154), QColor(197, 255, 185), QColor(140, 230, 120), QColor(0, 200, 255), QColor(255, 186, 54)};
    for (int i = 0; i < 400; ++i) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colours[random.bounded(5)]);
        painter.drawEllipse(QPointF(random.bounded(width), random.bounded(height)), 20 + random.bounded(150), 20 + random.bounded(100));
    }
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 300; ++i) {
        painter.setPen(QPen(i % 3 ? QColor(190, 110, 40) : QColor(0, 0, 0), i % 3 ? 1.5 : 2.5));
        QPainterPath path(QPointF(random.bounded(width), random.bounded(height)));
        for (int j = 0; j < 4; ++j)
            path.quadTo(QPointF(random.bounded(width), random.bounded(height)), QPointF(random.bounded(width), random.bounded(height)));
        painter.drawPath(path);
    }
    painter.end();
    QFile file(event.location.eventDirectory + QStringLiteral("rogainmap.gif"));
    file.open(QIODevice::WriteOnly);
    WriteGif(map, file);
    std::printf("map picture: %d x %d pixels\n", width, height);
    return QPoint(static_cast<int>(extent.value(2).toLongLong() * dpi / 254) + 20,
                  height - 20 - static_cast<int>(extent.value(3).toLongLong() * dpi / 254));
}

// The route maps of every listed team as the web results draw them, and the
// time it takes to encode them as GIF files.
double encodingTime(Event &event, int &pictures)
{
    TeamCalculation calculation(event.data->connection(), std::make_shared<const EventSetup>(event.setup), event.messages);
    calculation.LoadCourseDefinition();
    const RouteBase base = PrepareRouteBase(event.data->connection(), event.setup.settings, event.location.eventDirectory);
    const CountryList countries;
    ReportPage header;
    header.ReportHeader(QStringLiteral("NON"), QString(), QString(), event.setup.settings);
    const TeamPageContext context{event.setup.settings, countries, calculation.course(), header, &base};
    std::vector<QImage> routes;
    QSqlQuery teams = event.data->connection().exec(QStringLiteral("SELECT number, start FROM team WHERE calctime > ''"));
    while (teams.next()) {
        TeamRow team;
        team.number = teams.value(0).toLongLong();
        team.start = DateTime::fromStored(teams.value(1));
        tResArray list;
        if (calculation.CalculateTeam(team.number, false, list))
            if (const auto page = WriteTeamResultPage(context, team, {}, QString(), QString(), &list); page.route)
                routes.push_back(*page.route);
    }
    pictures = static_cast<int>(routes.size());
    QElapsedTimer timer;
    timer.start();
    for (const QImage &route : routes) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        WriteGif(route, buffer);
    }
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    Platform::useOffscreenPlatform();
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (printedUsage(args, "usage: results_bench [--teams N] [--web-teams N] [--commit-teams N] [--runs N]\n"))
        return 0;
    const int teams = option(args, "--teams", 1000);
    const int webTeams = option(args, "--web-teams", 300);
    const int commitTeams = option(args, "--commit-teams", 10000);
    const int runs = option(args, "--runs", 3);

    {
        std::printf("== results with splits\n");
        Event event(teams);
        const int listed = event.listedTeams();
        TeamCalculation calculation(event.data->connection(), std::make_shared<const EventSetup>(event.setup), event.messages);
        calculation.LoadCourseDefinition();
        std::vector<qint64> numbers;
        QSqlQuery rows = event.data->connection().exec(QStringLiteral("SELECT number FROM team WHERE calctime > ''"));
        while (rows.next())
            numbers.push_back(rows.value(0).toLongLong());
        const double floor = bestOf(runs, [&] {
            tResArray list;
            for (const qint64 number : numbers)
                calculation.CalculateTeam(number, false, list);
        });
        const double table = event.report(ReportKind::ResultsTable, runs);
        const double splits = event.report(ReportKind::ResultsSplits, runs);
        const double splitsInMemory = event.report(ReportKind::ResultsSplits, runs, false);
        std::printf("teams listed: %d in %lld classes\n", listed, static_cast<long long>(MainClassNames(event.setup.classTree).size()));
        std::printf("floor (CalculateTeam list-only for every listed team): %.3f s, %.3f ms a team\n", floor, floor * 1000 / listed);
        std::printf("results table: %.3f s\n", table);
        std::printf("results with splits: %.3f s, %.3f ms a team, %.2f x the floor (in memory: %.3f s)\n", splits, splits * 1000 / listed,
                    splits / floor, splitsInMemory);
    }
    {
        std::printf("== web results with route maps\n");
        Event event(webTeams);
        const int listed = event.listedTeams();
        const double pagesOnly = event.report(ReportKind::ResultsWeb, runs);
        const double pagesInMemory = event.report(ReportKind::ResultsWeb, runs, false);
        event.setup.settings.teamRouteMaps = true;
        int pictures = 0;
        double blankProcessor = 0;
        const double blank = event.report(ReportKind::ResultsWeb, runs, true, &blankProcessor);
        const double blankEncoding = encodingTime(event, pictures);
        const QPoint start = writeMapPicture(event);
        event.setup.settings.mapFileName = QStringLiteral("rogainmap.gif");
        event.setup.settings.mapDpi = 150;
        event.setup.settings.mapOffsetX = start.x();
        event.setup.settings.mapOffsetY = start.y();
        double onMapProcessor = 0;
        const double onMap = event.report(ReportKind::ResultsWeb, runs, true, &onMapProcessor);
        const double mapEncoding = encodingTime(event, pictures);
        std::printf("teams listed: %d, route maps: %d\n", listed, pictures);
        std::printf("web pages without route maps: %.3f s (%.3f s of it writing the files)\n", pagesOnly, pagesOnly - pagesInMemory);
        // The report encodes on every core: its encoding takes about the one-core time divided by the cores.
        const int cores = qMax(1, QThread::idealThreadCount());
        std::printf("with route maps on a blank sheet: %.3f s (%.3f s processor time); GIF encoding %.3f s on one core, about %.0f %% of the run on %d cores\n",
                    blank, blankProcessor, blankEncoding, blankEncoding / cores * 100 / blank, cores);
        std::printf("with route maps on the map picture: %.3f s (%.3f s processor time); GIF encoding %.3f s on one core, about %.0f %% of the run on %d cores\n",
                    onMap, onMapProcessor, mapEncoding, mapEncoding / cores * 100 / onMap, cores);
    }
    {
        std::printf("== web pages put in place\n");
        Event event(commitTeams);
        MemoryReportOutput pages;
        ReportRequest request;
        request.classes = MainClassNames(event.setup.classTree);
        RunReport(ReportKindOf(ReportKind::ResultsWeb), {event.data->connection(), event.setup, pages, &event.messages,
                                                        event.location.eventDirectory, &event.location},
                  request);
        ReportFileOutput output(event.location);
        qint64 bytes = 0;
        for (const ReportFile &file : pages.files()) {
            output.write(file, pages.bytes(file));
            bytes += pages.bytes(file).size();
        }
        output.commit(); // the run before, whose files the timed runs replace
        QStringList times;
        const double commit = bestOf(runs, [&] {
            QElapsedTimer timer;
            timer.start();
            output.commit();
            times.append(QString::number(timer.nsecsElapsed() / 1e9, 'f', 3));
        });
        std::printf("files: %lld (%.1f MB) replaced in %.3f s (runs: %s s)\n", static_cast<long long>(pages.files().size()),
                    bytes / 1e6, commit, qPrintable(times.join(QStringLiteral(", "))));
    }
    return 0;
}
