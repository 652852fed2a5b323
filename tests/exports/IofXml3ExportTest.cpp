#include "IofExportFixture.h"
#include "SettingsFileFailure.h"
#include "EventRows.h"
#include "TimeZoneScope.h"

#include "exports/IofFormats.h"

#include "base/KorventError.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace {

struct Xml3Export : IofExportFixture
{
    static XmlElement teamTotal(const XmlElement &teamResult)
    {
        return childrenNamed(teamResult, QStringLiteral("TeamMemberResult")).last();
    }
    static QStringList splitTexts(const XmlElement &teamResult)
    {
        QStringList texts;
        for (const XmlElement &split : childrenNamed(teamTotal(teamResult).child(QStringLiteral("Result")), QStringLiteral("SplitTime")))
            texts.append(split.child(QStringLiteral("ControlCode")).text() + u'|' + split.child(QStringLiteral("Time")).text() + u'|'
                         + split.attribute(QStringLiteral("status")));
        return texts;
    }
};

} // namespace

TEST_F(Xml3Export, EmptyClassTreeGivesResultListAndEventOnly)
{
    setup.classTree.clear();
    setup.settings.organiser = QStringLiteral("Rogaining Club");
    setup.settings.firstStart = std::chrono::hours(11) + std::chrono::minutes(30);
    setup.settings.eventDate = QDateTime(QDate(2026, 6, 13), QTime(0, 0));
    // A zone in summer time now, north or south, so the offset in force is not the standard one.
    const QByteArray north("Europe/Tallinn"), south("Australia/Sydney");
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QByteArray zone = QTimeZone(north).isDaylightTime(now) ? north : south;
    ASSERT_TRUE(QTimeZone(zone).isDaylightTime(now)) << zone.toStdString();
    const TimeZoneScope scope(zone);
    const XmlElement root = export3();

    const QByteArray written = bytes(IofExportFiles::xml3);
    const QRegularExpression head(QStringLiteral(
        "^<\\?xml version=\"1.0\" encoding=\"UTF-8\"\\?>\n<ResultList xmlns=\"http://www.orienteering.org/datastandard/3.0\" "
        "createTime=\"(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d)([+-]\\d\\d:\\d\\d)\" iofVersion=\"3.0\" creator=\"Korvent\" status=\"Complete\">"));
    const QRegularExpressionMatch match = head.match(QString::fromUtf8(written));
    ASSERT_TRUE(match.hasMatch()) << written.toStdString();
    const QDateTime created = QDateTime::fromString(match.captured(1), Qt::ISODate);
    const QTimeZone pinned(zone);
    EXPECT_EQ(match.captured(2), UtcOffsetText(pinned.offsetFromUtc(now)));
    EXPECT_NE(match.captured(2), UtcOffsetText(pinned.standardTimeOffset(now)));
    EXPECT_LT(qAbs(QDateTime(created.date(), created.time(), pinned).secsTo(now)), 60);

    EXPECT_EQ(childNames(root), QStringList({"Event"}));
    const XmlElement event = root.child(QStringLiteral("Event"));
    EXPECT_EQ(childNames(event), QStringList({"Name", "StartTime", "Form", "Organiser", "Race"}));
    EXPECT_EQ(node(event, QStringLiteral("Name")).text(), QStringLiteral("Night Rogaine"));
    EXPECT_EQ(node(event, QStringLiteral("StartTime/Date")).text(), QStringLiteral("2026-06-13"));
    EXPECT_EQ(node(event, QStringLiteral("StartTime/Time")).text(), QStringLiteral("11:30:00"));
    EXPECT_EQ(node(event, QStringLiteral("Form")).text(), QStringLiteral("Team"));
    EXPECT_EQ(node(event, QStringLiteral("Organiser/Name")).text(), QStringLiteral("Rogaining Club"));
    const XmlElement race = event.child(QStringLiteral("Race"));
    EXPECT_EQ(childNames(race), QStringList({"RaceNumber", "Name", "StartTime"}));
    EXPECT_EQ(node(race, QStringLiteral("RaceNumber")).text(), QStringLiteral("1"));
    EXPECT_EQ(node(race, QStringLiteral("Name")).text(), QStringLiteral("Night Rogaine"));
    EXPECT_EQ(node(race, QStringLiteral("StartTime/Date")).text(), QStringLiteral("2026-06-13"));
    EXPECT_EQ(node(race, QStringLiteral("StartTime/Time")).text(), QStringLiteral("11:30:00"));
    // Nothing else was written.
    EXPECT_EQ(names(), QStringList({"Rogain_iofXML3.xml"}));
}

