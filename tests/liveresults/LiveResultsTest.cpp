#include "HttpClient.h"
#include "readout/ReadoutFixture.h"

#include "liveresults/LiveResults.h"
#include "readout/ReadoutServer.h"
#include "store/StatusTexts.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// The readout event with a second team in class A, already calculated, with
// a name that is not ASCII; a station on the readout server, the live
// results beside it.
struct LiveResultsFixture : ReadoutFixture
{
    std::unique_ptr<ReadoutServer> server;
    std::unique_ptr<LiveResults> live;
    QStringList problems;

    void SetUp() override
    {
        ReadoutFixture::SetUp();
        insertRow(*data, QStringLiteral("team"), {{"number", 7}, {"name", "Jõe Ääre"}, {"class", "A"}, {"status", 1}, {"points", 5},
                                                  {"result", 5}, {"rtime", 9000}, {"calctime", "2026-06-13 15:00:00"}});
        server = std::make_unique<ReadoutServer>(folderOf(dir), shared);
        server->start(0, 5);
    }
    void TearDown() override
    {
        live.reset();
        server.reset();
    }
    void startLive()
    {
        EventLocation location;
        location.program = ProgramFiles::inProgramDirectory(QStringLiteral(KORVENT_SOURCE_DIR "/"));
        location.eventDirectory = folderOf(dir);
        live = std::make_unique<LiveResults>(location, shared, [this](const QString &message) { problems.append(message); });
        live->start(QHostAddress::LocalHost, 0);
        live->follow(*server);
        ASSERT_TRUE(QTest::qWaitFor([&] { return live->site().version() > 0; }, 10'000));
    }
    HttpReply get(const QByteArray &target) { return HttpRequest(live->port(), "GET", target); }
    QJsonObject json(const QByteArray &target) { return QJsonDocument::fromJson(get(target).body).object(); }

    // A station reads out Ann Lee's chip; returns the reply.
    QByteArray readOut()
    {
        QTcpSocket station;
        station.connectToHost(QHostAddress::LocalHost, server->port());
        QByteArray received;
        QObject::connect(&station, &QTcpSocket::readyRead, [&] { received += station.readAll(); });
        const auto line = [&] {
            QTest::qWaitFor([&] { return received.contains("\r\n"); }, 5000);
            const QByteArray first = received.left(received.indexOf("\r\n") + 2);
            received.remove(0, first.size());
            return first;
        };
        line(); // banner
        station.write("si\r\n");
        line();
        station.write("s " + exampleRecord.toLatin1() + "\r\n");
        return line();
    }
};

TEST_F(LiveResultsFixture, AReadoutIsServedWithItsNewResultWithinASecond)
{
    startLive();
    // Never calculated: listed without a result yet.
    ASSERT_EQ(json("/api/team/12")[QStringLiteral("status")].toString(), QStringLiteral("NA"));
    ASSERT_TRUE(get("/resultsA.htm").body.contains("Team 12"));

    ASSERT_EQ(readOut(), exampleReply.toLatin1() + "\r\n");
    QElapsedTimer sinceReply;
    sinceReply.start();
    QJsonObject team;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (team = json("/api/team/12"))[QStringLiteral("status")].toString() == QLatin1String("OK"); }, 5000));
    const qint64 teamMs = sinceReply.elapsed();
    HttpReply classPage;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (classPage = get("/resultsA.htm")).body.contains("3:05:00"); }, 5000));
    const qint64 classMs = sinceReply.elapsed();
    // The splits follow the class page, built after it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return get("/splits/resultsA.htm").body.contains("3:05:00"); }, 5000));
    const qint64 splitsMs = sinceReply.elapsed();
    EXPECT_LT(teamMs, 1000);
    EXPECT_LT(classMs, 1000);
    EXPECT_LT(splitsMs, 1000);

    // Stored as the Calculate command stores it: 3 + 4 points, 6 penalty points for 5:00 over.
    EXPECT_EQ(team[QStringLiteral("points")].toInt(), 7);
    EXPECT_EQ(team[QStringLiteral("penalty")].toInt(), -6);
    EXPECT_EQ(team[QStringLiteral("result")].toInt(), 1);
    EXPECT_EQ(team[QStringLiteral("status")].toString(), QStringLiteral("OK"));
    EXPECT_EQ(team[QStringLiteral("time")].toString(), QStringLiteral("3:05:00"));
    EXPECT_EQ(team[QStringLiteral("place")].toInt(), 2);
    QStringList punches;
    for (const QJsonValue &punch : team[QStringLiteral("punches")].toArray())
        punches.append(punch[QStringLiteral("code")].toString() + u' ' + punch[QStringLiteral("status")].toString() + u' '
                       + QString::number(punch[QStringLiteral("points")].toInt()) + u' ' + punch[QStringLiteral("time")].toString());
    EXPECT_EQ(punches, (QStringList{QStringLiteral("31 OK 3 2026-06-13T12:10:00"), QStringLiteral("45 OK 4 2026-06-13T12:40:00"),
                                    QStringLiteral("F OK 0 2026-06-13T15:05:00")}));
    // Every runner of the team, also one not marked as started (Ann).
    const QJsonArray runners = team[QStringLiteral("runners")].toArray();
    ASSERT_EQ(runners.size(), 1);
    EXPECT_EQ(runners[0][QStringLiteral("started")], QJsonValue(false));
    EXPECT_EQ(runners[0][QStringLiteral("finish")].toString(), QStringLiteral("2026-06-13T15:05:00"));

    // The class page: the generators' table with the live head; Jõe Ääre first.
    EXPECT_TRUE(classPage.body.startsWith("<!DOCTYPE html>"));
    EXPECT_TRUE(classPage.body.contains("name=\"viewport\""));
    EXPECT_TRUE(classPage.body.contains("/api/version?path="));
    EXPECT_LT(classPage.body.indexOf("Jõe Ääre"), classPage.body.indexOf("Team 12"));
    EXPECT_TRUE(get("/teamresult_12.htm").body.contains("Team 12"));

    const QJsonObject results = json("/api/results");
    EXPECT_EQ(results[QStringLiteral("event")].toString(), QStringLiteral("Summer Rogaine"));
    EXPECT_EQ(QByteArray::number(results[QStringLiteral("version")].toInteger()), get("/api/version?path=%2Fapi%2Fresults").body);
    const QJsonArray classes = results[QStringLiteral("classes")].toArray();
    ASSERT_EQ(classes.size(), 2);
    EXPECT_EQ(classes[0][QStringLiteral("name")].toString(), QStringLiteral("A"));
    const QJsonArray teams = classes[0][QStringLiteral("teams")].toArray();
    ASSERT_EQ(teams.size(), 2);
    EXPECT_EQ(teams[0][QStringLiteral("name")].toString(), QStringLiteral("Jõe Ääre"));
    EXPECT_EQ(teams[1][QStringLiteral("number")].toInt(), 12);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
}

