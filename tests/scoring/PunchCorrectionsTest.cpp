#include "RefusingTrigger.h"
#include "ScoringFixture.h"
#include "EventRows.h"

#include "base/KorventError.h"
#include "scoring/ApplyCorrection.h"
#include "scoring/CorrectionLog.h"
#include "scoring/PunchCorrections.h"
#include "store/StatusTexts.h"
#include "store/TimeHelpers.h"

namespace {

struct PunchCorrectionsFixtureCases : ScoringFixture
{
    db::Connection &connection() { return data->connection(); }

    // The team's punches at one code, as "runner time status count" ("-" for no count).
    QStringList punchesAt(qint64 teamId, const QString &code)
    {
        QStringList rows;
        for (const Row &row : selectRows(*data, QStringLiteral("res_cp"), {{"team_id", teamId}, {"KP", code}}, {QStringLiteral("id")}))
            rows.append(QStringLiteral("%1 %2 %3 %4").arg(row.value("runner_id").toString(), row.value("ctime").toString(),
                                                          row.value("status").toString(),
                                                          row.value("count").isNull() ? QStringLiteral("-") : row.value("count").toString()));
        return rows;
    }
    qint64 punchCount() { return data->rowCount(QStringLiteral("res_cp")); }
    // Gone as the teams window deletes a team: its runners with it.
    void removeTeam(qint64 teamId)
    {
        connection().exec(QStringLiteral("DELETE FROM runner WHERE team_id=?"), {teamId});
        connection().exec(QStringLiteral("DELETE FROM team WHERE id=?"), {teamId});
    }
    void setTotals(qint64 teamId, int points, int penalty)
    {
        updateRow(*data, QStringLiteral("team"), teamId, {{"points", points}, {"penalty", penalty}});
    }
    SerialDateTime eventStart()
    {
        setup.settings.firstStart = std::chrono::hours(10);
        return setup.settings.EventStartDateTime();
    }
};

} // namespace

using PunchCorrectionsFixture = OnEachEngine<PunchCorrectionsFixtureCases>;
EVENT_TESTS_ON_EACH_ENGINE(PunchCorrectionsFixture);

TEST_P(PunchCorrectionsFixture, FindsTheFirstTeamWithTheNumber)
{
    const qint64 first = team(12, QStringLiteral("H6"), QStringLiteral("Hill Runners"));
    team(12, QStringLiteral("H6"), QStringLiteral("Second Twelve"));
    const std::optional<TeamRow> found = FindTeamByNumber(connection(), 12);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->id, first);
    EXPECT_EQ(found->name, QStringLiteral("Hill Runners"));
    EXPECT_EQ(found->className, QStringLiteral("H6"));
    EXPECT_EQ(found->status, TeamNew);
    EXPECT_FALSE(FindTeamByNumber(connection(), 13));
}

TEST_P(PunchCorrectionsFixture, AddedControlFollowsTheEarliestPunchForEveryRunner)
{
    const qint64 id = team(12);
    const qint64 a = runner(id), b = runner(id), c = runner(id);
    punch(id, b, QStringLiteral("31"), QStringLiteral("10:30:00"));
    punch(id, a, QStringLiteral("31"), QStringLiteral("10:20:00"));
    punch(id, c, QStringLiteral("31"), QStringLiteral("10:21:00"));
    const qint64 other = team(13);
    punch(other, runner(other), QStringLiteral("31"), QStringLiteral("09:00:00")); // another team's punch counts not

    const QString line = AddMissingControl(connection(), id, QStringLiteral("31"), QStringLiteral("45"), eventStart());

    const QString time = QStringLiteral("2026-06-13 10:25:00");
    EXPECT_EQ(punchesAt(id, QStringLiteral("45")),
              QStringList({QStringLiteral("%1 %2 2 0").arg(a).arg(time), QStringLiteral("%1 %2 2 0").arg(b).arg(time),
                           QStringLiteral("%1 %2 2 0").arg(c).arg(time)}));
    EXPECT_EQ(line, QStringLiteral("45 control added to team:12 >") + DateTimeText(true, at(QStringLiteral("10:25:00"))) + QStringLiteral(" #:3"));
    EXPECT_TRUE(punchesAt(other, QStringLiteral("45")).isEmpty());
}

