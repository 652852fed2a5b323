#include "EventDatabaseFixture.h"
#include "EventRows.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "registry/ReportRegistry.h"
#include "store/EventSetup.h"
#include "store/TimeHelpers.h"
#include "store/uData.h"

#include <QScopeGuard>
#include <gtest/gtest.h>

namespace {

const ReportFile target{ReportFolder::Chosen, QStringLiteral("/chosen/list.txt")};

struct ListExportCases : EventDatabaseFixture
{
    EventSetup setup;
    MemoryReportOutput output;

    void SetUp() override
    {
        EventDatabaseFixture::SetUp();
        setup.classTree = {{QStringLiteral("H12<*>(12:00:00|012:00:00|00:30:00)"), 0}, {QStringLiteral("H12V"), 1}};
    }
    qint64 team(int number, const QString &name, const QString &className = QStringLiteral("H12"))
    {
        return insertRow(*data, QStringLiteral("team"), {{"number", number}, {"name", name}, {"club", "OK Ilves"}, {"country", "EST"},
                                                        {"class", className}, {"subclass", "MV"}, {"entryID", 4711}});
    }
    qint64 runner(qint64 teamId, const QString &first, const QString &chip, const QVariant &birthdate = QStringLiteral("1970-07-01"),
                  const QVariant &rentchip = true)
    {
        Row row{{"team_id", teamId}, {"firstname", first}, {"lastname", "Tamm"}, {"club", "Ilves"}, {"country", "FIN"}, {"sex", "W"},
                {"chipnr", chip}, {"birthdate", birthdate}};
        if (rentchip.isValid())
            row.insert(QStringLiteral("rentchip"), rentchip);
        return insertRow(*data, QStringLiteral("runner"), row);
    }
    QByteArray run(ReportKind kind, const QString &encoding = QString())
    {
        ReportRequest request;
        request.target = target.name;
        request.encoding = encoding;
        RunReport(ReportKindOf(kind), {data->connection(), setup, output}, request);
        EXPECT_TRUE(output.committed());
        EXPECT_EQ(output.files(), QList<ReportFile>{target});
        return output.bytes(target);
    }
    // The file's lines; every line, the last too, ends with CR LF.
    QStringList lines(ReportKind kind)
    {
        const QByteArray bytes = run(kind);
        EXPECT_TRUE(bytes.endsWith("\r\n"));
        QStringList lines = Platform::decodeText(bytes).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }
    static QString birthday() { return DateText(DateTime::fromDateAndTime(QDate(1970, 7, 1), QTime(0, 0))); }
};

} // namespace

using ListExportFixture = OnEachEngine<ListExportCases>;
EVENT_TESTS_ON_EACH_ENGINE(ListExportFixture);

TEST_P(ListExportFixture, ATeamOfThreeGivesThreeRunnerLinesAndOneTeamLine)
{
    const qint64 owls = team(2, QStringLiteral("Owls"));
    runner(owls, QStringLiteral("Anna"), QStringLiteral("101"));
    runner(owls, QStringLiteral("Mari"), QStringLiteral("102"));
    runner(owls, QStringLiteral("Eva"), QStringLiteral("103"));
    team(1, QStringLiteral("Nobody yet"));

    EXPECT_EQ(lines(ReportKind::Participants), QStringList({
        "NR;Firstname;LastName;Club;TeamName;Class;",
        "2;Anna;Tamm;OK Ilves;Owls;H12;",
        "2;Mari;Tamm;OK Ilves;Owls;H12;",
        "2;Eva;Tamm;OK Ilves;Owls;H12;",
    }));
    EXPECT_EQ(lines(ReportKind::Cardex), QStringList({
        "2;101;Anna;Tamm;Owls;H12;12:00:00;",
        "2;102;Mari;Tamm;Owls;H12;12:00:00;",
        "2;103;Eva;Tamm;Owls;H12;12:00:00;",
    }));

    const QStringList teams = lines(ReportKind::TeamsRunners);
    ASSERT_EQ(teams.size(), 3);
    QString header = QStringLiteral("Number|Name|Class|SubClass|Club|Country|EntryID|#|");
    for (int i = 1; i <= 6; ++i)
        header += QStringLiteral("FirstName%1|LastName|Sex|Club|Country|BirthDate|ChipNr|RentChip|*|").arg(i);
    EXPECT_EQ(teams[0], header);
    const QString group = QStringLiteral("%1|Tamm|W|Ilves|FIN|") + birthday() + QStringLiteral("|%2|True|*|");
    EXPECT_EQ(teams[1], QStringLiteral("2|Owls|H12|MV|OK Ilves|EST|4711|#|") + group.arg(u"Anna", u"101") + group.arg(u"Mari", u"102")
                            + group.arg(u"Eva", u"103"));
    // A team without runners appears only here, with its own fields.
    EXPECT_EQ(teams[2], QStringLiteral("1|Nobody yet|H12|MV|OK Ilves|EST|4711|#|"));
}