TEST_F(LiveResultsFixture, TeamsWithRunnersNotCalculatedYetAreListedAfterTheOthersWithTheirStatus)
{
    const struct
    {
        int number;
        const char *name;
        int status;
        const char *shown;
    } teams[] = {{21, "Waiting Ümarik", 9, "NA"}, {22, "Marked started", 8, "START"}, {23, "Card incomplete", 7, "NARes."}};
    for (const auto &t : teams) {
        const qint64 id = insertRow(*data, QStringLiteral("team"), {{"number", t.number}, {"name", t.name}, {"class", "A"}, {"status", t.status}});
        insertRow(*data, QStringLiteral("runner"), {{"team_id", id}, {"firstname", "Runner"}, {"lastname", t.name}, {"started", true}});
    }
    insertRow(*data, QStringLiteral("team"), {{"number", 24}, {"name", "Nobody entered"}, {"class", "A"}});
    startLive();

    const QByteArray page = get("/resultsA.htm").body;
    EXPECT_LT(page.indexOf("Jõe Ääre"), page.indexOf("Team 12"));
    EXPECT_FALSE(page.contains("Nobody entered"));
    for (const auto &t : teams) {
        SCOPED_TRACE(t.name);
        // No place, no figures, the status as result; no team page to link to.
        EXPECT_TRUE(page.contains(QByteArray("<td>") + t.name + "</td>"));
        const qsizetype row = page.indexOf("<td align=\"right\">-</td><td>" + QByteArray::number(t.number) + "</td>");
        ASSERT_GE(row, 0);
        EXPECT_TRUE(page.mid(row).contains(QByteArray("<td></td><td class=\"css_result\">") + t.shown + "</td>"));
        EXPECT_EQ(get("/teamresult_" + QByteArray::number(t.number) + ".htm").status, 404);
    }

    const QJsonArray listed = json("/api/results")[QStringLiteral("classes")].toArray()[0][QStringLiteral("teams")].toArray();
    QStringList seen;
    for (const QJsonValue &team : listed) {
        seen.append(QString::number(team[QStringLiteral("number")].toInt()) + u' ' + team[QStringLiteral("status")].toString());
        if (team[QStringLiteral("number")].toInt() > 7)
            for (const char *field : {"place", "points", "penalty", "result", "time"})
                EXPECT_TRUE(team[QLatin1String(field)].isNull()) << field;
    }
    EXPECT_EQ(seen, (QStringList{u"7 OK"_s, u"12 NA"_s, u"21 NA"_s, u"22 START"_s, u"23 NARes."_s}));
    EXPECT_EQ(json("/api/team/21")[QStringLiteral("runners")].toArray().size(), 1);
}