TEST_P(PunchCorrectionsFixture, AddedControlAfterTheStartIsTenMinutesAfterTheEventStart)
{
    const qint64 id = team(12);
    const qint64 a = runner(id);
    const QString line = AddMissingControl(connection(), id, QStringLiteral("S"), QStringLiteral("31"), eventStart());
    EXPECT_EQ(punchesAt(id, QStringLiteral("31")), QStringList({QStringLiteral("%1 2026-06-13 10:10:00 2 0").arg(a)}));
    EXPECT_EQ(line, QStringLiteral("31 control added to team:12 >") + DateTimeText(true, at(QStringLiteral("10:10:00"))) + QStringLiteral(" #:1"));
}

TEST_P(PunchCorrectionsFixture, AddedControlWithoutAFromPunchOrRunners)
{
    const qint64 id = team(12);
    const qint64 a = runner(id);
    punch(id, a, QStringLiteral("32"), QStringLiteral("10:30:00"));
    EXPECT_EQ(AddMissingControl(connection(), id, QStringLiteral("31"), QStringLiteral("45"), eventStart()), NoResultRecordLine());
    EXPECT_EQ(NoResultRecordLine(), QStringLiteral("No Result Record"));
    EXPECT_EQ(punchCount(), 1);

    const qint64 empty = team(14);
    punch(empty, 0, QStringLiteral("31"), QStringLiteral("10:30:00"));
    EXPECT_EQ(AddMissingControl(connection(), empty, QStringLiteral("31"), QStringLiteral("45"), eventStart()),
              QStringLiteral("45 control added to team:14 >") + DateTimeText(true, at(QStringLiteral("10:35:00"))) + QStringLiteral(" #:0"));
    EXPECT_EQ(punchCount(), 2);
}

TEST_P(PunchCorrectionsFixture, AddedControlCountsFromTimedPunchesOnly)
{
    const qint64 id = team(12);
    const qint64 a = runner(id);
    // Punches without a time, as the database editor or another program can
    // leave them (NULL, empty text, 0), come first in time order.
    for (const QVariant &unset : {QVariant(), QVariant(QStringLiteral("")), QVariant(0)})
        connection().exec(QStringLiteral("INSERT INTO res_cp (team_id, runner_id, KP, status, ctime) VALUES (?, ?, '31', ?, ?)"),
                          {id, a, PunchMan, unset});
    EXPECT_EQ(AddMissingControl(connection(), id, QStringLiteral("31"), QStringLiteral("45"), eventStart()), NoResultRecordLine());
    EXPECT_EQ(punchCount(), 3);

    punch(id, a, QStringLiteral("31"), QStringLiteral("10:20:00"));
    EXPECT_EQ(AddMissingControl(connection(), id, QStringLiteral("31"), QStringLiteral("45"), eventStart()),
              QStringLiteral("45 control added to team:12 >") + DateTimeText(true, at(QStringLiteral("10:25:00"))) + QStringLiteral(" #:1"));
    EXPECT_EQ(punchesAt(id, QStringLiteral("45")), QStringList({QStringLiteral("%1 2026-06-13 10:25:00 2 0").arg(a)}));
}

TEST_P(PunchCorrectionsFixture, RemoveDeletesOnlyTheTeamsPunchesAtTheControl)
{
    const qint64 id = team(12);
    const qint64 a = runner(id), b = runner(id);
    punch(id, a, QStringLiteral("31"), QStringLiteral("10:30:00"));
    punch(id, b, QStringLiteral("31"), QStringLiteral("10:30:20"));
    punch(id, a, QStringLiteral("310"), QStringLiteral("11:00:00"));
    const qint64 other = team(13);
    punch(other, runner(other), QStringLiteral("31"), QStringLiteral("10:30:00"));

    EXPECT_EQ(RemoveControl(connection(), id, QStringLiteral("31")), QStringLiteral("31 removed from team:12 #:2"));
    EXPECT_TRUE(punchesAt(id, QStringLiteral("31")).isEmpty());
    EXPECT_EQ(punchesAt(id, QStringLiteral("310")).size(), 1);
    EXPECT_EQ(punchesAt(other, QStringLiteral("31")).size(), 1);

    // A control the team never punched: nothing deleted, the count 0.
    EXPECT_EQ(RemoveControl(connection(), id, QStringLiteral("52")), QStringLiteral("52 removed from team:12 #:0"));
    EXPECT_EQ(punchCount(), 2);
}

