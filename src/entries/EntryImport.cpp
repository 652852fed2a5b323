#include "entries/EntryImport.h"
#include "db/StoredValue.h"

#include "base/BirthDate.h"
#include "base/CountText.h"
#include "base/KorventError.h"
#include "base/TextFile.h"
#include "base/WorkSteps.h"
#include "base/Platform.h"
#include "db/Connection.h"
#include "db/PortableSql.h"
#include "entries/EntryFields.h"
#include "store/EventSchema.h"
#include "store/EventSettings.h"
#include "store/StatusTexts.h"
#include "store/TextHelpers.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <functional>
#include <limits>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(EntryImport)
};

// Entry lines have at most 21 fields and need more than 8; start list lines at most 6.
constexpr int entryMinFields = 9;
constexpr int startListMaxIndex = 5;

enum EntryColumn {
    EntryId, TeamName, Club, ClassName, FirstName, LastName, BirthDate, Sex, Chip, Country, ExtraClass
};

// A line's work, with any error it raises given the line's number.
void onLine(int number, const std::function<void()> &work)
{
    try {
        work();
    } catch (const KorventError &error) {
        throw KorventError(Texts::tr("Line %1: %2").arg(number).arg(error.message()));
    }
}

[[noreturn]] void emptyLine()
{
    throw KorventError(Texts::tr("the line is empty"));
}

// A field as an error quotes it: the first characters of a huge one (a file
// that is no entry list) say enough, the whole would bury the message.
QString quotedField(const QString &text)
{
    constexpr qsizetype shown = 80;
    return u'"' + (text.size() > shown ? text.left(shown) + QStringLiteral("...") : text) + u'"';
}

// A text for a field of the table: NULL when empty, refused when longer than the field holds.
QVariant fieldText(const QString &table, const QString &fieldName, const QString &text)
{
    if (text.isEmpty())
        return db::NullText();
    const db::FieldDefinition *field = EventTable(table).field(fieldName);
    if (field->size > 0 && text.size() > field->size)
        throw KorventError(Texts::tr("%1 %2 is longer than %3 characters").arg(field->title(), quotedField(text)).arg(field->size));
    return text;
}

bool hasChip(const QVariant &chip)
{
    return !chip.toString().trimmed().isEmpty();
}

} // namespace