TEST_F(Xml3Export, CourseSetterIsSplitAtTheFirstBlank)
{
    struct Case
    {
        const char *courseSetter;
        bool official;
        const char *family;
        const char *given;
    };
    const Case cases[] = {
        {"", false, "", ""},
        {"Tamm", true, "Tamm", ""},
        {"Mari Tamm", true, "Tamm", "Mari"},
        {"Mari Anne Tamm", true, "Anne Tamm", "Mari"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.courseSetter);
        setup.settings.courseSetter = QString::fromUtf8(c.courseSetter);
        const XmlElement race = node(export3(), QStringLiteral("Event/Race"));
        const XmlElement official = race.child(QStringLiteral("Official"));
        ASSERT_EQ(!official.isNull(), c.official);
        if (!c.official)
            continue;
        EXPECT_EQ(official.attribute(QStringLiteral("type")), QStringLiteral("CourseSetter"));
        EXPECT_EQ(node(official, QStringLiteral("Person/Name/Family")).text(), QString::fromUtf8(c.family));
        EXPECT_EQ(node(official, QStringLiteral("Person/Name/Given")).text(), QString::fromUtf8(c.given));
        EXPECT_EQ(childNames(node(official, QStringLiteral("Person/Name"))), QStringList({"Family", "Given"}));
    }
}

TEST_F(Xml3Export, ClassEntriesInTreeOrderWithOnlyCalculatedTeams)
{
    setup.classTree = {{QStringLiteral("H6<*>(10:00:00|006:00:00|00:30:00)"), 0},
                       {QStringLiteral("H6A"), 1},
                       {QStringLiteral("H6B"), 1},
                       {QStringLiteral("H12<*>(12:00:00|012:00:00|00:30:00)"), 0},
                       {QStringLiteral("H12S"), 1}};
    calculatedTeam(1, QStringLiteral("H6A"));
    calculatedTeam(2, QStringLiteral("H12S"));
    calculatedTeam(3, QStringLiteral("H6A"));
    team(4, QStringLiteral("H6B"));                // never calculated
    // Teams stand in sub-classes only: the main classes are no entries.
    const XmlElement subClassesOnly = export3();
    EXPECT_EQ(childNames(subClassesOnly), QStringList({"Event", "ClassResult", "ClassResult", "ClassResult"}));
    const QByteArray before = bytes(IofExportFiles::xml3);

    calculatedTeam(5, QStringLiteral("H6"));       // a team in a main class: the class is an entry under its name
    team(6, QStringLiteral("H12"));                // never calculated: its main class stays out
    const XmlElement root = export3();

    const QList<XmlElement> classes = childrenNamed(root, QStringLiteral("ClassResult"));
    EXPECT_EQ(childNames(root), QStringList({"Event", "ClassResult", "ClassResult", "ClassResult", "ClassResult"}));
    QStringList shape;
    for (const XmlElement &classResult : classes) {
        QString line = classResult.attribute(QStringLiteral("timeResolution")) + u'|' + node(classResult, QStringLiteral("Class/Name")).text();
        for (const XmlElement &teamResult : childrenNamed(classResult, QStringLiteral("TeamResult")))
            line += u'|' + teamResult.child(QStringLiteral("BibNumber")).text();
        shape.append(line);
    }
    EXPECT_EQ(shape, QStringList({"1|H6|5", "1|H6A|1|3", "1|H6B", "1|H12S|2"}));
    EXPECT_EQ(childNames(classes[2]), QStringList({"Class"}));
    // Apart from the new entry the file is as before (the creation time aside).
    const auto withoutTime = [](const QByteArray &bytes) {
        return QString::fromUtf8(bytes).remove(QRegularExpression(QStringLiteral("createTime=\"[^\"]*\"")));
    };
    QByteArray after = bytes(IofExportFiles::xml3);
    const qsizetype from = after.indexOf("<ClassResult");
    after.remove(from, after.indexOf("<ClassResult", from + 1) - from);
    EXPECT_EQ(withoutTime(after), withoutTime(before));
}