TEST_P(ListExportFixture, NoRunnersGiveAHeaderOnlyOrAnEmptyFile)
{
    team(1, QStringLiteral("Nobody yet"));
    EXPECT_EQ(lines(ReportKind::Participants), QStringList({"NR;Firstname;LastName;Club;TeamName;Class;"}));
    EXPECT_EQ(run(ReportKind::Cardex), QByteArray());
    EXPECT_EQ(run(ReportKind::TeamInfo), QByteArray());
}

TEST_P(ListExportFixture, CardexStartsAtTheClassStartOrAtMidnight)
{
    runner(team(1, QStringLiteral("Main"), QStringLiteral("H12")), QStringLiteral("Anna"), QStringLiteral("1"));
    runner(team(2, QStringLiteral("Sub"), QStringLiteral("H12V")), QStringLiteral("Mari"), QString());
    runner(team(3, QStringLiteral("Lost"), QStringLiteral("X99")), QStringLiteral("Eva"), QStringLiteral("3"));
    EXPECT_EQ(lines(ReportKind::Cardex), QStringList({
        "1;1;Anna;Tamm;Main;H12;12:00:00;",
        "2;;Mari;Tamm;Sub;H12V;12:00:00;",
        "3;3;Eva;Tamm;Lost;X99;00:00:00;",
    }));
}

TEST_P(ListExportFixture, TeamInfoBlocksShareAHeaderWhileTheNameStaysTheSame)
{
    runner(team(1, QStringLiteral("Owls")), QStringLiteral("Anna"), QStringLiteral("101"));
    runner(team(2, QStringLiteral("Owls"), QStringLiteral("H12V")), QStringLiteral("Mari"), QStringLiteral("102"), QVariant());
    runner(team(1234, QStringLiteral("Hares"), QStringLiteral("Veterans-H12")), QStringLiteral("Eva"), QString());
    EXPECT_EQ(lines(ReportKind::TeamInfo), QStringList({
        "",
        "",
        ">---------- ----------",
        "  1        H12 Owls OK Ilves",
        "    Anna Tamm :W/" + birthday() + " :101",
        "    Mari Tamm :W/ :102",
        "",
        "",
        ">---------- ----------",
        "1234 Veterans-H12 Hares OK Ilves",
        "    Eva Tamm :W/" + birthday() + " :",
    }));
}

TEST_P(ListExportFixture, TeamInfoGivesAFirstTeamWithoutNameNoHeader)
{
    runner(team(1, QString()), QStringLiteral("Anna"), QStringLiteral("101"));
    runner(team(2, QStringLiteral("Owls")), QStringLiteral("Mari"), QStringLiteral("102"));
    const QStringList written = lines(ReportKind::TeamInfo);
    ASSERT_EQ(written.size(), 6);
    EXPECT_EQ(written[0], QStringLiteral("    Anna Tamm :W/") + birthday() + QStringLiteral(" :101"));
    EXPECT_EQ(written[4], QStringLiteral("  2        H12 Owls OK Ilves"));
}

TEST_P(ListExportFixture, TeamsWithRunnersShowEmptyFieldsAsEmpty)
{
    const qint64 id = insertRow(*data, QStringLiteral("team"), {{"number", 5}, {"name", "Bare"}});
    runner(id, QStringLiteral("Anna"), QString(), QVariant(), QVariant());
    runner(id, QStringLiteral("Mari"), QStringLiteral("7"), QVariant(), false);
    const QStringList teams = lines(ReportKind::TeamsRunners);
    ASSERT_EQ(teams.size(), 2);
    // An empty entry id reads 0; a never-set rented chip is an empty field before "|*|".
    EXPECT_EQ(teams[1], QStringLiteral("5|Bare|||||0|#|Anna|Tamm|W|Ilves|FIN||||*|Mari|Tamm|W|Ilves|FIN||7|False|*|"));
}

TEST_P(ListExportFixture, ATeamWithoutNumberComesFirstWithAnEmptyNumber)
{
    runner(team(1, QStringLiteral("Owls")), QStringLiteral("Mari"), QStringLiteral("102"));
    const qint64 unnumbered = insertRow(*data, QStringLiteral("team"), {{"name", "Late entry"}, {"class", "H12"}});
    runner(unnumbered, QStringLiteral("Anna"), QStringLiteral("101"));
    EXPECT_EQ(lines(ReportKind::Participants), QStringList({
        "NR;Firstname;LastName;Club;TeamName;Class;",
        ";Anna;Tamm;;Late entry;H12;",
        "1;Mari;Tamm;OK Ilves;Owls;H12;",
    }));
    const QStringList teamInfo = lines(ReportKind::TeamInfo);
    ASSERT_GE(teamInfo.size(), 4);
    EXPECT_EQ(teamInfo[2], QStringLiteral(">---------- ----------"));
    EXPECT_EQ(teamInfo[3], QStringLiteral("           H12 Late entry "));
}

