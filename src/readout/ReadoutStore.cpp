#include "readout/ReadoutStore.h"

#include "readout/ReadoutComputation.h"

#include "db/Connection.h"

ReadoutOwner FindReadoutOwner(db::Connection &connection, const QString &chip)
{
    ReadoutOwner owner;
    const std::optional<QSqlRecord> runner = connection.firstRow(
        QStringLiteral("SELECT id, team_id, firstname, lastname, rentchip FROM runner WHERE chipnr=? ORDER BY id LIMIT 1"), {chip});
    if (!runner) {
        owner.refusal = QStringLiteral("Wrong chip nr");
        return owner;
    }
    const std::optional<QSqlRecord> team = connection.firstRow(QStringLiteral("SELECT id, number, class, name FROM team WHERE id=?"),
                                                               {runner->value(QStringLiteral("team_id"))});
    if (!team) {
        owner.refusal = QStringLiteral("No Team record");
        return owner;
    }
    owner.runnerId = runner->value(QStringLiteral("id")).toLongLong();
    owner.teamId = team->value(QStringLiteral("id")).toLongLong();
    owner.teamNumber = team->value(QStringLiteral("number")).toString();
    owner.firstName = runner->value(QStringLiteral("firstname")).toString();
    owner.lastName = runner->value(QStringLiteral("lastname")).toString();
    owner.teamClass = team->value(QStringLiteral("class")).toString();
    owner.teamName = team->value(QStringLiteral("name")).toString();
    owner.rentChip = runner->value(QStringLiteral("rentchip"));
    return owner;
}

void StoreReadout(db::Connection &connection, const ReadoutOwner &owner, const ComputedReadout &computed)
{
    if (computed.replacesEarlierRows)
        connection.exec(QStringLiteral("DELETE FROM res_cp WHERE runner_id=?"), {owner.runnerId});
    std::vector<QVariantList> rows;
    rows.reserve(computed.rows.size());
    for (const ReadoutRow &row : computed.rows)
        rows.push_back({owner.runnerId, owner.teamId, row.kp, row.status, DateTime::toStored(row.time), row.count});
    connection.insertRows(QStringLiteral("res_cp"), {QStringLiteral("runner_id"), QStringLiteral("team_id"), QStringLiteral("KP"),
                                                   QStringLiteral("status"), QStringLiteral("ctime"), QStringLiteral("count")},
                          rows);
}