TEST_F(Xml3Export, TeamsWithOrganisationMembersAndTheTeamTotal)
{
    const qint64 id = calculatedTeam(7, QStringLiteral("H6A"),
                                     {{"name", "Kõrvemaa & Co"}, {"club", "Rogaining Club"}, {"country", "EST"},
                                      {"finis", at(QStringLiteral("15:55:10"))}, {"rtime", 21310}, {"points", 80},
                                      {"penalty", -60}, {"result", 20}, {"status", 1}});
    member(id, QStringLiteral("Tamm"), QStringLiteral("2001"), {{"sex", "M"}, {"country", "EST"}});
    member(id, QStringLiteral("Kask"), QString(), {{"sex", "m"}});
    member(id, QStringLiteral("Saar"), QStringLiteral("2003"), {{"sex", "F"}, {"country", "FIN"}});
    calculatedTeam(8, QStringLiteral("H6A"), {{"club", "Solo"}});
    calculatedTeam(9, QStringLiteral("H6A"), {{"country", "LAT"}});
    const QList<XmlElement> teams = teamResults(export3());
    ASSERT_EQ(teams.size(), 3);

    const XmlElement first = teams[0];
    EXPECT_EQ(childNames(first), QStringList({"Name", "Organisation", "BibNumber", "TeamMemberResult", "TeamMemberResult", "TeamMemberResult",
                                              "TeamMemberResult"}));
    EXPECT_EQ(first.child(QStringLiteral("Name")).text(), QStringLiteral("Kõrvemaa & Co"));
    const XmlElement organisation = first.child(QStringLiteral("Organisation"));
    EXPECT_EQ(organisation.attribute(QStringLiteral("type")), QStringLiteral("Club"));
    EXPECT_EQ(childNames(organisation), QStringList({"Name", "Country"}));
    EXPECT_EQ(organisation.child(QStringLiteral("Name")).text(), QStringLiteral("Rogaining Club"));
    EXPECT_EQ(organisation.child(QStringLiteral("Country")).attribute(QStringLiteral("code")), QStringLiteral("EST"));
    EXPECT_TRUE(organisation.child(QStringLiteral("Country")).text().isEmpty());
    EXPECT_EQ(first.child(QStringLiteral("BibNumber")).text(), QStringLiteral("7"));

    const QList<XmlElement> members = childrenNamed(first, QStringLiteral("TeamMemberResult"));
    QStringList people;
    for (const XmlElement &member : members) {
        const XmlElement person = member.child(QStringLiteral("Person"));
        people.append(person.attribute(QStringLiteral("sex")) + u'|' + node(person, QStringLiteral("Name/Family")).text() + u'|'
                      + node(person, QStringLiteral("Name/Given")).text() + u'|' + person.child(QStringLiteral("Nationality")).attribute(QStringLiteral("code")));
    }
    // "m" typed in lower case is a man all the same.
    EXPECT_EQ(people, QStringList({"M|Tamm|Given Tamm|EST", "M|Kask|Given Kask|", "F|Saar|Given Saar|FIN", "|TEAMTOTAL||"}));
    EXPECT_EQ(childNames(members[1].child(QStringLiteral("Person"))), QStringList({"Name"}));
    EXPECT_EQ(childNames(members[0]), QStringList({"Person"}));

    const XmlElement result = teamTotal(first).child(QStringLiteral("Result"));
    EXPECT_EQ(childNames(result), QStringList({"StartTime", "FinishTime", "Time", "Status", "Score", "Score", "Score", "ControlCard"}));
    EXPECT_EQ(result.child(QStringLiteral("StartTime")).text(), QStringLiteral("2026-06-13T10:00:00"));
    EXPECT_EQ(result.child(QStringLiteral("FinishTime")).text(), QStringLiteral("2026-06-13T15:55:10"));
    EXPECT_EQ(result.child(QStringLiteral("Time")).text(), QStringLiteral("21310"));
    EXPECT_EQ(result.child(QStringLiteral("Status")).text(), QStringLiteral("OK"));
    QStringList scores;
    for (const XmlElement &score : childrenNamed(result, QStringLiteral("Score")))
        scores.append(score.attribute(QStringLiteral("type")) + u'=' + score.text());
    EXPECT_EQ(scores, QStringList({"Points=80", "PenaltyPoints=-60", "TotalPoints=20"}));
    // The card is the last runner's; no punches, so no splits.
    EXPECT_EQ(result.child(QStringLiteral("ControlCard")).text(), QStringLiteral("2003"));
    EXPECT_EQ(result.child(QStringLiteral("ControlCard")).attribute(QStringLiteral("punchingSystem")), QStringLiteral("SI"));

    // Club alone, country alone.
    EXPECT_EQ(childNames(teams[1].child(QStringLiteral("Organisation"))), QStringList({"Name"}));
    EXPECT_EQ(teams[1].child(QStringLiteral("Organisation")).attribute(QStringLiteral("type")), QStringLiteral("Club"));
    // A country without a club keeps the name the list requires, empty.
    EXPECT_EQ(childNames(teams[2].child(QStringLiteral("Organisation"))), QStringList({"Name", "Country"}));
    EXPECT_TRUE(node(teams[2], QStringLiteral("Organisation/Name")).text().isEmpty());
    EXPECT_TRUE(teams[2].child(QStringLiteral("Organisation")).attribute(QStringLiteral("type")).isEmpty());
}

