#include "exports/ListExports.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "base/TextFile.h"
#include "base/WorkSteps.h"
#include "db/Connection.h"
#include "db/PortableSql.h"
#include "db/StoredValue.h"
#include "store/EventSetup.h"
#include "store/TextHelpers.h"
#include "store/TimeHelpers.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QSqlQuery>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(ListExports)
};

// The rows of a list, each a step of the run.
class ListRows
{
public:
    // SELECT `columns` `from` ORDER BY `order`, where `from` is FROM with its
    // conditions; the rows are counted with it first.
    ListRows(const ReportContext &context, const QString &columns, const QString &from, const QString &order)
        : m_steps(context.workProgress(), Texts::tr("Writing the list"),
                  context.connection.scalar(QStringLiteral("SELECT count(*)") + from).toLongLong())
        , m_query(context.connection.exec(QStringLiteral("SELECT ") + columns + from + QStringLiteral(" ORDER BY ") + order))
    {
    }

    bool next()
    {
        if (m_read > 0)
            m_steps.reached(m_read);
        ++m_read;
        return m_query.next();
    }
    const QSqlQuery &row() const { return m_query; }
    QVariant value(int column) const { return m_query.value(column); }

private:
    WorkSteps m_steps;
    QSqlQuery m_query;
    qint64 m_read = 0;
};

// Runners joined with their teams, by team number; a team's runners in the
// order they were entered.
ListRows runnersWithTeams(const ReportContext &context, const QString &columns)
{
    return ListRows(context, columns, QStringLiteral(" FROM runner r, team t WHERE t.id=r.team_id"),
                    db::NullsFirst(context.connection.engine(), QStringLiteral("t.number")) + QStringLiteral(", t.id, r.id"));
}

// Columns first .. first + count - 1 of the row, each followed by the separator.
QString fieldsText(const QSqlQuery &row, int first, int count, QChar separator)
{
    QString text;
    for (int i = first; i < first + count; ++i)
        text += db::StoredValueText(row.value(i)) + separator;
    return text;
}

QString dateText(const QVariant &stored)
{
    const SerialDateTime date = DateTime::fromStored(stored);
    return date == 0 ? QString() : DateText(date);
}

QString booleanText(const QVariant &stored)
{
    if (stored.isNull() || stored.toString().isEmpty())
        return QString();
    return stored.toBool() ? QStringLiteral("True") : QStringLiteral("False");
}

// The encoding is checked before any query runs, so a wrong name writes nothing.
QString checkedEncoding(const QString &encoding)
{
    const QString encodingName = encoding.isEmpty() ? Platform::textFileEncodings().first() : encoding;
    Platform::requireTextFileEncoding(encodingName);
    return encodingName;
}

// Values are written as they are, but a line break in one would split its record.
void writeLines(const ReportContext &context, const ReportFile &file, const QStringList &lines, const QString &encodingName)
{
    QStringList written;
    for (const QString &line : lines)
        written.append(OneLineText(line));
    context.output.write(file, *Platform::encodeTextFile(encodingName, TextOfLines(written)));
}

} // namespace

void ExportParticipantsCsv(const ReportContext &context, const ReportFile &file, const QString &encoding)
{
    const QString encodingName = checkedEncoding(encoding);
    QStringList lines{QStringLiteral("NR;Firstname;LastName;Club;TeamName;Class;")};
    ListRows rows = runnersWithTeams(context, QStringLiteral("t.number, r.firstname, r.lastname, t.club, t.name, t.class"));
    while (rows.next())
        lines.append(fieldsText(rows.row(), 0, 6, u';'));
    writeLines(context, file, lines, encodingName);
}

void ExportCardexStartList(const ReportContext &context, const ReportFile &file, const QString &encoding)
{
    const QString encodingName = checkedEncoding(encoding);
    const ClassTable classes = LoadClassTable(context.setup.classTree);
    QStringList lines;
    ListRows rows = runnersWithTeams(context, QStringLiteral("t.number, r.chipnr, r.firstname, r.lastname, t.name, t.class"));
    while (rows.next()) {
        // A class missing from the class tree starts at midnight.
        const std::optional<TClassInfo> teamClass = FindClass(classes, rows.value(5).toString());
        lines.append(fieldsText(rows.row(), 0, 6, u';') + FormatHundredths(teamClass ? teamClass->start : 0, 0) + u';');
    }
    writeLines(context, file, lines, encodingName);
}

void ExportTeamInfoText(const ReportContext &context, const ReportFile &file, const QString &encoding)
{
    const QString encodingName = checkedEncoding(encoding);
    QStringList lines;
    ListRows rows = runnersWithTeams(context, QStringLiteral("t.number, t.class, t.name, t.club, r.firstname, r.lastname, r.sex, "
                                                              "r.birthdate, r.chipnr"));
    // Runners of consecutive teams of one name come under one header.
    QString previousName;
    while (rows.next()) {
        const QString name = rows.value(2).toString();
        if (name != previousName) {
            lines << QString() << QString() << QStringLiteral(">---------- ----------");
            lines.append(QStringLiteral("%1 %2 %3 %4").arg(db::StoredValueText(rows.value(0)).rightJustified(3), rows.value(1).toString().rightJustified(10),
                                                          name, rows.value(3).toString()));
            previousName = name;
        }
        lines.append(QStringLiteral("    ") + rows.value(4).toString() + u' ' + rows.value(5).toString() + QStringLiteral(" :")
                     + rows.value(6).toString() + u'/' + dateText(rows.value(7)) + QStringLiteral(" :") + rows.value(8).toString());
    }
    writeLines(context, file, lines, encodingName);
}

void ExportTeamsWithRunners(const ReportContext &context, const ReportFile &file, const QString &encoding)
{
    const QString encodingName = checkedEncoding(encoding);
    QString header = QStringLiteral("Number|Name|Class|SubClass|Club|Country|EntryID|#|");
    for (int i = 1; i <= 6; ++i)
        header += QStringLiteral("FirstName") + QString::number(i) + QStringLiteral("|LastName|Sex|Club|Country|BirthDate|ChipNr|RentChip|*|");
    QStringList lines{header};

    ListRows rows(context,
                  QStringLiteral("t.id, t.number, t.name, t.class, t.subclass, t.club, t.country, t.entryID, "
                                 "r.id, r.firstname, r.lastname, r.sex, r.club, r.country, r.birthdate, r.chipnr, r.rentchip"),
                  QStringLiteral(" FROM team t LEFT JOIN runner r ON r.team_id=t.id"), QStringLiteral("t.id, r.id"));
    QVariant teamId;
    while (rows.next()) {
        if (lines.size() == 1 || rows.value(0) != teamId) {
            teamId = rows.value(0);
            lines.append(fieldsText(rows.row(), 1, 6, u'|') + QString::number(rows.value(7).toLongLong()) + QStringLiteral("|#|"));
        }
        if (rows.value(8).isNull())
            continue;
        QString &line = lines.last();
        line += fieldsText(rows.row(), 9, 5, u'|') + dateText(rows.value(14)) + u'|' + rows.value(15).toString() + u'|'
            + booleanText(rows.value(16)) + QStringLiteral("|*|");
    }
    writeLines(context, file, lines, encodingName);
}
