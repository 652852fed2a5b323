#include "entries/StartedMarking.h"

#include "db/Connection.h"

#include <QCoreApplication>

StartedMarkSummary MarkRunnersStarted(db::Connection &connection, StartedRunners which)
{
    const QString chosen = which == StartedRunners::ReadOut
        ? QStringLiteral("EXISTS (SELECT 1 FROM res_cp WHERE res_cp.runner_id = runner.id)")
        : QStringLiteral("1");
    StartedMarkSummary summary;
    db::Transaction transaction(connection);
    summary.alreadyStarted = connection.scalar(QStringLiteral("SELECT COUNT(*) FROM runner WHERE started=1 AND ") + chosen).toInt();
    QSqlQuery mark = connection.exec(QStringLiteral("UPDATE runner SET started=1 WHERE (started IS NULL OR started<>1) AND ") + chosen);
    summary.marked = mark.numRowsAffected();
    mark.finish();
    transaction.commit();
    return summary;
}

QString StartedMarkSummaryText(const StartedMarkSummary &summary)
{
    return QCoreApplication::translate("StartedMarking", "Marked %1 runners as started, %2 were already")
        .arg(summary.marked)
        .arg(summary.alreadyStarted);
}
