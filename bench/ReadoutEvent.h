#pragma once

// The generated event of the readout load benchmarks: teams of three started
// runners with chips of their own, 60 controls, no punches stored yet; in the
// folder's own file or in an empty database on a PostgreSQL server.

#include "BenchEvent.h"

#include "shell/EventGenerator.h"
#include "store/DatabaseBinding.h"
#include "store/uData.h"

#include <QSqlQuery>
#include <vector>

struct ReadoutEvent
{
    std::vector<QString> chips;  // every runner's, in runner order
    std::vector<qint64> units;   // the controls' unit numbers
};

// With a server's address (an empty database), the folder is bound to it first.
inline ReadoutEvent MakeReadoutEvent(const QString &event, int teams, const QString &serverAddress = {})
{
    ReadoutEvent made;
    if (!serverAddress.isEmpty())
        BindEventToServer(event, db::DatabaseAddress::fromUrl(serverAddress));
    TdmData data(event);
    GeneratorOptions options = BenchEventOptions(teams);
    options.seed = 4;
    options.controls = 60;
    options.visits = 1;
    GenerateEvent(data, event, options);
    data.connection().exec(QStringLiteral("DELETE FROM res_cp"));
    data.connection().exec(QStringLiteral("UPDATE runner SET started=1"));
    QSqlQuery chipRows = data.connection().exec(QStringLiteral("SELECT chipnr FROM runner ORDER BY id"));
    while (chipRows.next())
        made.chips.push_back(chipRows.value(0).toString());
    QSqlQuery unitRows = data.connection().exec(QStringLiteral("SELECT unitnumber FROM control WHERE type='C' ORDER BY unitnumber"));
    while (unitRows.next())
        made.units.push_back(unitRows.value(0).toLongLong());
    return made;
}