TEST_F(LiveResultsFixture, ALongNameWithoutSpacesBreaksRatherThanPushingTheFiguresOffTheScreen)
{
    startLive();
    // Checked in headless Chromium at 390 and 1400 pixels; here that the rules are served.
    const QByteArray style = get("/live.css").body;
    for (const QByteArray &rule : {QByteArray("td:nth-child(4) { overflow-wrap: anywhere;"), QByteArray("td.resultheader + td,")})
        EXPECT_TRUE(style.contains(rule)) << rule.constData();
}

TEST_F(LiveResultsFixture, APageVersionChangesOnlyWithItsPage)
{
    startLive();
    const QByteArray classVersion = get("/api/version?path=%2FresultsA.htm").body;
    const QByteArray otherVersion = get("/api/version?path=%2FresultsB.htm").body;
    ASSERT_EQ(readOut(), exampleReply.toLatin1() + "\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return get("/api/version?path=%2FresultsA.htm").body != classVersion; }, 5000));
    EXPECT_EQ(get("/api/version?path=%2FresultsB.htm").body, otherVersion);
}

TEST_F(LiveResultsFixture, ThePagesOfTeamsOvertakenFollowWithTheirNewPlace)
{
    data->connection().exec(QStringLiteral("UPDATE team SET result=0, points=0 WHERE number=7"));
    startLive();
    ASSERT_TRUE(get("/teamresult_7.htm").body.contains("<b>1</b>"));
    ASSERT_EQ(readOut(), exampleReply.toLatin1() + "\r\n");
    // Team 12 scores 1 and goes ahead: team 7's page says so once the changes pause.
    EXPECT_TRUE(QTest::qWaitFor([&] { return get("/teamresult_7.htm").body.contains("<b>2</b>"); }, 4000));
    EXPECT_TRUE(get("/teamresult_12.htm").body.contains("<b>1</b>"));
    EXPECT_EQ(json("/api/team/7")[QStringLiteral("place")].toInt(), 2);
}

TEST_F(LiveResultsFixture, AChangeByAnotherProgramIsServedWithinAFewSeconds)
{
    startLive();
    // Another connection, as another program would: the publisher is not told.
    data->connection().exec(QStringLiteral("UPDATE team SET name=?, result=8, points=8 WHERE number=7"), {QStringLiteral("Þórsmörk")});
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return get("/resultsA.htm").body.contains("Þórsmörk"); }, 5000));
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_EQ(json("/api/team/7")[QStringLiteral("result")].toInt(), 8);
}

