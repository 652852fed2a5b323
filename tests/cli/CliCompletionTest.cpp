#include "CliRun.h"
#include "TestFolder.h"

#include "base/VersionText.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// What bash offers for the words typed so far, the last one being completed,
// with the completion script korvent-cli writes.
QStringList completions(const QString &folder, const QStringList &typed)
{
    const CliRun script = runCliIn(folder, {QStringLiteral("--bash-completion")});
    QStringList words;
    for (const QString &word : typed)
        words.append(u'\'' + word + u'\'');
    QProcess bash;
    bash.setWorkingDirectory(folder);
    bash.start(QStringLiteral("bash"), {QStringLiteral("-c"), script.out + QStringLiteral("\nCOMP_WORDS=(korvent-cli %1)\nCOMP_CWORD=%2\n"
                                                                                          "_korvent_cli\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n")
                                                              .arg(words.join(u' '))
                                                              .arg(typed.size())});
    bash.waitForFinished(30'000);
    EXPECT_EQ(bash.exitCode(), 0) << bash.readAllStandardError().toStdString();
    QStringList offered = QString::fromUtf8(bash.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    offered.sort();
    return offered;
}

} // namespace

TEST(CliUsage, HelpAndVersionArePrintedWithoutAnEvent)
{
    QTemporaryDir folder;
    const CliRun help = runCliIn(folder.path(), {QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QLatin1String("Usage: korvent-cli --event DIR <command> [arguments]\n")));
    const CliRun refused = runCliIn(folder.path(), {});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.err, help.out); // the same text, on stderr when the command line is wrong

    const CliRun version = runCliIn(folder.path(), {QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("korvent-cli ") + VersionText(ProgramVersion(), true, u'.') + u'\n');
    EXPECT_TRUE(QDir(folder.path()).isEmpty()); // no settings file, no event
}

TEST(CliUsage, BashCompletesEveryCommandAndOptionOfTheUsageTextWhereItIsTaken)
{
    QTemporaryDir folder;
    QDir().mkpath(folderOf(folder) + QStringLiteral("event-one"));
    QDir().mkpath(folderOf(folder) + QStringLiteral("event two"));
    writeFile(folderOf(folder) + QStringLiteral("teams.csv"), "");
    writeFile(folderOf(folder) + QStringLiteral("teams of Tõrva.csv"), "");

    // Every command the usage text lists is offered after the event folder,
    // and every option before it.
    const CliRun help = runCliIn(folder.path(), {QStringLiteral("--help")});
    const QStringList commandLines = help.out.section(QStringLiteral("Commands:\n"), 1).split(u'\n', Qt::SkipEmptyParts);
    const QStringList optionLines = help.out.section(QStringLiteral("Options:\n"), 1).section(QStringLiteral("\n\n"), 0, 0).split(u'\n');
    ASSERT_GT(commandLines.size(), 10);
    ASSERT_EQ(optionLines.size(), 4);
    const QStringList first = completions(folder.path(), {QStringLiteral("--event"), QStringLiteral("event-one"), QString()});
    for (const QString &line : commandLines)
        EXPECT_TRUE(first.contains(line.trimmed().section(u' ', 0, 0))) << line.toStdString();
    const QStringList options = completions(folder.path(), {QString()});
    for (const QString &line : optionLines)
        EXPECT_TRUE(options.contains(line.trimmed().section(u' ', 0, 0))) << line.toStdString();

    const auto words = [](const char *typed) { return QString::fromUtf8(typed).split(u','); };
    const struct
    {
        QStringList typed; // the last word is the one completed
        QStringList offered;
    } cases[] = {
        {words("--ev"), words("--event")},
        {words("--b"), words("--bash-completion")},
        // --help and the others stand alone: nothing follows them, nor the folder.
        {words("--help,"), {}},
        {words("--event,e,--"), {}},
        {words("--event,event"), words("event two,event-one")},
        {words("--event,e,rep"), words("report")},
        {words("--event,e,report,results-"), words("results-splits,results-table,results-web")},
        // A kind once: then only the options of the command.
        {words("--event,e,report,results-table,"), words("--class,--per-class")},
        // --class takes the words after it; another --class may follow.
        {words("--event,e,report,results-table,--class,H12,"), words("--class,--per-class")},
        {words("--event,e,export,participants,--c"), words("--compress")},
        {words("--event,e,export,participants,--encoding,"), words("ANSI,ASCII,Big\\ Endian\\ Unicode,UTF-7,UTF-8,Unicode")},
        {words("--event,e,export,participants,--encoding,Big"), words("Big\\ Endian\\ Unicode")},
        {words("--event,e,import,teams,teams.csv,--encoding,UTF-"), words("UTF-7,UTF-8")},
        {words("--event,e,import,chips,chips.csv,--"), {}},
        {words("--event,e,teams,"), words("mark-started,number")},
        {words("--event,e,teams,number,"), words("--class,--from")},
        {words("--event,e,teams,number,--from,5,--"), words("--class")},
        {words("--event,e,teams,mark-started,"), words("--all,--read-out")},
        // Files with blanks are one word each.
        {words("--event,e,import,teams,te"), words("teams of Tõrva.csv,teams.csv")},
        {words("--event,e,import,te"), words("teams")},
        {words("--event,e,calculate,--"), words("--all,--new,--team")},
        {words("--event,e,calculate,--all,"), {}},
        {words("--event,e,edit,team-status,7,"), words("--calc,DNF\\ -\\ W/D,DNS,DQS,LATE,OK,OutOfBounds")},
        {words("--event,e,edit,status,7,31,"), words("DQ,Man-NoTime,NA,OK-Read")},
        {words("--event,e,edit,remove,7,"), {}},
        {words("--event,e,settings,"), words("set")},
        {words("--event,e,settings,set,eRes"), words("eResultHeader=")},
        {words("--event,e,settings,set,leName,=,Night,seMapW"), words("seMapWidth=")},
        {words("--event,e,db,use,"), words("sqlite")},
        {words("--event,e,sql,--yes,--"), {}},
        {words("--event,e,serve,--http,8080,--http-"), words("--http-bind")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(completions(folder.path(), c.typed), c.offered) << c.typed.join(u' ').toStdString();
}

TEST(CliUsage, ACopyOfTheProgramOutsideItsBuildFolderIsAnInstalledOne)
{
    // In a folder of the build folder, so that a hard link stands for the copy
    // (a symbolic one leads the program back to where it was built).
    QTemporaryDir copy(QFileInfo(QStringLiteral(KORVENT_CLI_PATH)).absolutePath() + QStringLiteral("/copied-XXXXXX"));
    QTemporaryDir work;
    const QString program = folderOf(copy) + QStringLiteral("korvent-cli");
    if (::link(KORVENT_CLI_PATH, QFile::encodeName(program).constData()) != 0)
        ASSERT_TRUE(QFile::copy(QStringLiteral(KORVENT_CLI_PATH), program));
    QDir().mkpath(folderOf(work) + QStringLiteral("here/common"));
    QDir().mkpath(folderOf(work) + QStringLiteral("event"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), folderOf(work) + QStringLiteral("home"));
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folderOf(work) + QStringLiteral("here"));
    process.start(program, {QStringLiteral("--event"), QStringLiteral("../event"), QStringLiteral("info")});
    ASSERT_TRUE(process.waitForFinished(30'000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    // Its settings are the user's, the event named by its absolute path; the current folder is left alone.
    EXPECT_FALSE(QFile::exists(folderOf(work) + QStringLiteral("here/setup.ini")));
    const QByteArray settings = readFile(folderOf(work) + QStringLiteral("home/.config/korvent/setup.ini"));
    EXPECT_TRUE(settings.contains("dir=" + QFile::encodeName(folderOf(work) + QStringLiteral("event")) + "\r\n")) << settings.toStdString();
}
