#include "reports/StartReports.h"

#include "reports/ReportPage.h"

#include "base/WorkSteps.h"
#include "db/Connection.h"
#include "db/PortableSql.h"
#include "db/StoredValue.h"
#include "store/EventSetup.h"
#include "store/TimeHelpers.h"

#include <QCoreApplication>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <vector>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Reports)
};

QString cell(const QVariant &value)
{
    return QStringLiteral("<td>") + Html(db::StoredValueText(value)) + QStringLiteral("</td>");
}

// Every page: the organiser's header first, and the body's table closed last.
ReportPage beginPage(const ReportContext &context, const QString &title, const QString &info)
{
    ReportPage page;
    page.ReportHeader(ReportHeaderFile(context), title, info, context.setup.settings);
    return page;
}

ReportFile finishTable(ReportPage &page, const ReportContext &context, const ReportFile &file)
{
    page.append(QStringLiteral("</table>"));
    return page.FinishReport(context.output, file);
}

} // namespace

ReportFile StartListReport(const ReportContext &context, const ReportFile &file, bool withMembers)
{
    const EventSettings &settings = context.setup.settings;
    ReportPage page = beginPage(context, Texts::tr("Startlist"), EventInfoBlock(settings));
    const bool showCountry = settings.showCountry;
    page.append(QStringLiteral("<table class=\"\"><tr class=\"resultheader\"><td>") + Texts::tr("NR") + QStringLiteral("</td><td>") + Texts::tr("Name")
                + QStringLiteral("</td><td>") + Texts::tr("Club") + QStringLiteral("</td>"));
    if (showCountry)
        page.append(QStringLiteral("<td>") + Texts::tr("Country") + QStringLiteral("</td>"));
    page.append(QStringLiteral("<td>") + Texts::tr("Class") + QStringLiteral("</td></tr>"));

    // Each query is read whole before the next runs: a server connection
    // drops the rest of a result when another statement runs beside it.
    QHash<qint64, std::vector<QSqlRecord>> runnersOfTeam;
    if (withMembers) {
        QSqlQuery runners = context.connection.exec(QStringLiteral(
            "SELECT team_id, firstname, lastname, sex, birthdate, country, chipnr FROM runner ORDER BY team_id, id"));
        while (runners.next())
            runnersOfTeam[runners.value(0).toLongLong()].push_back(runners.record());
    }
    std::vector<QSqlRecord> teams;
    QSqlQuery teamRows = context.connection.exec(QStringLiteral(
        "SELECT id, number, name, club, country, class, subclass FROM team ORDER BY %1, id")
                                                      .arg(db::NullsFirst(context.connection.engine(), QStringLiteral("number"))));
    while (teamRows.next())
        teams.push_back(teamRows.record());
    teamRows.finish();

    WorkSteps steps(context.workProgress(), Texts::tr("Writing the start list"), static_cast<qint64>(teams.size()));
    const QDate eventDate = settings.eventDate->date();
    for (size_t row = 0; row < teams.size(); steps.reached(static_cast<qint64>(++row))) {
        const QSqlRecord &team = teams[row];
        const QString parity = QString::number(row % 2);
        page.append(QStringLiteral("<tr class=\"team") + parity + QStringLiteral("\">") + cell(team.value(1)) + cell(team.value(2)) + cell(team.value(3)));
        if (showCountry)
            page.append(cell(team.value(4)));
        page.append(QStringLiteral("<td>") + Html(team.value(5).toString() + u' ' + team.value(6).toString()) + QStringLiteral("</td></tr>"));
        if (!withMembers)
            continue;
        page.append(QStringLiteral("<tr class=\"team") + parity + QStringLiteral("\"><td colspan=\"5\"><table>"));
        for (const QSqlRecord &runner : runnersOfTeam.value(team.value(0).toLongLong()))
            page.append(QStringLiteral("<tr class=\"r") + parity + QStringLiteral("\"><td>&nbsp;</td><td>")
                        + Html(runner.value(1).toString() + u' ' + runner.value(2).toString()) + QStringLiteral("</td>")
                        + cell(runner.value(3)) + QStringLiteral("<td>") + AgeText(DateTime::fromStored(runner.value(4)), eventDate)
                        + QStringLiteral("</td>") + cell(runner.value(5)) + cell(runner.value(6)) + QStringLiteral("</tr>"));
        page.append(QStringLiteral("</table></td></tr>"));
    }
    return finishTable(page, context, file);
}

