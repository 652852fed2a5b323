#include "entries/TeamsText.h"

#include "db/Connection.h"
#include "db/PortableSql.h"
#include "db/StoredValue.h"
#include "store/StatusTexts.h"

#include <QHash>

QStringList TeamsWithRunnersText(db::Connection &connection)
{
    QHash<qint64, QStringList> runnersOfTeam;
    const db::Engine engine = connection.engine();
    QSqlQuery runners = connection.exec(QStringLiteral(
        "SELECT team_id, firstname, lastname, sex, birthdate, chipnr, country, rentchip, started FROM runner ORDER BY team_id, %1, id")
                                            .arg(db::NullsFirst(engine, QStringLiteral("lastname"))));
    while (runners.next()) {
        QStringList values;
        for (int i = 1; i <= 6; ++i)
            values.append(db::StoredValueText(runners.value(i)));
        values.append(runners.value(7).toInt() != 0 ? QStringLiteral("rent") : QString());
        values.append(runners.value(8).toInt() != 0 ? QStringLiteral("started") : QString());
        runnersOfTeam[runners.value(0).toLongLong()].append(u'\t' + values.join(u'\t'));
    }
    runners.finish();

    QStringList lines;
    QSqlQuery teams = connection.exec(QStringLiteral("SELECT id, number, name, class, subclass, club, country, entryID, status FROM team ORDER BY %1, id")
                                          .arg(db::NullsFirst(engine, QStringLiteral("number"))));
    while (teams.next()) {
        QStringList values;
        for (int i = 1; i <= 7; ++i)
            values.append(db::StoredValueText(teams.value(i)));
        values.append(TeamStatusText(teams.value(8).toLongLong()));
        lines.append(values.join(u'\t'));
        lines.append(runnersOfTeam.value(teams.value(0).toLongLong()));
    }
    return lines;
}
