// korvent-cli edit: the hand corrections of the edit controls window.

#include "cli/CliCommands.h"
#include "cli/CliArguments.h"

#include "base/KorventError.h"
#include "cli/StderrSink.h"
#include "scoring/ApplyCorrection.h"
#include "scoring/CourseDefinition.h"
#include "scoring/PunchCorrections.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <QCoreApplication>

namespace {

using cli::storedSetup;
using cli::teamNumbered;
using cli::Texts;

QString quotedList(const QStringList &texts)
{
    return u'"' + texts.join(QStringLiteral("\", \"")) + u'"';
}

// Only the codes the window offers: those a punch of the course may carry.
QString courseCode(const QStringList &codes, const QString &code)
{
    if (!codes.contains(code))
        throw KorventError(codes.isEmpty() ? Texts::tr("Control \"%1\" is not in the course: the course has no controls").arg(code)
                                           : Texts::tr("Control \"%1\" is not in the course; its codes are %2").arg(code, quotedList(codes)));
    return code;
}

int choiceNamed(const std::vector<StatusChoice> &choices, const QString &text, const char *what)
{
    const int choice = ChoiceIndex(choices, text);
    if (choice < 0)
        throw KorventError(Texts::tr("%1 must be one of %2, not \"%3\"").arg(QString::fromLatin1(what), quotedList(ChoiceTexts(choices)), text));
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
    StderrSink messages;
    qint64 teamNumber = 0;
    const auto teamId = [&] {
        const TeamRow team = teamNumbered(connection, words[0]);
        teamNumber = team.number;
        if (const QString shared = SharedNumberWarning(connection, team.number); !shared.isEmpty())
            messages.warning(shared);
        return team.id;
    };
    Correction request;
    if (correction == QLatin1String("add-control")) {
        requireWords(3);
        request.kind = CorrectionKind::AddControl;
        const QStringList codes = ControlCodeList(connection);
        request.teamId = teamId();
        request.control = courseCode(codes, words[1]);
        request.missing = courseCode(codes, words[2]);
    } else if (correction == QLatin1String("remove")) {
        requireWords(2);
        request.kind = CorrectionKind::RemoveControl;
        request.teamId = teamId();
        request.control = courseCode(ControlCodeList(connection), words[1]);
    } else if (correction == QLatin1String("status")) {
        requireWords(3);
        request.kind = CorrectionKind::ChangeStatus;
        request.teamId = teamId();
        request.choice = choiceNamed(NewPunchStatusChoices(), words[2], "NEWSTATUS");
        request.control = courseCode(ControlCodeList(connection), words[1]);
    } else if (correction == QLatin1String("team-status")) {
        requireWords(2);
        request.kind = CorrectionKind::TeamStatus;
        request.teamId = teamId();
        request.choice = choiceNamed(NewTeamStatusChoices(), words[1], "STATUS");
    } else {
        throw KorventError(editUsage);
    }

    const CorrectionOutcome outcome =
        ApplyCorrection(context.data, context.location.eventDirectory, setup, request, calculate, messages);
    context.out << outcome.line << '\n';
    if (outcome.line == NoResultRecordLine())
        QTextStream(stderr) << "korvent-cli: " << Texts::tr("nothing added: team %1 has no punch at control %2").arg(teamNumber).arg(words[1])
                            << '\n';
    return outcome.line == NoResultRecordLine() || messages.errors > 0 ? 1 : 0;
}