QStringList ReadImportLines(const QString &fileName, const QString &encodingName)
{
    Platform::requireTextFileEncoding(encodingName);
    const QString text = *Platform::decodeTextFile(encodingName, ReadFileBytes(fileName));
    // CR LF, LF and a lone CR (old Mac files) all end a line.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(lineEnd);
    for (qsizetype index = 0; index < lines.size(); ++index) {
        QString &line = lines[index];
        // A byte-order mark inside the text comes from files joined together.
        if (line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        if (line.contains(QChar(0)))
            throw KorventError(Texts::tr("Line %1 holds a NUL character; choose the encoding the file was written in").arg(index + 1));
    }
    // The line end of the last line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

TeamImportSummary ImportTeams(db::Connection &connection, const QStringList &lines, WorkProgress &progress)
{
    TeamImportSummary summary;
    db::Transaction transaction(connection);

    // The first team of each entry id, as the file's teams are found.
    QHash<qint64, qint64> teamOfEntry;
    QSqlQuery teams = connection.exec(QStringLiteral("SELECT id, entryID FROM team WHERE entryID IS NOT NULL ORDER BY id"));
    while (teams.next())
        if (!teamOfEntry.contains(teams.value(1).toLongLong()))
            teamOfEntry.insert(teams.value(1).toLongLong(), teams.value(0).toLongLong());
    teams.finish();

    QSqlQuery insertTeam = connection.prepareInsert(QStringLiteral("INSERT INTO team (entryID, status) VALUES (?, ?)"));
    QSqlQuery updateTeam = connection.prepare(
        QStringLiteral("UPDATE team SET name=?, country=?, class=?, club=?, status=?, subclass=? WHERE id=?"));
    QSqlQuery insertRunner = connection.prepare(QStringLiteral(
        "INSERT INTO runner (team_id, chipnr, firstname, lastname, birthdate, country, sex, started) VALUES (?, ?, ?, ?, ?, ?, ?, 0)"));
    QSet<qint64> added, updated;
    QHash<qint64, std::pair<QString, QString>> classesOfTeam; // the team's last line decides
    const QString team = QStringLiteral("team");
    const QString runner = QStringLiteral("runner");

    WorkSteps steps(progress, Texts::tr("Importing the lines of the entry file"), std::max<qsizetype>(lines.size() - 1, 0));
    for (qsizetype index = 1; index < lines.size(); ++index) {
        onLine(static_cast<int>(index) + 1, [&] {
            const QString &line = lines[index];
            if (line.isEmpty())
                emptyLine();
            const QStringList fields = SplitEntryLine(line);
            if (fields.size() < entryMinFields) {
                ++summary.linesSkipped;
                return;
            }
            const auto column = [&](EntryColumn c) { return StripQuotes(fields[c]); };

            const qint64 entryId = LeadingNumber(column(EntryId));
            if (entryId > std::numeric_limits<qint32>::max())
                throw KorventError(Texts::tr("the entry id %1 is too large").arg(entryId));
            qint64 teamId = teamOfEntry.value(entryId, 0);
            if (teamId == 0) {
                connection.exec(insertTeam, {entryId, TeamNew});
                teamId = connection.insertedId(insertTeam);
                teamOfEntry.insert(entryId, teamId);
                added.insert(teamId);
            } else if (!added.contains(teamId)) {
                updated.insert(teamId);
            }
            const QString extraClass = fields.size() > ExtraClass && !fields[ExtraClass].isEmpty() ? column(ExtraClass) : QString();
            const QVariant className = fieldText(team, QStringLiteral("class"), column(ClassName));
            const QVariant extraClassName = fieldText(team, QStringLiteral("subclass"), extraClass);
            connection.exec(updateTeam, {fieldText(team, QStringLiteral("name"), column(TeamName)),
                                         fieldText(team, QStringLiteral("country"), column(Country)), className,
                                         fieldText(team, QStringLiteral("club"), column(Club)), TeamNew, extraClassName, teamId});
            classesOfTeam.insert(teamId, {className.toString(), extraClassName.toString()});

            const QString birthText = column(BirthDate);
            QVariant birthDate(QMetaType::fromType<QString>());
            if (!birthText.isEmpty() && birthText != QLatin1String("00.00.0000")) {
                const BirthDateReading born = readBirthDate(birthText);
                if (!born.date.isValid())
                    throw KorventError(Texts::tr("the birth date %1 %2").arg(quotedField(birthText), born.refusal));
                birthDate = born.date.toString(Qt::ISODate);
            }
            connection.exec(insertRunner, {teamId, fieldText(runner, QStringLiteral("chipnr"), column(Chip).trimmed()),
                                           fieldText(runner, QStringLiteral("firstname"), column(FirstName)),
                                           fieldText(runner, QStringLiteral("lastname"), column(LastName)), birthDate,
                                           fieldText(runner, QStringLiteral("country"), column(Country)),
                                           fieldText(runner, QStringLiteral("sex"), column(Sex))});
            ++summary.runnersAdded;
        });
        steps.reached(index);
    }
    transaction.commit();
    for (const auto &[className, extraClassName] : std::as_const(classesOfTeam)) {
        if (!className.isEmpty())
            ++summary.teamsInClass[className];
        if (!extraClassName.isEmpty())
            ++summary.teamsInExtraClass[extraClassName];
    }
    summary.teamsAdded = static_cast<int>(added.size());
    summary.teamsUpdated = static_cast<int>(updated.size());
    return summary;
}

QString TeamImportSummaryText(const TeamImportSummary &summary)
{
    return CountText("EntryImport", "Imported %n runner: ", "Imported %n runners: ", summary.runnersAdded)
        + CountText("EntryImport", "%n team added, ", "%n teams added, ", summary.teamsAdded)
        + Texts::tr("%1 updated, ").arg(summary.teamsUpdated)
        + CountText("EntryImport", "%n line skipped", "%n lines skipped", summary.linesSkipped);
}

QString EntryExampleFileName(const ProgramFiles &program)
{
    return program.file(QStringLiteral("import-example.csv"));
}

bool WriteEntryExample(const ProgramFiles &program, const QString &fileName)
{
    const QByteArray example = ReadFileBytes(EntryExampleFileName(program));
    RefuseUnwritableFile(fileName);
    QFile file(fileName);
    // Made new or not at all, so that a file made meanwhile is not written over either.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (file.exists())
            return false;
        throw KorventError(Texts::tr("Cannot write %1: %2").arg(fileName, file.errorString()));
    }
    if (file.write(example) != example.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.remove();
        throw KorventError(Texts::tr("Cannot write %1: %2").arg(fileName, reason));
    }
    return true;
}

ChipImportSummary ImportChips(db::Connection &connection, const QStringList &lines, int controlCard, WorkProgress &progress)
{
    if (lines.isEmpty())
        throw KorventError(Texts::tr("List is empty"));
    // Every chip is checked before the first is given.
    for (qsizetype index = 0; index < lines.size(); ++index)
        onLine(static_cast<int>(index) + 1, [&] {
            if (lines[index].isEmpty())
                emptyLine();
            fieldText(QStringLiteral("runner"), QStringLiteral("chipnr"), lines[index]);
        });

    ChipImportSummary summary;
    db::Transaction transaction(connection);
    QSqlQuery teams = connection.exec(
        QStringLiteral("SELECT id FROM team ORDER BY %1, id").arg(db::NullsFirst(connection.engine(), QStringLiteral("number"))));
    QList<qint64> teamIds;
    while (teams.next())
        teamIds.append(teams.value(0).toLongLong());
    teams.finish();

    QSqlQuery runnersOfTeam = connection.prepare(
        QStringLiteral("SELECT id, chipnr FROM runner WHERE team_id=? ORDER BY %1, id").arg(db::NullsFirst(connection.engine(), QStringLiteral("lastname"))));
    QSqlQuery giveChip = connection.prepare(QStringLiteral("UPDATE runner SET chipnr=?, rentchip=1 WHERE id=?"));
    qsizetype next = 0;
    const auto give = [&](qint64 runnerId) {
        connection.exec(giveChip, {lines[next], runnerId});
        ++summary.chipsGiven;
        if (++next == lines.size())
            summary.listUsedUp = true;
    };
    WorkSteps steps(progress, Texts::tr("Handing out chips"), teamIds.size());
    qint64 teamsDone = 0;
    for (const qint64 teamId : teamIds) {
        connection.exec(runnersOfTeam, {teamId});
        std::vector<std::pair<qint64, bool>> runners; // id, has a chip
        while (runnersOfTeam.next())
            runners.emplace_back(runnersOfTeam.value(0).toLongLong(), hasChip(runnersOfTeam.value(1)));
        runnersOfTeam.finish();
        if (controlCard == EventSettings::CardPerRunner) {
            for (const auto &[runnerId, chipped] : runners)
                if (!chipped && !summary.listUsedUp)
                    give(runnerId);
        } else {
            // A team without runners has no one to carry its card.
            const bool teamHasChip = std::any_of(runners.begin(), runners.end(), [](const auto &r) { return r.second; });
            if (!runners.empty() && !teamHasChip)
                give(runners.front().first);
        }
        steps.reached(++teamsDone);
        if (summary.listUsedUp)
            break;
    }
    transaction.commit();
    return summary;
}

QString ChipImportSummaryText(const ChipImportSummary &summary)
{
    return Texts::tr("Handed out %1 chips").arg(summary.chipsGiven);
}

StartedImportSummary LoadStarted(db::Connection &connection, const QStringList &lines, WorkProgress &progress)
{
    std::vector<QStringList> split;
    for (qsizetype index = 0; index < lines.size(); ++index)
        onLine(static_cast<int>(index) + 1, [&] { split.push_back(SplitFields(lines[index], u';', startListMaxIndex)); });

    StartedImportSummary summary;
    db::Transaction transaction(connection);
    QSqlQuery findRunner = connection.prepare(QStringLiteral("SELECT id FROM runner WHERE chipnr=? ORDER BY id LIMIT 1"));
    QSqlQuery start = connection.prepare(QStringLiteral("UPDATE runner SET started=1 WHERE id=?"));
    WorkSteps steps(progress, Texts::tr("Marking started runners"), static_cast<qint64>(split.size()));
    qint64 linesDone = 0;
    for (const QStringList &fields : split) {
        steps.reached(linesDone++);
        if (fields.size() < 2) {
            ++summary.linesPassedOver;
            continue;
        }
        connection.exec(findRunner, {fields[1]});
        const bool found = findRunner.next();
        const qint64 runnerId = found ? findRunner.value(0).toLongLong() : 0;
        findRunner.finish();
        if (!found) {
            ++summary.linesPassedOver;
            continue;
        }
        connection.exec(start, {runnerId});
        ++summary.runnersStarted;
    }
    steps.reached(linesDone);
    transaction.commit();
    return summary;
}

QString StartedImportSummaryText(const StartedImportSummary &summary)
{
    return CountText("EntryImport", "Started %n runner, ", "Started %n runners, ", summary.runnersStarted)
        + CountText("EntryImport", "%n line passed over", "%n lines passed over", summary.linesPassedOver);
}