TEST_P(PunchCorrectionsFixture, ChangedStatusListsTheOldStatuses)
{
    const qint64 id = team(12);
    const qint64 a = runner(id), b = runner(id);
    punch(id, b, QStringLiteral("31"), QStringLiteral("10:30:00"), PunchMan);
    punch(id, a, QStringLiteral("31"), QStringLiteral("10:30:20"), PunchReadOK);
    const qint64 other = team(13);
    punch(other, runner(other), QStringLiteral("31"), QStringLiteral("10:30:00"), PunchReadOK);

    const QString line = ChangeControlStatus(connection(), id, QStringLiteral("31"), ChoiceIndex(NewPunchStatusChoices(), QStringLiteral("DQ")));
    // Old statuses by runner, as the punches are kept.
    EXPECT_EQ(line, QStringLiteral("Team:12 Change control:31 status::DQ <<=ReadOK,Man,"));
    for (const QString &row : punchesAt(id, QStringLiteral("31")))
        EXPECT_TRUE(row.endsWith(QLatin1String(" 5 -"))) << row.toStdString();
    EXPECT_TRUE(punchesAt(other, QStringLiteral("31")).first().endsWith(QLatin1String(" 8 -")));

    EXPECT_EQ(ChangeControlStatus(connection(), id, QStringLiteral("52"), 0), QStringLiteral("Team:12 Change control:52 status::OK-Read <<="));
}

TEST_P(PunchCorrectionsFixture, NewPunchStatusesStoreTheirCodes)
{
    const qint64 id = team(12);
    punch(id, runner(id), QStringLiteral("31"), QStringLiteral("10:30:00"), PunchReadOK);
    const struct { const char *text; int code; const char *old; } cases[] = {
        {"Man-NoTime", PunchMan, "ReadOK"}, {"DQ", PunchDQ, "Man"}, {"NA", PunchUnknown, "DQ"}, {"OK-Read", PunchReadOK, "?"},
    };
    for (const auto &c : cases) {
        const int choice = ChoiceIndex(NewPunchStatusChoices(), QString::fromLatin1(c.text));
        ASSERT_GE(choice, 0) << c.text;
        EXPECT_EQ(ChangeControlStatus(connection(), id, QStringLiteral("31"), choice),
                  QStringLiteral("Team:12 Change control:31 status::%1 <<=%2,").arg(QLatin1String(c.text), QLatin1String(c.old)));
        EXPECT_TRUE(punchesAt(id, QStringLiteral("31")).first().endsWith(QStringLiteral(" %1 -").arg(c.code))) << c.text;
    }
}

TEST_P(PunchCorrectionsFixture, TeamStatusWithItsResult)
{
    const struct { const char *status; int points; int penalty; int code; int result; const char *line; } cases[] = {
        {"OK", 20, -3, TeamOK, 17, "Team:12 Status:NA >OK"},
        {"OK", 3, -5, TeamOK, 0, "Team:12 Status:NA >OK"},
        {"DNS", 20, -3, TeamDNS, -6, "Team:12 Status:NA >DNS"},
        {"LATE", 20, 0, TeamLate, -2, "Team:12 Status:NA >LATE"},
        {"OutOfBounds", 20, 0, TeamOB, -3, "Team:12 Status:NA >OutOfBounds"},
        {"DNF - W/D", 20, 0, TeamWithdrawn, -4, "Team:12 Status:NA >DNF - W/D"},
        {"DQS", 20, 0, TeamDSQ, -5, "Team:12 Status:NA >DQS"},
    };
    for (const auto &c : cases) {
        const qint64 id = team(12);
        setTotals(id, c.points, c.penalty);
        const int choice = ChoiceIndex(NewTeamStatusChoices(), QString::fromLatin1(c.status));
        EXPECT_EQ(choice + 1, c.code) << c.status;
        EXPECT_EQ(SetTeamStatus(connection(), id, choice), QString::fromLatin1(c.line));
        const Row row = teamRow(id);
        EXPECT_EQ(row.value("status").toInt(), c.code) << c.status;
        EXPECT_EQ(row.value("result").toInt(), c.result) << c.status;
        EXPECT_FALSE(row.value("calctime").isNull()) << c.status;
        removeTeam(id);
    }
}