TEST_F(LiveResultsFixture, WhatIsKeptOfATeamBetweenBuildsGoesWhenItsPunchesChange)
{
    startLive();
    ASSERT_EQ(readOut(), exampleReply.toLatin1() + "\r\n");
    // Control 45, punched at 12:40:00, in the splits and the team's document.
    ASSERT_TRUE(QTest::qWaitFor([&] { return get("/splits/resultsA.htm").body.contains("12:40:00"); }, 5000));
    ASSERT_EQ(json("/api/team/12")[QStringLiteral("punches")].toArray().size(), 3);
    // Another program takes the punch away; the team's row stays as it was.
    data->connection().exec(QStringLiteral("DELETE FROM res_cp WHERE KP='45'"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !get("/splits/resultsA.htm").body.contains("12:40:00"); }, 5000));
    EXPECT_EQ(json("/api/team/12")[QStringLiteral("punches")].toArray().size(), 2);
    EXPECT_FALSE(get("/teamresult_12.htm").body.contains("12:40:00"));
}

TEST_F(LiveResultsFixture, PunchChangesThatKeepTheirCountAndStatusSumAreServed)
{
    startLive();
    ASSERT_EQ(readOut(), exampleReply.toLatin1() + "\r\n");
    const auto punches = [&] {
        QStringList shown;
        for (const QJsonValue &punch : json("/api/team/12")[QStringLiteral("punches")].toArray())
            shown.append(punch[QStringLiteral("code")].toString() + u' ' + punch[QStringLiteral("status")].toString() + u' '
                         + punch[QStringLiteral("time")].toString());
        return shown;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return punches().size() == 3; }, 5000));
    // Another program disqualifies control 45, then swaps its status with the
    // second visit of 31's, then moves a punch time; the team's row stays as it was.
    const qint64 first = data->connection().scalar(QStringLiteral("SELECT id FROM res_cp WHERE KP='45'")).toLongLong();
    const qint64 second = data->connection().scalar(QStringLiteral("SELECT MAX(id) FROM res_cp WHERE KP='31'")).toLongLong();
    data->connection().exec(QStringLiteral("UPDATE res_cp SET status=? WHERE id=?"), {PunchDQ, first});
    ASSERT_TRUE(QTest::qWaitFor([&] { return punches().join(u',').contains(QLatin1String("45 DQ")); }, 5000)) << punches().join(u',').toStdString();
    const QStringList before = punches();
    data->connection().exec(QStringLiteral("UPDATE res_cp SET status=(SELECT SUM(status) FROM res_cp WHERE id IN (?, ?))-status WHERE id IN (?, ?)"),
                            {first, second, first, second});
    EXPECT_TRUE(QTest::qWaitFor([&] { return punches() != before; }, 5000)) << before.join(u',').toStdString();
    data->connection().exec(QStringLiteral("UPDATE res_cp SET ctime='2026-06-13 12:41:00' WHERE KP='45'"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return punches().contains(QStringLiteral("45 OK 2026-06-13T12:41:00")); }, 5000))
        << punches().join(u',').toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return get("/teamresult_12.htm").body.contains("12:41:00"); }, 5000));
}

TEST_F(LiveResultsFixture, ADeletedTeamLosesItsPagesWithoutAFullBuild)
{
    startLive();
    ASSERT_EQ(get("/teamresult_7.htm").status, 200);
    ASSERT_EQ(readOut(), exampleReply.toLatin1() + "\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return get("/api/team/12").status == 200; }, 5000));
    data->connection().exec(QStringLiteral("DELETE FROM team WHERE number=7"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return get("/teamresult_7.htm").status == 404; }, 5000));
    EXPECT_EQ(get("/api/team/7").status, 404);
    EXPECT_FALSE(get("/resultsA.htm").body.contains("Jõe Ääre"));
    EXPECT_EQ(get("/teamresult_12.htm").status, 200);
}