TEST_F(Xml3Export, PenaltyZeroWritesNoPenaltyScore)
{
    calculatedTeam(1, QStringLiteral("H6A"), {{"points", 50}, {"penalty", 0}, {"result", 50}});
    calculatedTeam(2, QStringLiteral("H6A"), {{"points", 50}, {"penalty", -5}, {"result", 45}});
    calculatedTeam(3, QStringLiteral("H6A"), {{"points", 50}, {"penalty", 7}, {"result", 57}});
    QStringList scores;
    for (const XmlElement &teamResult : teamResults(export3())) {
        QStringList types;
        for (const XmlElement &score : childrenNamed(teamTotal(teamResult).child(QStringLiteral("Result")), QStringLiteral("Score")))
            types.append(score.attribute(QStringLiteral("type")) + u'=' + score.text());
        scores.append(types.join(u' '));
    }
    EXPECT_EQ(scores, QStringList({"Points=50 TotalPoints=50", "Points=50 PenaltyPoints=-5 TotalPoints=45",
                                   "Points=50 PenaltyPoints=7 TotalPoints=57"}));
}

TEST_F(Xml3Export, EveryTeamStatusGivesItsWord)
{
    for (int status = 1; status <= 9; ++status)
        calculatedTeam(status, QStringLiteral("H6A"), {{"status", status}, {"result", -status}});
    QStringList words;
    for (const XmlElement &teamResult : teamResults(export3()))
        words.append(node(teamTotal(teamResult), QStringLiteral("Result/Status")).text());
    EXPECT_EQ(words, QStringList({"OK", "OverTime", "NotCompeting", "DidNotFinish", "Disqualified", "DidNotStart", "Finished", "Active",
                                  "Inactive"}));
}