TEST_P(PunchCorrectionsFixture, TeamStatusLineNamesTheStatusBefore)
{
    const qint64 id = team(12);
    EXPECT_EQ(SetTeamStatus(connection(), id, ChoiceIndex(NewTeamStatusChoices(), QStringLiteral("DQS"))), QStringLiteral("Team:12 Status:NA >DQS"));
    EXPECT_EQ(SetTeamStatus(connection(), id, ChoiceIndex(NewTeamStatusChoices(), QStringLiteral("OK"))), QStringLiteral("Team:12 Status:DSQ >OK"));
}

TEST_P(PunchCorrectionsFixture, RecalculationAfterOkLeavesALateTeamLate)
{
    control(QStringLiteral("31"), 30);
    control(QStringLiteral("F"), 0, QStringLiteral("F"));
    const qint64 id = team(12);
    const qint64 a = runner(id);
    punch(id, a, QStringLiteral("31"), QStringLiteral("11:00:00"));
    punch(id, a, QStringLiteral("F"), QStringLiteral("16:45:00")); // over 6:00 plus 0:30 of penalty time
    ASSERT_TRUE(calculate(12));
    ASSERT_EQ(teamRow(id).value("status").toInt(), TeamLate);

    SetTeamStatus(connection(), id, ChoiceIndex(NewTeamStatusChoices(), QStringLiteral("OK")));
    ASSERT_EQ(teamRow(id).value("status").toInt(), TeamOK);
    EXPECT_TRUE(RecalculateTeam(*data, std::make_shared<const EventSetup>(setup), messages, 12));
    EXPECT_EQ(teamRow(id).value("status").toInt(), TeamLate);
    EXPECT_EQ(teamRow(id).value("result").toInt(), -TeamLate);
    EXPECT_TRUE(messages.errors.isEmpty());
}

TEST_P(PunchCorrectionsFixture, RecalculationUsesTheCourseAsStoredNow)
{
    const qint64 id = team(12);
    const qint64 a = runner(id);
    punch(id, a, QStringLiteral("31"), QStringLiteral("11:00:00"));
    punch(id, a, QStringLiteral("F"), QStringLiteral("15:00:00"));
    control(QStringLiteral("31"), 30);
    control(QStringLiteral("F"), 0, QStringLiteral("F"));
    AddMissingControl(connection(), id, QStringLiteral("31"), QStringLiteral("45"), eventStart());
    control(QStringLiteral("45"), 40); // added after the punch: still counts
    EXPECT_TRUE(RecalculateTeam(*data, std::make_shared<const EventSetup>(setup), messages, 12));
    EXPECT_EQ(teamRow(id).value("points").toInt(), 70);
}