TEST_F(LiveResultsFixture, AReadoutCalculatesTheFirstTeamOfItsNumberAsTheCalculateCommandDoes)
{
    const qint64 later = insertRow(*data, QStringLiteral("team"), {{"number", 12}, {"name", "Twelve Again"}, {"class", "A"}});
    const auto stored = [&](qint64 id, const char *column) {
        return data->connection().scalar(QStringLiteral("SELECT %1 FROM team WHERE id=?").arg(QLatin1String(column)), {id});
    };
    const auto toldShared = [&] {
        return problems.filter(QStringLiteral("a readout of \"Twelve Again\" calculates \"Team 12\"")).size();
    };
    startLive();

    // Ann runs for the first team of the number: it gets her result, the later team none.
    ASSERT_TRUE(readOut().startsWith("S 8001234;"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return stored(teamId, "result").toInt() == 1; }, 5000));
    EXPECT_TRUE(stored(later, "calctime").toString().isEmpty());
    EXPECT_EQ(toldShared(), 0);

    // Ann moved to the later team: her readouts calculate the first team,
    // which has no punches now, and the later team still gets no result;
    // the log says why, once.
    data->connection().exec(QStringLiteral("UPDATE runner SET team_id=? WHERE id=?"), {later, runnerId});
    for (int readout = 0; readout < 2; ++readout) {
        ASSERT_TRUE(readOut().startsWith("S 8001234;"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return toldShared() > 0; }, 5000));
    }
    QTest::qWait(300);
    EXPECT_EQ(toldShared(), 1);
    EXPECT_TRUE(stored(later, "calctime").toString().isEmpty());
    EXPECT_TRUE(stored(later, "result").isNull() || stored(later, "result").toInt() == 0);
}

TEST_F(LiveResultsFixture, AClassWhoseNameCannotNameAPageIsListedWithoutALink)
{
    setup.classTree.push_back({QStringLiteral("Ü/Õ<*>(12:00:00|003:00:00|00:30:00)"), 0});
    publish();
    insertRow(*data, QStringLiteral("team"), {{"number", 30}, {"name", "Kaldkriips"}, {"class", "Ü/Õ"}, {"status", 1}, {"points", 5},
                                              {"result", 5}, {"rtime", 9000}, {"calctime", "2026-06-13 15:00:00"}});
    startLive();
    const QByteArray index = get("/").body;
    EXPECT_TRUE(index.contains("<li>Ü/Õ &middot; no page: ask the secretariat</li>")) << index.constData();
    EXPECT_FALSE(index.contains("results%C3%9C"));
    EXPECT_TRUE(index.contains("href=\"/resultsA.htm\""));
    // Its teams are still in the results, and the log says why the page is missing.
    EXPECT_TRUE(get("/api/results").body.contains("Kaldkriips"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !problems.filter(QStringLiteral("cannot be used as a file name")).isEmpty(); }, 5000));
}

TEST_F(LiveResultsFixture, AMissingStyleSheetIsNotFoundAndSaidOnce)
{
    EventLocation location;
    location.program = ProgramFiles::inProgramDirectory(folderOf(dir)); // a program folder without common/style.css
    location.eventDirectory = folderOf(dir);
    live = std::make_unique<LiveResults>(location, shared, [this](const QString &message) { problems.append(message); });
    live->start(QHostAddress::LocalHost, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return live->site().version() > 0; }, 10'000));
    EXPECT_EQ(get("/style.css").status, 404);
    EXPECT_EQ(get("/live.css").status, 200);
    EXPECT_EQ(get("/resultsA.htm").status, 200);
    // A later build does not say it again.
    data->connection().exec(QStringLiteral("UPDATE team SET name='Renamed' WHERE id=?"), {teamId});
    EXPECT_TRUE(QTest::qWaitFor([&] { return get("/resultsA.htm").body.contains("Renamed"); }, 5000));
    EXPECT_EQ(problems.filter(QStringLiteral("without a style sheet")).size(), 1) << problems.join(u'\n').toStdString();
}

