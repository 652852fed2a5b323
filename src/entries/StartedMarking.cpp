#include "entries/StartedMarking.h"

#include "base/CountText.h"
#include "db/Connection.h"
#include "store/EventSettings.h"

#include <QCoreApplication>

namespace {

QString chosenRunners(StartedRunners which, int controlCard)
{
    if (which == StartedRunners::All)
        return QStringLiteral("1");
    // One card per team is punched by its carrier alone: the team's punches stand for every member.
    return controlCard == EventSettings::CardPerTeam
        ? QStringLiteral("EXISTS (SELECT 1 FROM res_cp WHERE res_cp.team_id = runner.team_id)")
        : QStringLiteral("EXISTS (SELECT 1 FROM res_cp WHERE res_cp.runner_id = runner.id)");
}

const QString notStarted = QStringLiteral("(started IS NULL OR started<>1) AND ");

} // namespace

int CountRunnersToMarkStarted(db::Connection &connection, StartedRunners which, int controlCard)
{
    return connection.scalar(QStringLiteral("SELECT COUNT(*) FROM runner WHERE ") + notStarted + chosenRunners(which, controlCard)).toInt();
}

StartedMarkSummary MarkRunnersStarted(db::Connection &connection, StartedRunners which, int controlCard)
{
    const QString chosen = chosenRunners(which, controlCard);
    StartedMarkSummary summary;
    db::Transaction transaction(connection);
    summary.alreadyStarted = connection.scalar(QStringLiteral("SELECT COUNT(*) FROM runner WHERE started=1 AND ") + chosen).toInt();
    QSqlQuery mark = connection.exec(QStringLiteral("UPDATE runner SET started=1 WHERE ") + notStarted + chosen);
    summary.marked = mark.numRowsAffected();
    mark.finish();
    transaction.commit();
    summary.calculateAgain = summary.marked > 0 && controlCard == EventSettings::CardPerRunner;
    return summary;
}

QString StartedMarkSummaryText(const StartedMarkSummary &summary)
{
    return CountText("StartedMarking", "Marked %n runner as started, ", "Marked %n runners as started, ", summary.marked)
        + CountText("StartedMarking", "%n was already", "%n were already", summary.alreadyStarted)
        + (summary.calculateAgain
               ? QCoreApplication::translate("StartedMarking",
                                             ". Calculate again: with a card per runner the started runners decide how many must punch")
               : QString());
}
