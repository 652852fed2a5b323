// Showing a large report page in the report viewer: where the time goes
// (decoding, parsing the markup into a text document, laying it out at the
// viewer's width), and, in the viewer itself (offscreen), how long the window
// thread's event loop went without a turn until the page was shown.
//
// The page is the results with splits of a generated event, or a page given.
//
//   report_viewer_bench [--teams N] [--page FILE] [--runs N]

#include "BenchOptions.h"

#include "base/MessageSink.h"
#include "base/Platform.h"
#include "output/ReportFileOutput.h"
#include "registry/ReportRegistry.h"
#include "reports/ClassGroup.h"
#include "reports/ui/uwbReport.h"
#include "scoring/TeamCalculation.h"
#include "shell/EventGenerator.h"
#include "store/EventLocation.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <cstdio>

namespace {

struct QuietSink : MessageSink
{
    void error(const QString &) override {}
    void warning(const QString &) override {}
};

// Writes the results with splits of a generated event of `teams` teams.
QString writeSplitsPage(const QTemporaryDir &dir, int teams)
{
    EventLocation location;
    location.eventDirectory = dir.path() + u'/';
    location.resultsDirectory = location.eventDirectory + QStringLiteral("results/");
    location.confirmed = true;
    TdmData data(location.eventDirectory);
    GeneratorOptions options;
    options.seed = 2026;
    options.teams = teams;
    GenerateEvent(data, location.eventDirectory, options);
    EventSetup setup = EventSetup::load(location.eventDirectory);
    setup.settings.resultHeader = QStringLiteral("NON");
    QuietSink quiet;
    TeamCalculation(data, std::make_shared<const EventSetup>(setup), quiet).CalculateAllTeams(true);
    ReportFileOutput output(location);
    ReportRequest request;
    request.classes = MainClassNames(setup.classTree);
    RunReport(ReportKindOf(ReportKind::ResultsSplits), {data.connection(), setup, output, &quiet, location.eventDirectory, &location},
              request);
    return location.resultsDirectory + QStringLiteral("results.htm");
}

// The viewer opening the page: how long the call took, how long until the
// page showed, and the longest the event loop went without a turn.
void openInViewer(const QString &page)
{
    TfwbReport viewer;
    viewer.show();
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    clock.start();
    beat.start(10);
    viewer.OpenReportFile(page);
    const qint64 call = clock.elapsed();
    while (!viewer.toolBar()->isEnabled() || viewer.browser()->document()->isEmpty())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    viewer.browser()->viewport()->grab();
    const qint64 shown = clock.elapsed();
    // The layout goes on a part at a time after the first screenful.
    QElapsedTimer after;
    after.start();
    while (after.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    longest = std::max(longest, clock.elapsed() - last);
    std::printf("viewer: OpenReportFile returned after %lld ms, page shown after %lld ms, longest event-loop block %lld ms\n",
                static_cast<long long>(call), static_cast<long long>(shown), static_cast<long long>(longest));
}

} // namespace

int main(int argc, char *argv[])
{
    Platform::useOffscreenPlatform();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (printedUsage(args, "usage: report_viewer_bench [--teams N] [--page FILE] [--runs N]\n"))
        return 0;
    const int runs = option(args, "--runs", 1);
    QTemporaryDir dir;
    const qsizetype pageAt = args.indexOf(QLatin1String("--page"));
    const QString page = pageAt >= 0 && pageAt + 1 < args.size() ? args[pageAt + 1] : writeSplitsPage(dir, option(args, "--teams", 2000));

    QFile file(page);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(page));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    std::printf("page: %s, %lld bytes\n", qPrintable(page), static_cast<long long>(bytes.size()));

    QString markup;
    const double decode = bestOf(runs, [&] { markup = QStringDecoder::decoderForHtml(bytes).decode(bytes); });
    const double parse = bestOf(runs, [&] {
        QTextDocument document;
        document.setHtml(markup);
    });
    QTextDocument document;
    document.setHtml(markup);
    // The width the viewer's page has when the window is shown.
    TfwbReport shown;
    shown.show();
    QApplication::processEvents();
    const int width = shown.browser()->viewport()->width();
    shown.hide();
    const double layout = bestOf(runs, [&] {
        document.setTextWidth(width - 1);
        document.setTextWidth(width);
        document.documentLayout()->documentSize();
    });
    std::printf("decode %.3f s, parse into a text document %.3f s, lay out at %d px %.3f s\n", decode, parse, width, layout);
    openInViewer(page);
    return 0;
}