TEST_F(LiveResultsFixture, WithoutTheLiveResultsAReadoutCalculatesNothing)
{
    ASSERT_EQ(readOut(), exampleReply.toLatin1() + "\r\n");
    QTest::qWait(300);
    EXPECT_TRUE(data->connection().scalar(QStringLiteral("SELECT calctime FROM team WHERE number=12")).toString().isEmpty());
}

TEST_F(LiveResultsFixture, TeamsReadOutWhileNoLiveResultsRanAreCalculatedWhenTheyStart)
{
    // Never calculated, and calculated before its punches came.
    for (const char *calculated : {"", "2026-06-13 15:00:00"}) {
        SCOPED_TRACE(calculated);
        data->connection().exec(QStringLiteral("UPDATE team SET calctime=?, result=10, points=10 WHERE id=?"),
                                {calculated[0] ? QVariant(QString::fromLatin1(calculated)) : QVariant(), teamId});
        ASSERT_EQ(readOut(), exampleReply.toLatin1() + "\r\n");
        startLive();
        EXPECT_TRUE(QTest::qWaitFor([&] { return json("/api/team/12")[QStringLiteral("result")].toInt() == 1; }, 5000));
        EXPECT_EQ(data->connection().scalar(QStringLiteral("SELECT points FROM team WHERE id=?"), {teamId}).toInt(), 7);
        live.reset();
    }
    // A team without punches keeps its row as it was.
    EXPECT_EQ(data->connection().scalar(QStringLiteral("SELECT calctime FROM team WHERE number=7")).toString().left(19),
              QStringLiteral("2026-06-13 15:00:00"));
}

TEST_F(LiveResultsFixture, AHandStatusIsKeptWhenAStaleTeamIsCalculatedAtTheStart)
{
    ASSERT_EQ(readOut(), exampleReply.toLatin1() + "\r\n");
    data->connection().exec(QStringLiteral("UPDATE team SET status=? WHERE id=?"), {TeamDSQ, teamId});
    startLive();
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return !data->connection().scalar(QStringLiteral("SELECT calctime FROM team WHERE id=?"), {teamId}).toString().isEmpty();
    }, 5000));
    EXPECT_EQ(data->connection().scalar(QStringLiteral("SELECT status FROM team WHERE id=?"), {teamId}).toInt(), TeamDSQ);
    EXPECT_EQ(data->connection().scalar(QStringLiteral("SELECT result FROM team WHERE id=?"), {teamId}).toInt(), -TeamDSQ);
}