ReportFile CheckListReport(const ReportContext &context, const ReportFile &file)
{
    ReportPage page = beginPage(context, Texts::tr("Startlist"), QString());
    page.append(QStringLiteral("<table class=\"\" border=\"1\">"));
    const QString chipRunners = QStringLiteral(" FROM runner r, team t WHERE t.id=r.team_id AND r.chipnr<>''");
    WorkSteps steps(context.workProgress(), Texts::tr("Writing the check list"),
                    context.connection.scalar(QStringLiteral("SELECT count(*)") + chipRunners).toLongLong());
    QSqlQuery rows = context.connection.exec(QStringLiteral("SELECT t.number, r.firstname, r.lastname, r.chipnr, t.class, t.name")
                                             + chipRunners + QStringLiteral(" ORDER BY %1, r.chipnr, r.id")
                                                   .arg(db::NullsFirst(context.connection.engine(), QStringLiteral("t.number"))));
    for (qint64 row = 0; rows.next(); steps.reached(++row))
        page.append(QStringLiteral("<tr><td>") + Html(db::StoredValueText(rows.value(0))) + QStringLiteral("</td><td><b>") + Html(rows.value(3).toString())
                    + QStringLiteral("</b></td><td width=\"40px\">&nbsp;</td><td><b>") + Html(rows.value(5).toString())
                    + QStringLiteral("</b></td>") + cell(rows.value(4)) + QStringLiteral("<td>")
                    + Html(rows.value(1).toString() + u' ' + rows.value(2).toString()) + QStringLiteral("</td><td></tr>"));
    return finishTable(page, context, file);
}

ReportFile ControlStatisticsReport(const ReportContext &context, const ReportFile &file)
{
    ReportPage page = beginPage(context, Texts::tr("Statistics"), QString());
    WorkSteps steps(context.workProgress(), Texts::tr("Counting the punches of each control"),
                    context.connection.scalar(QStringLiteral("SELECT count(*) FROM control")).toLongLong());
    // The first team and runner are the first rows of subqueries ordered by time.
    // Punches without a time are no first punch.
    QSqlQuery rows = context.connection.exec(QStringLiteral(
        "SELECT controlnr, (SELECT count(*) FROM res_cp WHERE KP=c.controlnr) AS mitu,\n"
        "(SELECT min(ctime) FROM res_cp r WHERE KP=c.controlnr AND status<>2 AND %1) AS firsttime,\n"
        "(SELECT t.name FROM res_cp r, team t WHERE KP=c.controlnr AND t.id=r.team_id AND r.status<>2 AND %1 ORDER BY r.ctime, r.id LIMIT 1) AS firstteam,\n"
        "(SELECT (t.firstname || ' ' || t.lastname) FROM res_cp r, runner t WHERE KP=c.controlnr AND t.id=r.runner_id AND r.status<>2 AND %1 "
        "ORDER BY r.ctime, r.id LIMIT 1) AS firstname FROM control c ORDER BY mitu DESC, c.id").arg(db::StoredTimeIsSetSql(QStringLiteral("r.ctime"))));
    page.append(QStringLiteral("<table class=\"\" border=\"0\">"));
    page.append(QStringLiteral("<tr class=\"resultheader\"><td>") + Texts::tr("Control") + QStringLiteral("</td><td>") + Texts::tr("Punches")
                + QStringLiteral("</td><td>") + Texts::tr("First punch") + QStringLiteral("</td></tr>"));
    int listed = 0;
    for (qint64 row = 0; rows.next(); steps.reached(++row)) {
        if (rows.value(1).toString() == QLatin1String("0"))
            continue;
        // A control punched only by hand has no first punch to name.
        const QString first = rows.value(2).isNull()
            ? QString()
            : DateTimeText(true, DateTime::fromStored(rows.value(2))) + Texts::tr(" by ") + Html(rows.value(4).toString()) + QStringLiteral(" (")
                + Html(rows.value(3).toString()) + u')';
        page.append(QStringLiteral("<tr class=\"team") + QString::number(listed % 2) + QStringLiteral("\">") + cell(rows.value(0))
                    + cell(rows.value(1)) + QStringLiteral("<td>") + first + QStringLiteral("</td></tr>"));
        ++listed;
    }
    return finishTable(page, context, file);
}