TEST_F(Xml3Export, AStatusWithoutAWordIsNoResultYet)
{
    // Such a team status only comes from hand editing or older programs; the schema admits no empty status.
    for (const int status : {0, 10, -3})
        calculatedTeam(20 + status, QStringLiteral("H6A"), {{"status", status}});
    for (const XmlElement &team : teamResults(export3()))
        EXPECT_EQ(node(teamTotal(team), QStringLiteral("Result/Status")).text(), QStringLiteral("Inactive"));
}

TEST_F(Xml3Export, RunnersEnteredAsWomenAreFemale)
{
    const qint64 id = calculatedTeam(1);
    const struct { const char *entered; const char *written; } cases[] = {
        {"M", "M"}, {"W", "F"}, {"F", "F"}, {"m", "M"}, {"w", "F"}, {"f", "F"}, {" W", "F"}, {"M ", "M"},
        {"N", ""}, {"", ""}, {"WM", ""},
    };
    for (const auto &c : cases)
        member(id, QString::fromLatin1(c.entered), QString(), {{"sex", c.entered}});
    const QList<XmlElement> members = childrenNamed(teamResults(export3()).first(), QStringLiteral("TeamMemberResult"));
    ASSERT_EQ(members.size(), std::size(cases) + 1);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(members[qsizetype(i)].child(QStringLiteral("Person")).attribute(QStringLiteral("sex")), QLatin1String(cases[i].written))
            << cases[i].entered;
}

TEST_F(Xml3Export, SplitsFollowThePunchListStatuses)
{
    teamWithEveryPunchKind();
    const XmlElement teamResult = teamResults(export3()).first();
    EXPECT_EQ(splitTexts(teamResult), QStringList({"31|1820|OK", "45||Missing", "52|5400|Additional", "60|7210|OK", "60||", "70||OK", "80||"}));
    // The finish is never a split; the card comes after the splits.
    const XmlElement result = teamTotal(teamResult).child(QStringLiteral("Result"));
    EXPECT_EQ(childNames(result).last(), QStringLiteral("ControlCard"));
    EXPECT_EQ(result.child(QStringLiteral("ControlCard")).text(), QStringLiteral("102"));
    EXPECT_EQ(childNames(childrenNamed(result, QStringLiteral("SplitTime"))[1]), QStringList({"ControlCode"}));
}

TEST_F(Xml3Export, TeamWithoutRunnersGetsOnlyTheTotalMember)
{
    const qint64 id = calculatedTeam(1);
    punch(id, 0, QStringLiteral("31"), QStringLiteral("10:30:00"));
    punch(id, 0, QStringLiteral("F"), QStringLiteral("12:00:00"));
    const XmlElement teamResult = teamResults(export3()).first();
    EXPECT_EQ(childNames(teamResult), QStringList({"Name", "BibNumber", "TeamMemberResult"}));
    EXPECT_EQ(childNames(teamTotal(teamResult).child(QStringLiteral("Result"))),
              QStringList({"StartTime", "FinishTime", "Time", "Status", "Score", "Score"}));
}

TEST_F(Xml3Export, AnInvalidPunchListNeverLeaksThePreviousTeamsSplits)
{
    const qint64 first = calculatedTeam(1);
    finishedMember(first, QStringLiteral("A"), QStringLiteral("101"));
    const qint64 second = calculatedTeam(2);
    const qint64 b = member(second, QStringLiteral("B"), QStringLiteral("202"));
    punch(second, b, QStringLiteral("45"), QStringLiteral("11:00:00")); // one entry: no valid list
    const qint64 third = calculatedTeam(3);
    member(third, QStringLiteral("C"), QStringLiteral("303"));          // no punches at all

    const QList<XmlElement> teams = teamResults(export3());
    ASSERT_EQ(teams.size(), 3);
    EXPECT_EQ(splitTexts(teams[0]), QStringList({"31|1800|OK"}));
    for (int i : {1, 2}) {
        const XmlElement result = teamTotal(teams[i]).child(QStringLiteral("Result"));
        EXPECT_TRUE(splitTexts(teams[i]).isEmpty());
        EXPECT_EQ(result.child(QStringLiteral("ControlCard")).text(), i == 1 ? QStringLiteral("202") : QStringLiteral("303"));
    }
}