TEST_F(LiveResultsFixture, TeamsSharingANumberKeepTheirClassListedWithoutTeamPages)
{
    insertRow(*data, QStringLiteral("team"), {{"number", 7}, {"name", "Second Seven"}, {"class", "A"}, {"status", 1}, {"points", 3},
                                              {"result", 3}, {"rtime", 9000}, {"calctime", "2026-06-13 15:00:00"}});
    startLive();
    const HttpReply page = get("/resultsA.htm");
    EXPECT_TRUE(page.body.contains("Second Seven"));
    EXPECT_EQ(get("/teamresult_7.htm").status, 404);
    // Which team is meant cannot be told: a script gets the conflict, a reader both teams by name.
    const HttpReply shared = get("/api/team/7");
    EXPECT_EQ(shared.status, 409);
    EXPECT_TRUE(shared.headers.contains("application/json"));
    const QJsonObject conflict = QJsonDocument::fromJson(shared.body).object();
    const QString error = conflict[QStringLiteral("error")].toString();
    EXPECT_TRUE(error.contains(QStringLiteral("\"Jõe Ääre\" (A)")) && error.contains(QStringLiteral("\"Second Seven\" (A)"))) << error.toStdString();
    EXPECT_EQ(conflict[QStringLiteral("number")].toInt(), 7);
    const QJsonArray teams = conflict[QStringLiteral("teams")].toArray();
    ASSERT_EQ(teams.size(), 2);
    EXPECT_EQ(teams[0][QStringLiteral("name")].toString(), QStringLiteral("Jõe Ääre"));
    EXPECT_EQ(teams[0][QStringLiteral("place")].toInt(), 1);
    EXPECT_EQ(teams[1][QStringLiteral("name")].toString(), QStringLiteral("Second Seven"));
    EXPECT_FALSE(teams[0].toObject().contains(QStringLiteral("punches")));
    // The secretariat is told once, in its log; the public start page lists the class without it.
    const HttpReply start = get("/");
    EXPECT_TRUE(start.body.contains("resultsA.htm"));
    EXPECT_FALSE(start.body.contains("Second Seven"));
    EXPECT_FALSE(live->problem().isEmpty());
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems.front().contains(QLatin1String("7"))) << problems.front().toStdString();
}

TEST_F(LiveResultsFixture, ASharedNumberCostsOnlyTheSharingTeamsTheirPages)
{
    insertRow(*data, QStringLiteral("team"), {{"number", 7}, {"name", "Second Seven"}, {"class", "A"}, {"status", 1}, {"points", 3},
                                              {"result", 3}, {"rtime", 9000}, {"calctime", "2026-06-13 15:00:00"}});
    startLive();
    ASSERT_EQ(readOut(), exampleReply.toLatin1() + "\r\n");
    // Team 12 of the same class keeps its page, its link, its splits and their reloads.
    EXPECT_TRUE(QTest::qWaitFor([&] { return get("/teamresult_12.htm").body.contains("3:05:00"); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return get("/splits/resultsA.htm").body.contains("3:05:00"); }, 5000));
    const HttpReply page = get("/resultsA.htm");
    EXPECT_TRUE(page.body.contains("teamresult_12.htm"));
    EXPECT_TRUE(page.body.contains("/api/version?path="));
    EXPECT_FALSE(page.body.contains("teamresult_7.htm"));
    EXPECT_TRUE(page.body.contains("Second Seven"));
    EXPECT_TRUE(get("/").body.contains("splits/resultsA.htm"));
    EXPECT_EQ(get("/teamresult_7.htm").status, 404);
}

TEST_F(LiveResultsFixture, ANumberSharedAndFreedAgainByAnotherProgramChangesWhatTheFirstTeamsClassServes)
{
    startLive();
    ASSERT_EQ(get("/teamresult_7.htm").status, 200);
    // Another program enters a team in class B with team 7's number, then gives it a number of its own.
    const qint64 other = insertRow(*data, QStringLiteral("team"), {{"number", 7}, {"name", "Bee Seven"}, {"class", "B"}, {"status", 1}, {"points", 2},
                                                                    {"result", 2}, {"rtime", 9000}, {"calctime", "2026-06-13 15:00:00"}});
    EXPECT_TRUE(QTest::qWaitFor([&] { return get("/api/team/7").status == 409; }, 5000));
    EXPECT_EQ(json("/api/team/7")[QStringLiteral("teams")].toArray().size(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return get("/teamresult_7.htm").status == 404; }, 5000));

    data->connection().exec(QStringLiteral("UPDATE team SET number=70 WHERE id=?"), {other});
    EXPECT_TRUE(QTest::qWaitFor([&] { return get("/api/team/7").status == 200; }, 5000));
    EXPECT_EQ(json("/api/team/7")[QStringLiteral("name")].toString(), QStringLiteral("Jõe Ääre"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return get("/teamresult_7.htm").status == 200; }, 5000));
    EXPECT_EQ(json("/api/team/70")[QStringLiteral("name")].toString(), QStringLiteral("Bee Seven"));
}

} // namespace
