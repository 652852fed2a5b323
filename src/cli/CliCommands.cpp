#include "cli/CliCommands.h"

#include "base/KorventError.h"
#include "scoring/PunchCorrections.h"
#include "store/EventSchema.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <QCoreApplication>

namespace {

int info(CliContext &context, const QStringList &arguments)
{
    cli::requireNoArguments("info", arguments);
    QTextStream &out = context.out;
    out << "Database: " << context.data.connection().engineText() << '\n';
    out << "Database version: " << context.data.connection().storedVersion() << '\n';
    for (const db::TableDefinition &table : EventTables())
        out << table.name << ": " << context.data.rowCount(table.name) << " rows\n";
    out << "EventDirectory: " << context.location.eventDirectory << '\n';
    out << "ResultsDirectory: " << context.location.resultsDirectory << '\n';
    return 0;
}

} // namespace

int CliSettingsCommand(CliContext &context, const QStringList &arguments);
int CliClassesCommand(CliContext &context, const QStringList &arguments);
int CliCalculateCommand(CliContext &context, const QStringList &arguments);
int CliPunchListCommand(CliContext &context, const QStringList &arguments);
int CliExplainCommand(CliContext &context, const QStringList &arguments);
int CliGenerateCommand(CliContext &context, const QStringList &arguments);
int CliServeCommand(CliContext &context, const QStringList &arguments);
int CliReportCommand(CliContext &context, const QStringList &arguments);
int CliExportCommand(CliContext &context, const QStringList &arguments);
int CliEditCommand(CliContext &context, const QStringList &arguments);
int CliControlsCommand(CliContext &context, const QStringList &arguments);
int CliImportCommand(CliContext &context, const QStringList &arguments);
int CliTeamsCommand(CliContext &context, const QStringList &arguments);
int CliCheckCommand(CliContext &context, const QStringList &arguments);
int CliSqlCommand(CliContext &context, const QStringList &arguments);
int CliDbCommand(const EventLocation &location, QTextStream &out, const QStringList &arguments);

TeamRow cli::teamNumbered(db::Connection &connection, const QString &text)
{
    bool isNumber = false;
    const qint64 number = text.toLongLong(&isNumber);
    if (!isNumber)
        throw KorventError(Texts::tr("The team number must be a whole number, not \"%1\"").arg(text));
    const std::optional<TeamRow> team = FindTeamByNumber(connection, number);
    if (!team)
        throw KorventError(Texts::tr("There is no team with number %1").arg(number));
    return *team;
}

void cli::requireNoArguments(const char *command, const QStringList &arguments)
{
    if (!arguments.isEmpty())
        throw KorventError(Texts::tr("%1 takes no arguments, got \"%2\"").arg(QString::fromLatin1(command), arguments.join(u' ')));
}

qint64 cli::wholeNumber(const QString &text, const char *what)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok)
        throw KorventError(Texts::tr("%1 \"%2\" is not a whole number").arg(QLatin1String(what), text));
    return value;
}

std::shared_ptr<const EventSetup> cli::storedSetup(const QString &eventDirectory)
{
    return std::make_shared<const EventSetup>(EventSetup::load(eventDirectory));
}

const std::vector<CliOption> &CliOptions()
{
    static const std::vector<CliOption> options = {
        {"--event", "--event DIR          the event folder (made an event when it holds none)"},
        {"--help", "--help               print this text"},
        {"--version", "--version            print the version"},
        {"--bash-completion", "--bash-completion    print the bash completion script"},
    };
    return options;
}

const std::vector<CliCommand> &CliCommands()
{
    static const std::vector<CliCommand> commands = {
        {"info", "info                 database version, tables with row counts, folders", info},
        {"settings", "settings [set KEY=VALUE ...]  print every event setting, or change some", CliSettingsCommand},
        {"classes", "classes              the class table: index, name, start, maximum, penalty (hundredths), path", CliClassesCommand},
        {"calculate", "calculate --all | --new | --team N  calculate and store team results", CliCalculateCommand},
        {"punchlist", "punchlist N          the punch list of team N", CliPunchListCommand},
        {"explain", "explain N            why team N has its result: each control's rule and points, the time, penalty and status", CliExplainCommand},
        {"edit", "edit add-control TEAM FROM MISSING | remove TEAM CONTROL | status TEAM CONTROL NEWSTATUS | team-status TEAM STATUS [--calc]"
                 "  correct punches or the team status by hand; logged in timelog.txt",
         CliEditCommand},
        {"controls", "controls import FILE | create FROM TO | list | mapfile  import controls from IOF XML 2.0.3 course data, create a numbered run, "
                     "list them, or save the course picture as base + the map file name",
         CliControlsCommand},
        {"teams", "teams | teams number [--from N] [--class NAME] | teams mark-started --read-out|--all  the teams in number order "
                  "with their runners, tab-separated; number the teams without a number in entry order (from N, or above the highest "
                  "used); mark as started the runners with a punch, or all runners",
         CliTeamsCommand},
        {"import", "import teams FILE [--encoding NAME] | chips FILE | started FILE  load an entry file (UTF-8 by default), "
                   "hand out rental chips from a chip list, mark the runners of a start list as started",
         CliImportCommand},
        {"generate", "generate [--seed N] [--teams N] [--runners MIN-MAX] [--controls N] [--visits N] [--classes N]  fill an empty event with a synthetic one",
         CliGenerateCommand},
        {"report", "report KIND [--class NAME ...] [--per-class]  write a report and print its files; `report` alone names the kinds",
         CliReportCommand, true},
        {"export", "export KIND [FILE] [--encoding NAME] [--compress]  write an export and print its files: FILE for the lists, NAME one of "
                   "ANSI (default), ASCII, Unicode, \"Big Endian Unicode\", UTF-8, UTF-7; `export` alone names the kinds",
         CliExportCommand, true},
        {"check", "check RULEFILE [--only TITLE ...]  run the entry checks of a rule file (all, or those named) and print their findings",
         CliCheckCommand},
        {"sql", "sql [--yes] \"STATEMENT\"  run SQL on the event database and print the rows as \";\"-separated lines; "
                "a statement that may change data needs --yes",
         CliSqlCommand},
        {"db", "db use postgresql://USER@HOST[:PORT]/DBNAME | use sqlite | copy-to postgresql://... | copy-from postgresql://...  "
               "bind the event folder to a database on a PostgreSQL server (the password from PGPASSWORD or ~/.pgpass), or back to its "
               "own file; copy the folder's own file to an empty server database, or a server database into the folder's empty file",
         nullptr, false, CliDbCommand},
        {"serve", "serve [--port N] [--max-connections N] [--idle-timeout SECONDS] [--show-log] [--debug] [--http PORT [--http-bind ADDRESS]]  run the readout server (and the live results over HTTP) until SIGINT or SIGTERM", CliServeCommand},
    };
    return commands;
}