TEST_F(Xml3Export, ALastRunnerWithoutChipGetsNoSplitsNorCard)
{
    const qint64 id = calculatedTeam(1);
    finishedMember(id, QStringLiteral("A"), QStringLiteral("101"));
    member(id, QStringLiteral("B"));
    const XmlElement result = teamTotal(teamResults(export3()).first()).child(QStringLiteral("Result"));
    EXPECT_TRUE(childrenNamed(result, QStringLiteral("SplitTime")).isEmpty());
    EXPECT_TRUE(result.child(QStringLiteral("ControlCard")).isNull());
}

TEST_F(Xml3Export, AnEmptyStartGivesTheZeroDateTimeAndZeroSplitTimes)
{
    const qint64 id = team(1, QStringLiteral("H6A"));
    updateRow(*data, QStringLiteral("team"), id, {{"calctime", at(QStringLiteral("17:00:00"))}, {"status", 7}});
    const qint64 a = member(id, QStringLiteral("A"), QStringLiteral("101"));
    punch(id, a, QStringLiteral("31"), QStringLiteral("10:30:00"));
    punch(id, a, QStringLiteral("45"), QStringLiteral("11:00:00"));
    const XmlElement teamResult = teamResults(export3()).first();
    const XmlElement result = teamTotal(teamResult).child(QStringLiteral("Result"));
    EXPECT_EQ(result.child(QStringLiteral("StartTime")).text(), QStringLiteral("1899-12-30T00:00:00"));
    EXPECT_EQ(result.child(QStringLiteral("FinishTime")).text(), QStringLiteral("1899-12-30T00:00:00"));
    EXPECT_EQ(result.child(QStringLiteral("Time")).text(), QStringLiteral("0"));
    EXPECT_EQ(splitTexts(teamResult), QStringList({"31|0|OK", "45|0|OK"}));
}

TEST_F(Xml3Export, TeamsSharingANumberNeverGetEachOthersSplits)
{
    const qint64 first = calculatedTeam(5);
    finishedMember(first, QStringLiteral("A"), QStringLiteral("101"));
    const qint64 second = calculatedTeam(5);
    member(second, QStringLiteral("B"), QStringLiteral("202"));
    const QList<XmlElement> teams = teamResults(export3());
    ASSERT_EQ(teams.size(), 2);
    EXPECT_EQ(splitTexts(teams[0]), QStringList({"31|1800|OK"}));
    EXPECT_TRUE(splitTexts(teams[1]).isEmpty());
    EXPECT_EQ(node(teamTotal(teams[1]), QStringLiteral("Result/ControlCard")).text(), QStringLiteral("202"));
    ASSERT_EQ(messages.warnings.size(), 1);
    EXPECT_TRUE(messages.warnings.first().contains(QStringLiteral("Team 5"))) << messages.warnings.first().toStdString();
}

TEST_F(Xml3Export, ATeamWithoutNumberGetsNoSplitsAndNoWordOfSharingOne)
{
    // A number-0 team besides: the team without number must not be taken for it.
    for (const bool withNumberZero : {false, true}) {
        SCOPED_TRACE(withNumberZero);
        data->connection().exec(QStringLiteral("DELETE FROM team"));
        messages.warnings.clear();
        if (withNumberZero)
            calculatedTeam(0);
        const qint64 id = calculatedTeam(1, QStringLiteral("H6A"), {{"number", QVariant()}});
        finishedMember(id, QStringLiteral("A"), QStringLiteral("101"));
        const XmlElement teamResult = teamResults(export3()).last();
        EXPECT_EQ(teamResult.child(QStringLiteral("BibNumber")).text(), QStringLiteral("0"));
        EXPECT_TRUE(splitTexts(teamResult).isEmpty());
        EXPECT_EQ(node(teamTotal(teamResult), QStringLiteral("Result/ControlCard")).text(), QStringLiteral("101"));
        EXPECT_TRUE(messages.warnings.isEmpty()) << messages.warnings.join(u'\n').toStdString();
    }
}

