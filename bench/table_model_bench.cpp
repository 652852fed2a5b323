// The grid model of the teams window on a generated event of 2,000 teams:
// opening (keys of every team, the first batch in full), fetching every row,
// locating the last team, editing one cell (a transaction and one row read
// back), and opening the runners of one team as the detail grid.
//
//   table_model_bench [--teams N] [--edits N]

#include "BenchOptions.h"

#include "db/EditableTableModel.h"
#include "shell/EventGenerator.h"
#include "store/EventSchema.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

double seconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (printedUsage(args, "usage: table_model_bench [--teams N] [--edits N]\n"))
        return 0;
    const int teams = option(args, "--teams", 2000);
    const int edits = option(args, "--edits", 200);

    QTemporaryDir dir;
    const QString event = dir.path() + u'/';
    TdmData data(event);
    GeneratorOptions options;
    options.teams = teams;
    const GeneratedEvent generated = GenerateEvent(data, event, options);
    std::printf("generated: %d teams, %d runners\n", generated.teams, generated.runners);

    db::EditableTableModel teamGrid(data.connection(), EventTable(QStringLiteral("team")),
                                    {"number", "class", "subclass", "name", "club", "country"});
    teamGrid.setOrder({QStringLiteral("number")});
    const double open = seconds([&] { teamGrid.select(); });
    const int shown = teamGrid.rowCount();
    const double fetchAll = seconds([&] {
        while (teamGrid.canFetchMore())
            teamGrid.fetchMore();
    });
    const qint64 lastTeam = teamGrid.rowId(teamGrid.rowCount() - 1);
    teamGrid.select();
    int lastRow = -1;
    const double locate = seconds([&] { lastRow = teamGrid.rowOf(lastTeam); });
    const double edit = seconds([&] {
        for (int i = 0; i < edits; ++i)
            teamGrid.setValue(i % teamGrid.rowCount(), QStringLiteral("club"), QStringLiteral("Club %1").arg(i));
    });

    db::EditableTableModel runnerGrid(data.connection(), EventTable(QStringLiteral("runner")),
                                      {"firstname", "lastname", "sex", "club", "country", "birthdate", "chipnr", "rentchip", "started"});
    runnerGrid.setOrder({QStringLiteral("lastname")});
    const double detail = seconds([&] {
        for (int row = 0; row < 100; ++row) {
            runnerGrid.setMaster(QStringLiteral("team_id"), teamGrid.rowId(row % teamGrid.rowCount()));
            runnerGrid.select();
        }
    });

    std::printf("open: %.1f ms (%d rows read in full)\n", open * 1e3, shown);
    std::printf("fetch every row: %.1f ms (%d rows)\n", fetchAll * 1e3, teamGrid.rowCount());
    std::printf("locate the last team: %.1f ms (row %d)\n", locate * 1e3, lastRow);
    std::printf("edit one cell: %.2f ms each (%d edits)\n", edit * 1e3 / edits, edits);
    std::printf("runners of a team: %.2f ms each\n", detail * 1e3 / 100);
    return 0;
}
