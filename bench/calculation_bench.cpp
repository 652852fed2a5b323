// CalculateAllTeams on a generated event of 1,000 teams x 3 runners x 40
// controls, against the floor: reading every punch once in the order the
// calculation reads them. Prints both times, their ratio and the peak RSS.
// With --server the event is kept in an empty database on a PostgreSQL server.
//
//   calculation_bench [--teams N] [--runs N] [--server postgresql://USER@HOST/DB]

#include "BenchEvent.h"
#include "BenchOptions.h"

#include "scoring/TeamCalculation.h"
#include "base/MessageSink.h"
#include "store/DatabaseBinding.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

struct CountingSink : MessageSink
{
    int count = 0;
    void error(const QString &) override { ++count; }
    void warning(const QString &) override { ++count; }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (printedUsage(args, "usage: calculation_bench [--teams N] [--runs N] [--server postgresql://USER@HOST/DB]\n"))
        return 0;
    const int teams = option(args, "--teams", 1000);
    const int runs = option(args, "--runs", 5);
    const qsizetype serverAt = args.indexOf(QLatin1String("--server"));

    QTemporaryDir dir;
    const QString event = dir.path() + u'/';
    if (serverAt >= 0 && serverAt + 1 < args.size())
        BindEventToServer(event, db::DatabaseAddress::fromUrl(args[serverAt + 1]));
    TdmData data(event);
    const GeneratorOptions options = BenchEventOptions(teams);
    QElapsedTimer generation;
    generation.start();
    const GeneratedEvent generated = GenerateEvent(data, event, options);
    std::printf("event database: %s\n", qPrintable(data.connection().address().displayName()));
    std::printf("generated: %d teams, %d runners, %d punches in %.2f s\n", generated.teams, generated.runners,
                generated.punches, generation.nsecsElapsed() / 1e9);

    const double floor = bestOf(runs, [&] {
        std::vector<StoredPunch> punches;
        QSqlQuery rows = data.connection().exec(QStringLiteral(
            "SELECT team_id, id, runner_id, KP, ctime, status FROM res_cp ORDER BY team_id, KP, ctime, id"));
        while (rows.next())
            punches.push_back(StoredPunch{rows.value(1).toLongLong(), rows.value(2).toLongLong(), rows.value(3).toString(),
                                          DateTime::fromStored(rows.value(4)), rows.value(5).toInt()});
        if (punches.size() != static_cast<size_t>(generated.punches))
            std::abort();
    });

    CountingSink messages;
    const auto setup = std::make_shared<const EventSetup>(EventSetup::load(event));
    CalculationSummary summary;
    const double calculation = bestOf(runs, [&] {
        TeamCalculation calculator(data, setup, messages);
        summary = calculator.CalculateAllTeams(true);
    });

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("teams calculated: %d (%d with result, %d NARes., %d errors, %d messages)\n", summary.calculated,
                summary.withResult, summary.noResult, summary.errors, messages.count);
    std::printf("floor (read all punches in calculation order): %.3f s\n", floor);
    std::printf("CalculateAllTeams: %.3f s\n", calculation);
    std::printf("ratio: %.2f\n", calculation / floor);
    std::printf("longest writer-lock hold: %.1f ms\n", summary.longestWriteMs);
    std::printf("peak RSS: %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
