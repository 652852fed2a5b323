#include "CliRun.h"
#include "TestFolder.h"

#include "base/VersionText.h"

#include <gtest/gtest.h>

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

TEST(CliUsage, BashCompletesEveryCommandOfTheUsageTextAndTheirWords)
{
    QTemporaryDir folder;
    QDir().mkpath(folderOf(folder) + QStringLiteral("event-one"));
    writeFile(folderOf(folder) + QStringLiteral("teams.csv"), "");

    // Every command the usage text lists is offered as the first word.
    const CliRun help = runCliIn(folder.path(), {QStringLiteral("--help")});
    const QStringList commandLines = help.out.section(QStringLiteral("Commands:\n"), 1).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GT(commandLines.size(), 10);
    const QStringList first = completions(folder.path(), {QStringLiteral("--event"), QStringLiteral("event-one"), QString()});
    for (const QString &line : commandLines)
        EXPECT_TRUE(first.contains(line.trimmed().section(u' ', 0, 0))) << line.toStdString();

    const struct
    {
        QStringList typed;
        QStringList offered;
    } cases[] = {
        {{QStringLiteral("--ev")}, {QStringLiteral("--event")}},
        {{QStringLiteral("--event"), QStringLiteral("event")}, {QStringLiteral("event-one")}},
        {{QStringLiteral("--event"), QStringLiteral("e"), QStringLiteral("rep")}, {QStringLiteral("report")}},
        {{QStringLiteral("--event"), QStringLiteral("e"), QStringLiteral("report"), QStringLiteral("results-")},
         {QStringLiteral("results-splits"), QStringLiteral("results-table"), QStringLiteral("results-web")}},
        {{QStringLiteral("--event"), QStringLiteral("e"), QStringLiteral("export"), QStringLiteral("--c")}, {QStringLiteral("--compress")}},
        {{QStringLiteral("--event"), QStringLiteral("e"), QStringLiteral("teams"), QStringLiteral("mark")}, {QStringLiteral("mark-started")}},
        {{QStringLiteral("--event"), QStringLiteral("e"), QStringLiteral("import"), QStringLiteral("teams"), QStringLiteral("te")},
         {QStringLiteral("teams"), QStringLiteral("teams.csv")}},
        {{QStringLiteral("--event"), QStringLiteral("e"), QStringLiteral("calculate"), QStringLiteral("--")},
         {QStringLiteral("--all"), QStringLiteral("--new"), QStringLiteral("--team")}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(completions(folder.path(), c.typed), c.offered) << c.typed.join(u' ').toStdString();
}