TEST_F(Xml3Export, AFirstStartTimeThatIsNoTimeOfDayWritesNothing)
{
    // The start time field takes hours up to 99; the schema takes times of day
    // only, and a text that does not read is never written as midnight.
    QTemporaryDir dir;
    for (const char *time : {"25:00:00", "24:00:00", "99:59:59", "10h00"}) {
        const QString failure = settingsFileFailure(folderOf(dir), "meEventStartTime", QLatin1String(time));
        EXPECT_TRUE(failure.startsWith(QStringLiteral("First starttime (meEventStartTime): \"%1\" is not").arg(QLatin1String(time)))) << failure.toStdString();
        setup.settings = EventSettings::load(folderOf(dir));
        try {
            ExportIofXml3(context(), true);
            ADD_FAILURE() << time;
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), EventSettings::fileName(folderOf(dir)) + QStringLiteral(": ") + failure);
        }
    }
    EXPECT_TRUE(output.files().isEmpty());
}

TEST_F(Xml3Export, ARichEventValidatesAgainstTheOfficialSchema)
{
    const QString unavailable = iofSchemaUnavailable();
    if (!unavailable.isEmpty())
        GTEST_SKIP() << unavailable.toStdString();
    // The check bites: a document the schema does not admit is refused.
    EXPECT_TRUE(iofSchemaErrors("<ResultList xmlns=\"http://www.orienteering.org/datastandard/3.0\"><Nonsense/></ResultList>").has_value());

    setup.settings.organiser = QStringLiteral("Rogaining Club");
    setup.settings.courseSetter = QStringLiteral("Mari Anne Tamm");
    setup.settings.controlCard = EventSettings::CardPerRunner;
    setup.settings.punchWindowSeconds = 60;
    setup.classTree.push_back({QStringLiteral("H6B"), 1});
    const qint64 id = calculatedTeam(1, QStringLiteral("H6A"),
                                     {{"name", "Łódź ☃ & <Co>"}, {"club", "Club"}, {"country", "EST"}, {"finis", at(QStringLiteral("16:05:10"))},
                                      {"points", 80}, {"penalty", -60}, {"result", 20}, {"rtime", 21910}});
    const qint64 a = member(id, QStringLiteral("A"), QStringLiteral("101"), {{"sex", "M"}, {"country", "EST"}});
    const qint64 b = member(id, QStringLiteral("B"), QStringLiteral("102"), {{"sex", "F"}});
    visit(id, a, b, QStringLiteral("31"), QStringLiteral("10:30:00"), QStringLiteral("10:30:20"));
    visit(id, a, b, QStringLiteral("45"), QStringLiteral("11:00:00"), QStringLiteral("11:02:00"));
    punch(id, a, QStringLiteral("52"), QStringLiteral("11:30:00"));
    visit(id, a, b, QStringLiteral("60"), QStringLiteral("12:00:00"), QStringLiteral("12:00:10"));
    visit(id, a, b, QStringLiteral("60"), QStringLiteral("12:10:00"), QStringLiteral("12:10:10"));
    visit(id, a, b, QStringLiteral("F"), QStringLiteral("16:05:00"), QStringLiteral("16:05:10"));
    calculatedTeam(2, QStringLiteral("H6A"), {{"club", "Solo"}, {"status", 2}, {"result", -2}});
    const qint64 empty = team(3, QStringLiteral("H6A"));
    updateRow(*data, QStringLiteral("team"), empty, {{"calctime", at(QStringLiteral("17:00:00"))}, {"status", 9}});
    member(empty, QStringLiteral("C"), QStringLiteral("303"), {{"sex", "m"}});

    ExportIofXml3(context(), false);
    const QByteArray written = bytes(IofExportFiles::xml3);
    const std::optional<QString> errors = iofSchemaErrors(written);
    EXPECT_FALSE(errors.has_value()) << errors.value_or(QString()).toStdString() << written.toStdString();
}