TEST_P(ListExportFixture, TeamsWithRunnersInEachEncoding)
{
    runner(team(1, QStringLiteral("Õun")), QStringLiteral("Anna"), QStringLiteral("101"));
    const struct
    {
        const char *encoding;
        QByteArray start;
    } cases[] = {
        {"", "Number|"},
        {"ANSI", "Number|"},
        {"ASCII", "Number|"},
        {"Unicode", QByteArray("\xFF\xFEN\0u\0", 6)},
        {"Big Endian Unicode", QByteArray("\xFE\xFF\0N\0u", 6)},
        {"UTF-8", "\xEF\xBB\xBFNumber|"},
        {"UTF-7", "Number|"},
    };
    for (const auto &c : cases) {
        const QByteArray bytes = run(ReportKind::TeamsRunners, QString::fromLatin1(c.encoding));
        EXPECT_TRUE(bytes.startsWith(c.start)) << c.encoding << ": " << bytes.left(8).toHex(' ').constData();
    }
    // The team line shows how the text was encoded: every line, the last too, ends with CR LF.
    EXPECT_TRUE(run(ReportKind::TeamsRunners, QStringLiteral("ASCII")).contains("\r\n1|?un|H12|"));
    EXPECT_TRUE(run(ReportKind::TeamsRunners, QStringLiteral("UTF-8")).contains("\r\n1|\xC3\x95un|H12|"));
    EXPECT_TRUE(run(ReportKind::TeamsRunners, QStringLiteral("UTF-7")).contains("\r\n1|+ANU-un|H12|"));
    EXPECT_TRUE(run(ReportKind::TeamsRunners, QStringLiteral("Unicode")).endsWith(QByteArray("|\0*\0|\0\r\0\n\0", 10)));
    EXPECT_TRUE(run(ReportKind::TeamsRunners, QStringLiteral("Big Endian Unicode")).endsWith(QByteArray("\0|\0*\0|\0\r\0\n", 10)));
}

TEST_P(ListExportFixture, AnsiIsTheProgramsTextEncoding)
{
    runner(team(1, QStringLiteral("Õun")), QStringLiteral("Anna"), QStringLiteral("101"));
    ASSERT_TRUE(Platform::setTextEncoding(QStringLiteral("windows-1257")));
    const auto restore = qScopeGuard([] { Platform::setTextEncoding(QStringLiteral("UTF-8")); });
    EXPECT_TRUE(run(ReportKind::TeamsRunners, QStringLiteral("ANSI")).contains("\r\n1|\xD5un|H12|"));
    EXPECT_TRUE(run(ReportKind::Participants).contains("\r\n1;Anna;Tamm;OK Ilves;\xD5un;H12;\r\n"));
}

TEST_P(ListExportFixture, AnUnknownEncodingWritesNothing)
{
    team(1, QStringLiteral("Owls"));
    ReportRequest request;
    request.target = target.name;
    request.encoding = QStringLiteral("UTF-16");
    try {
        RunReport(ReportKindOf(ReportKind::TeamsRunners), {data->connection(), setup, output}, request);
        FAIL() << "an unknown encoding was accepted";
    } catch (const KorventError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Unknown encoding \"UTF-16\"; the encodings are ANSI, ASCII, Unicode, Big Endian Unicode, UTF-8, UTF-7"));
    }
    EXPECT_TRUE(output.files().isEmpty());
    EXPECT_FALSE(output.committed());
}

TEST_P(ListExportFixture, EveryListTakesAKnownEncodingAndNeedsAFile)
{
    ReportRequest request;
    request.target = target.name;
    request.encoding = QStringLiteral("UTF-16");
    for (const ReportKind kind : {ReportKind::Participants, ReportKind::Cardex, ReportKind::TeamInfo, ReportKind::TeamsRunners}) {
        EXPECT_THROW(RunReport(ReportKindOf(kind), {data->connection(), setup, output}, request), KorventError);
        EXPECT_THROW(RunReport(ReportKindOf(kind), {data->connection(), setup, output}, {}), KorventError);
    }
    EXPECT_FALSE(output.committed());

    request.encoding = QStringLiteral("UTF-8");
    RunReport(ReportKindOf(ReportKind::Participants), {data->connection(), setup, output}, request);
    EXPECT_TRUE(output.bytes(target).startsWith("\xEF\xBB\xBFNR;Firstname;"));
}

TEST_P(ListExportFixture, ALineBreakInAValueDoesNotSplitItsLine)
{
    // Values are written as they are, separators included; only a line break would forge a record.
    runner(team(1, QStringLiteral("Owls\r\n2;Forged"), QStringLiteral("H12")), QStringLiteral("An\nna"), QStringLiteral("101"));
    EXPECT_EQ(lines(ReportKind::Participants), QStringList({"NR;Firstname;LastName;Club;TeamName;Class;", "1;An na;Tamm;OK Ilves;Owls  2;Forged;H12;"}));
    EXPECT_EQ(lines(ReportKind::Cardex), QStringList({"1;101;An na;Tamm;Owls  2;Forged;H12;12:00:00;"}));
    EXPECT_EQ(lines(ReportKind::TeamInfo).size(), 5);
    EXPECT_EQ(lines(ReportKind::TeamsRunners).size(), 2);
}
