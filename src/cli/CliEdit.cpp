// korvent-cli edit: the hand corrections of the edit controls window.

#include "cli/CliCommands.h"
#include "cli/CliArguments.h"

#include "base/KorventError.h"
#include "cli/StderrSink.h"
#include "scoring/CorrectionLog.h"
#include "scoring/CourseDefinition.h"
#include "scoring/PunchCorrections.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <QCoreApplication>

namespace {

using cli::storedSetup;
using cli::teamNumbered;
using cli::tr;

QString quotedList(const QStringList &texts)
{
    return u'"' + texts.join(QStringLiteral("\", \"")) + u'"';
}

// Only the codes the window offers: those a punch of the course may carry.
QString courseCode(const QStringList &codes, const QString &code)
{
    if (!codes.contains(code))
        throw KorventError(codes.isEmpty() ? tr("Control \"%1\" is not in the course: the course has no controls").arg(code)
                                           : tr("Control \"%1\" is not in the course; its codes are %2").arg(code, quotedList(codes)));
    return code;
}

int choiceNamed(const std::vector<StatusChoice> &choices, const QString &text, const char *what)
{
    const int choice = ChoiceIndex(choices, text);
    if (choice < 0)
        throw KorventError(tr("%1 must be one of %2, not \"%3\"").arg(QString::fromLatin1(what), quotedList(ChoiceTexts(choices)), text));
    return choice;
}

const QString editUsage = QStringLiteral(
    "edit needs one of: add-control TEAM FROM MISSING | remove TEAM CONTROL | status TEAM CONTROL NEWSTATUS | "
    "team-status TEAM STATUS, optionally with --calc");

} // namespace

int CliEditCommand(CliContext &context, const QStringList &arguments)
{
    CliArguments options(arguments);
    const bool calculate = options.takeFlag(QStringLiteral("--calc"));
    QStringList words = options.rest();
    if (words.isEmpty())
        throw KorventError(editUsage);
    const QString correction = words.takeFirst();
    const auto requireWords = [&](qsizetype count) {
        if (words.size() != count)
            throw KorventError(editUsage);
    };

    db::Connection &connection = context.data.connection();
    const auto setup = storedSetup(context.location.eventDirectory);
    RefuseUnwritableCorrectionLog(context.location.eventDirectory);
    QString line;
    TeamRow team;
    if (correction == QLatin1String("add-control")) {
        requireWords(3);
        team = teamNumbered(connection, words[0]);
        const QStringList codes = ControlCodeList(connection);
        line = AddMissingControl(connection, team.id, courseCode(codes, words[1]), courseCode(codes, words[2]),
                                 setup->settings.EventStartDateTime());
    } else if (correction == QLatin1String("remove")) {
        requireWords(2);
        team = teamNumbered(connection, words[0]);
        line = RemoveControl(connection, team.id, courseCode(ControlCodeList(connection), words[1]));
    } else if (correction == QLatin1String("status")) {
        requireWords(3);
        team = teamNumbered(connection, words[0]);
        const int choice = choiceNamed(NewPunchStatusChoices(), words[2], "NEWSTATUS");
        line = ChangeControlStatus(connection, team.id, courseCode(ControlCodeList(connection), words[1]), choice);
    } else if (correction == QLatin1String("team-status")) {
        requireWords(2);
        team = teamNumbered(connection, words[0]);
        line = SetTeamStatus(connection, team.id, choiceNamed(NewTeamStatusChoices(), words[1], "STATUS"));
    } else {
        throw KorventError(editUsage);
    }

    // The correction is committed: its line is shown first, so that a log that
    // cannot be written never hides a correction that was made.
    context.out << line << '\n';
    context.out.flush();
    PrependCorrectionLog(context.location.eventDirectory, line);
    int exitCode = 0;
    if (line == NoResultRecordLine()) {
        QTextStream(stderr) << "korvent-cli: " << tr("nothing added: team %1 has no punch at control %2").arg(team.number).arg(words[1]) << '\n';
        exitCode = 1;
    }
    if (calculate) {
        StderrSink messages;
        RecalculateTeam(context.data, setup, messages, team.number);
        if (messages.errors > 0)
            exitCode = 1;
    }
    return exitCode;
}
