#include "CliRun.h"
#include "TerminalRun.h"
#include "TestFolder.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

const QByteArray courseFile = R"(<?xml version="1.0" encoding="ISO-8859-1"?>
<CourseData>
  <Map><Scale>15000</Scale><MapPosition x="-10.59" y="277.04"/></Map>
  <StartPoint><StartPointCode>S1</StartPointCode><MapPosition x="197.6" y="42.1"/></StartPoint>
  <Control><ControlCode>131</ControlCode><MapPosition x="12.37" y="-0.05"/></Control>
  <Control><ControlCode>132</ControlCode><MapPosition x="-3.99" y="1"/></Control>
  <FinishPoint><FinishPointCode>F1</FinishPointCode><MapPosition x="0.0" y="0.5"/></FinishPoint>
</CourseData>
)";

struct CliProgressFixture : ::testing::Test
{
    QTemporaryDir program;
    QString event = folderOf(program) + QStringLiteral("event/");

    void SetUp() override
    {
        QDir().mkpath(event);
        ASSERT_EQ(cli({"generate", "--seed", "7", "--teams", "200"}).exitCode, 0);
        writeFile(event + QStringLiteral("import.csv"), "id;team;club;class;first;last;born;sex;chip;country\r\n"
                                                        "9001;Öökull;Club;R6;Ann;Lee;;W;7001;EST\r\n"
                                                        "9002;Kärbes;Club;Open;Bob;Ox;;M;7002;EST\r\n");
        // The teams are there already: importing them again says the same each time.
        ASSERT_EQ(cli({"import", "teams", event + QStringLiteral("import.csv")}).exitCode, 0);
        ASSERT_EQ(cli({"teams", "number"}).exitCode, 0);
        ASSERT_EQ(cli({"settings", "set", "eResultHeader=NON"}).exitCode, 0);
        writeFile(event + QStringLiteral("chips.txt"), "901\r\n902\r\n");
        writeFile(event + QStringLiteral("started.csv"), "1;7001\r\n2;7002\r\n");
        writeFile(event + QStringLiteral("course.xml"), courseFile);
        writeFile(event + QStringLiteral("rules.kvchk"), "Teams of no class|SELECT name FROM team WHERE class='Open'\r\n"
                                                         "Runners without a chip|SELECT lastname FROM runner WHERE chipnr IS NULL\r\n");
    }
    CliRun cli(const QStringList &arguments) { return runCliIn(program.path(), QStringList({"--event", "event"}) + arguments); }
    TerminalRun cliOnTerminal(const QStringList &arguments, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                              unsigned short columns = 120)
    {
        return runCliOnTerminal(program.path(), QStringList({"--event", "event"}) + arguments, environment, columns);
    }
};

// A progress line: "\r", its text and a clear to the end of the line; a wiped one has no text.
const QRegularExpression progressLine(QStringLiteral("\r[^\r\n]*\x1b\\[K"));
const QRegularExpression drawnLine(QStringLiteral("\r[^\r\n]+\x1b\\[K"));

} // namespace

TEST_F(CliProgressFixture, LongCommandsShowAProgressLineOnATerminalAndNothingMoreOnAPipe)
{
    const struct
    {
        QStringList arguments;
        const char *firstStep;
    } cases[] = {
        {{"import", "teams", event + "import.csv"}, "Importing the lines of the entry file: 0 of 2"},
        {{"import", "chips", event + "chips.txt"}, "Handing out chips: 0 of 202"},
        {{"import", "started", event + "started.csv"}, "Marking started runners: 0 of 2"},
        {{"controls", "import", event + "course.xml"}, "Adding controls: 0 of 4"},
        {{"check", event + "rules.kvchk"}, "Checking \"Teams of no class\": 0 of 2"},
        {{"calculate", "--all"}, "Reading the teams and their punches\x1b[K"},
        {{"report", "results-web"}, "Writing the results and the team pages: 0 of "},
        {{"export", "iof3", "--compress"}, "Writing the IOF XML result list: 0 of "},
        {{"export", "participants", event + "participants.csv"}, "Writing the list: 0 of "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CliRun piped = cli(c.arguments);
        ASSERT_EQ(piped.exitCode, 0) << piped.err.toStdString();
        EXPECT_FALSE(piped.out.isEmpty());
        for (const QString &text : {piped.out, piped.err}) {
            EXPECT_FALSE(text.contains(u'\r'));
            EXPECT_FALSE(text.contains(u'\x1b'));
        }

        const TerminalRun shown = cliOnTerminal(c.arguments);
        ASSERT_EQ(shown.exitCode, 0) << shown.transcript.toStdString();
        const QString transcript = QString::fromUtf8(shown.transcript);
        EXPECT_TRUE(transcript.startsWith(u'\r' + QString::fromUtf8(c.firstStep))) << transcript.toStdString();
        // Each line drawn is overwritten or wiped before anything else is printed ...
        for (const QRegularExpressionMatch &line : drawnLine.globalMatch(transcript))
            EXPECT_EQ(transcript.mid(line.capturedEnd(), 1), QStringLiteral("\r")) << transcript.toStdString();
        // ... and without the progress lines the terminal shows what a pipe is given.
        EXPECT_EQ(QString(transcript).remove(progressLine), piped.err + piped.out);
    }
}

TEST_F(CliProgressFixture, AnErrorPartWayIsPrintedOnAWipedLine)
{
    writeFile(event + QStringLiteral("broken.csv"), "id;team;club;class;first;last;born;sex;chip;country\r\n"
                                                    "9003;Sääsk;Club;R6;Cy;Põld;;M;7003;EST\r\n"
                                                    "\r\n"
                                                    "9004;Mesilane;Club;R6;Di;Uus;;W;7004;EST\r\n");
    const QStringList arguments{"import", "teams", event + QStringLiteral("broken.csv")};
    const CliRun piped = cli(arguments);
    EXPECT_EQ(piped.exitCode, 1);
    EXPECT_EQ(piped.out, QString());
    EXPECT_EQ(piped.err, QStringLiteral("korvent-cli: Line 3: the line is empty\n"));

    const TerminalRun shown = cliOnTerminal(arguments);
    EXPECT_EQ(shown.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(shown.transcript),
              QStringLiteral("\rImporting the lines of the entry file: 0 of 3\x1b[K\r\x1b[Kkorvent-cli: Line 3: the line is empty\n"));

    // A terminal that knows no escape sequences gets no progress line.
    QProcessEnvironment dumb = QProcessEnvironment::systemEnvironment();
    dumb.insert(QStringLiteral("TERM"), QStringLiteral("dumb"));
    EXPECT_EQ(QString::fromUtf8(cliOnTerminal(arguments, dumb).transcript), piped.err);
}

TEST_F(CliProgressFixture, OnANarrowTerminalTheLineIsCutBeforeItsCount)
{
    const QStringList arguments{"import", "teams", event + QStringLiteral("import.csv")};
    const struct
    {
        unsigned short columns;
        const char *firstLine;
    } cases[] = {
        {20, "\rImporting t: 0 of 2\x1b[K"},
        {7, "\r0 of 2\x1b[K"},
        {1, "\r\x1b[K"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.columns);
        const TerminalRun shown = cliOnTerminal(arguments, QProcessEnvironment::systemEnvironment(), c.columns);
        ASSERT_EQ(shown.exitCode, 0) << shown.transcript.toStdString();
        EXPECT_TRUE(shown.transcript.startsWith(c.firstLine)) << shown.transcript.toStdString();
    }
}