TEST_P(PunchCorrectionsFixture, ControlTextsAreMatchedExactlyNeverAsSql)
{
    const qint64 id = team(12);
    const qint64 a = runner(id);
    punch(id, a, QStringLiteral("31"), QStringLiteral("10:30:00"));
    punch(id, a, QStringLiteral("S"), QStringLiteral("10:00:00"));
    const qint64 other = team(13);
    punch(other, runner(other), QStringLiteral("31"), QStringLiteral("10:30:00"));

    for (const char *text : {"31 or 1=1", "31' OR '1'='1", "31\" OR 1=1 --", "KP", "31; DELETE FROM res_cp", "031", "31 "}) {
        const QString control = QString::fromLatin1(text);
        EXPECT_EQ(RemoveControl(connection(), id, control), control + QStringLiteral(" removed from team:12 #:0")) << text;
        EXPECT_EQ(ChangeControlStatus(connection(), id, control, 2),
                  QStringLiteral("Team:12 Change control:") + control + QStringLiteral(" status::DQ <<=")) << text;
        EXPECT_EQ(AddMissingControl(connection(), id, control, QStringLiteral("45"), eventStart()), NoResultRecordLine()) << text;
        EXPECT_EQ(punchCount(), 3) << text;
    }
    for (const QString &row : punchesAt(id, QStringLiteral("31")) + punchesAt(other, QStringLiteral("31")))
        EXPECT_TRUE(row.endsWith(QLatin1String(" 8 -"))) << row.toStdString();

    // A letter code is a text like any other: "S" selects the start punch and nothing else.
    EXPECT_EQ(RemoveControl(connection(), id, QStringLiteral("S")), QStringLiteral("S removed from team:12 #:1"));
    EXPECT_EQ(punchCount(), 2);
}

TEST_P(PunchCorrectionsFixture, ChoicesNotAllMadeChangeNothing)
{
    const qint64 id = team(12);
    const qint64 a = runner(id);
    punch(id, a, QStringLiteral("31"), QStringLiteral("10:30:00"));
    EXPECT_EQ(AddMissingControl(connection(), id, QString(), QStringLiteral("45"), eventStart()), QString());
    EXPECT_EQ(AddMissingControl(connection(), id, QStringLiteral("31"), QString(), eventStart()), QString());
    EXPECT_EQ(RemoveControl(connection(), id, QString()), QString());
    EXPECT_EQ(ChangeControlStatus(connection(), id, QStringLiteral("31"), -1), QString());
    EXPECT_EQ(ChangeControlStatus(connection(), id, QString(), 1), QString());
    EXPECT_EQ(SetTeamStatus(connection(), id, -1), QString());
    EXPECT_EQ(SetTeamStatus(connection(), id, 6), QString());
    EXPECT_EQ(punchesAt(id, QStringLiteral("31")), QStringList({QStringLiteral("%1 2026-06-13 10:30:00 8 -").arg(a)}));
    EXPECT_EQ(teamRow(id).value("status").toInt(), TeamNew);
    EXPECT_TRUE(teamRow(id).value("calctime").isNull());
}

TEST_P(PunchCorrectionsFixture, ACorrectionThatFailsHalfWayLeavesNoRows)
{
    const qint64 id = team(12);
    for (int i = 0; i < 3; ++i)
        runner(id);
    punch(id, 0, QStringLiteral("31"), QStringLiteral("10:30:00"));
    // The third insert of the correction fails, as a full disk would make it.
    refuseWrites(connection(), QStringLiteral("third_fails"), QStringLiteral("INSERT"), QStringLiteral("res_cp"),
                 QStringLiteral("(SELECT COUNT(*) FROM res_cp WHERE KP=NEW.KP) >= 2"), QStringLiteral("disk full"));
    const auto apply = [&](const Correction &correction) {
        SilentMessages quiet;
        return ApplyCorrection(*data, folderOf(dir), std::make_shared<const EventSetup>(setup), correction, false, quiet);
    };
    EXPECT_THROW(apply({.kind = CorrectionKind::AddControl, .teamId = id, .control = QStringLiteral("31"), .missing = QStringLiteral("45")}),
                 KorventError);
    EXPECT_TRUE(punchesAt(id, QStringLiteral("45")).isEmpty());
    EXPECT_TRUE(LoadCorrectionLog(folderOf(dir)).isEmpty());
    // The connection is free again for the next correction.
    EXPECT_EQ(apply({.kind = CorrectionKind::RemoveControl, .teamId = id, .control = QStringLiteral("31")}).line,
              QStringLiteral("31 removed from team:12 #:1"));
}

TEST_P(PunchCorrectionsFixture, ATeamGoneSinceItWasFoundIsAnError)
{
    const qint64 id = team(12);
    removeTeam(id);
    EXPECT_THROW(SetTeamStatus(connection(), id, 0), KorventError);
    EXPECT_THROW(RemoveControl(connection(), id, QStringLiteral("31")), KorventError);
}
