#include "IofExportFixture.h"

#include "base/VersionText.h"
#include "store/TimeHelpers.h"

namespace {

struct Xml2Export : IofExportFixture
{
    static QList<XmlElement> courses(const XmlElement &root)
    {
        return childrenNamed(root.child(QStringLiteral("CourseData")), QStringLiteral("Course"));
    }
    QString clock(const QString &time) const { return DateTimeText(false, at(time)); }
};

} // namespace

TEST_F(Xml2Export, DocumentShapeWithOneCoursePerTeamBeforeTheClasses)
{
    setup.classTree.push_back({QStringLiteral("H6B"), 1});
    calculatedTeam(1, QStringLiteral("H6A"));
    calculatedTeam(2, QStringLiteral("H6B"));
    calculatedTeam(3, QStringLiteral("H6A"));
    const XmlElement root = export2();

    const QByteArray written = bytes(IofExportFiles::xml2);
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<ResultList status=\"complete\" rlType=\"EOL\" producer=\"KVT\" version=\""
        + VersionText(ProgramVersion(), false, u'.').toLatin1() + "\">";
    EXPECT_TRUE(written.startsWith(head)) << written.toStdString();
    EXPECT_EQ(written.count("<?xml"), 1);

    EXPECT_EQ(childNames(root), QStringList({"IOFVersion", "Event", "CourseData", "ClassResult", "ClassResult"}));
    EXPECT_EQ(root.child(QStringLiteral("IOFVersion")).attribute(QStringLiteral("version")), QStringLiteral("2.0.3"));
    const XmlElement event = root.child(QStringLiteral("Event"));
    EXPECT_EQ(event.attribute(QStringLiteral("eventForm")), QStringLiteral("Rogain"));
    EXPECT_EQ(childNames(event), QStringList({"EventId", "Name", "EventClassificationId", "StartDate"}));
    EXPECT_TRUE(event.child(QStringLiteral("EventId")).text().isEmpty());
    EXPECT_EQ(event.child(QStringLiteral("Name")).text(), QStringLiteral("Night Rogaine"));
    EXPECT_EQ(node(event, QStringLiteral("StartDate/Date")).text(), QStringLiteral("2026-06-13"));

    // Courses in export order: the classes' order, then the teams'.
    QStringList courseShape;
    for (const XmlElement &course : courses(root)) {
        EXPECT_EQ(childNames(course), QStringList({"CourseName", "ClassShortName", "CourseVariation"}));
        const XmlElement variation = course.child(QStringLiteral("CourseVariation"));
        EXPECT_EQ(childNames(variation), QStringList({"CourseVariationId", "StartPoint", "FinishPoint"}));
        courseShape.append(course.child(QStringLiteral("CourseName")).text() + u'|' + course.child(QStringLiteral("ClassShortName")).text() + u'|'
                           + variation.child(QStringLiteral("CourseVariationId")).text() + u'|'
                           + node(variation, QStringLiteral("StartPoint/StartPointCode")).text() + u'|'
                           + node(variation, QStringLiteral("FinishPoint/FinishPointCode")).text());
    }
    EXPECT_EQ(courseShape, QStringList({"1|H6A|1|S|F", "3|H6A|3|S|F", "2|H6B|2|S|F"}));
    const QList<XmlElement> classes = childrenNamed(root, QStringLiteral("ClassResult"));
    EXPECT_EQ(classes[0].child(QStringLiteral("ClassShortName")).text(), QStringLiteral("H6A"));
    EXPECT_EQ(childNames(classes[0]), QStringList({"ClassShortName", "TeamResult", "TeamResult"}));
    EXPECT_EQ(childNames(classes[1]), QStringList({"ClassShortName", "TeamResult"}));
}

TEST_F(Xml2Export, TeamsOfAMainClassUnderItsName)
{
    // The generated demo event puts every team in the main class.
    calculatedTeam(1, QStringLiteral("H6"), {{"name", "Öökullid"}});
    calculatedTeam(2, QStringLiteral("H6A"));
    const XmlElement root = export2();

    EXPECT_EQ(childNames(root), QStringList({"IOFVersion", "Event", "CourseData", "ClassResult", "ClassResult"}));
    QStringList shape;
    for (const XmlElement &classResult : childrenNamed(root, QStringLiteral("ClassResult"))) {
        QString line = classResult.child(QStringLiteral("ClassShortName")).text();
        for (const XmlElement &teamResult : childrenNamed(classResult, QStringLiteral("TeamResult")))
            line += u'|' + teamResult.child(QStringLiteral("TeamName")).text();
        shape.append(line);
    }
    EXPECT_EQ(shape, QStringList({"H6|Öökullid", "H6A|Team 2"}));
    EXPECT_EQ(node(courses(root).first(), QStringLiteral("ClassShortName")).text(), QStringLiteral("H6"));
}

TEST_F(Xml2Export, AnEmptyClassTreeStillHasTheCourseData)
{
    setup.classTree.clear();
    EXPECT_EQ(childNames(export2()), QStringList({"IOFVersion", "Event", "CourseData"}));
}

TEST_F(Xml2Export, TeamResultWithPersonsClubsAndTimesInTheRegionalFormats)
{
    const qint64 id = calculatedTeam(7, QStringLiteral("H6A"),
                                     {{"name", "Kõrvemaa"}, {"country", "EST"}, {"finis", at(QStringLiteral("15:55:10"))},
                                      {"rtime", 21310}, {"status", 2}, {"result", -2}});
    member(id, QStringLiteral("Tamm"), QString(), {{"club", "RC"}});
    member(id, QStringLiteral("Kask"));
    calculatedTeam(8, QStringLiteral("H6A"), {{"status", 0}});
    const QList<XmlElement> teams = teamResults(export2());
    ASSERT_EQ(teams.size(), 2);

    const XmlElement first = teams[0];
    EXPECT_EQ(childNames(first), QStringList({"TeamName", "Country", "Person", "Club", "Person", "Club", "Result"}));
    EXPECT_EQ(first.child(QStringLiteral("TeamName")).text(), QStringLiteral("Kõrvemaa"));
    EXPECT_EQ(first.child(QStringLiteral("Country")).text(), QStringLiteral("EST"));
    const QList<XmlElement> persons = childrenNamed(first, QStringLiteral("Person"));
    EXPECT_EQ(childNames(persons[0]), QStringList({"PersonName"}));
    EXPECT_EQ(childNames(persons[0].child(QStringLiteral("PersonName"))), QStringList({"Family", "Given"}));
    EXPECT_EQ(node(persons[0], QStringLiteral("PersonName/Family")).text(), QStringLiteral("Tamm"));
    EXPECT_EQ(node(persons[0], QStringLiteral("PersonName/Given")).text(), QStringLiteral("Given Tamm"));
    const QList<XmlElement> clubs = childrenNamed(first, QStringLiteral("Club"));
    EXPECT_EQ(node(clubs[0], QStringLiteral("ShortName")).text(), QStringLiteral("RC"));
    EXPECT_TRUE(clubs[1].children().isEmpty());

    const XmlElement result = first.child(QStringLiteral("Result"));
    EXPECT_EQ(childNames(result),
              QStringList({"StartNumber", "StartTime", "FinishTime", "Time", "CompetitorStatus", "CourseVariationId", "Point"}));
    EXPECT_EQ(result.child(QStringLiteral("StartNumber")).text(), QStringLiteral("7"));
    EXPECT_EQ(node(result, QStringLiteral("StartTime/Clock")).text(), clock(QStringLiteral("10:00:00")));
    EXPECT_EQ(node(result, QStringLiteral("StartTime/Date")).text(), DateText(at(QStringLiteral("10:00:00"))));
    EXPECT_EQ(node(result, QStringLiteral("FinishTime/Clock")).text(), clock(QStringLiteral("15:55:10")));
    EXPECT_EQ(node(result, QStringLiteral("FinishTime/Date")).text(), DateText(at(QStringLiteral("15:55:10"))));
    EXPECT_EQ(result.child(QStringLiteral("Time")).text(), QStringLiteral("5:55:10"));
    EXPECT_EQ(result.child(QStringLiteral("CompetitorStatus")).attribute(QStringLiteral("value")), QStringLiteral("OverTime"));
    EXPECT_EQ(result.child(QStringLiteral("CourseVariationId")).text(), QStringLiteral("7"));
    EXPECT_TRUE(bytes(IofExportFiles::xml2).contains("<Point type=\"total\" value=\"-2\"/>"));

    // A status without a word, an empty country, no runners.
    EXPECT_EQ(childNames(teams[1]), QStringList({"TeamName", "Country", "Result"}));
    EXPECT_TRUE(teams[1].child(QStringLiteral("Country")).text().isEmpty());
    const XmlElement status = node(teams[1], QStringLiteral("Result/CompetitorStatus"));
    EXPECT_FALSE(status.isNull());
    EXPECT_TRUE(status.attribute(QStringLiteral("value")).isEmpty());
    EXPECT_TRUE(bytes(IofExportFiles::xml2).contains("<CompetitorStatus value=\"\"/>"));
}

TEST_F(Xml2Export, SplitsAndCourseControlsNumberedByTheirListPosition)
{
    const CardTeam team = teamWithEveryPunchKind();
    // After the finish.
    visit(team.id, team.first, team.second, QStringLiteral("90"), QStringLiteral("16:30:00"), QStringLiteral("16:30:10"));

    const XmlElement root = export2();
    const XmlElement result = teamResults(root).first().child(QStringLiteral("Result"));
    QStringList splits;
    for (const XmlElement &split : childrenNamed(result, QStringLiteral("SplitTime"))) {
        EXPECT_EQ(childNames(split), QStringList({"ControlCode", "Clock", "Date", "Time"}));
        splits.append(split.attribute(QStringLiteral("sequence")) + u'|' + split.child(QStringLiteral("ControlCode")).text() + u'|'
                      + split.attribute(QStringLiteral("status")) + u'|' + split.child(QStringLiteral("Time")).text());
    }
    // The finish is the eighth entry: its number is skipped.
    EXPECT_EQ(splits, QStringList({"1|31|OK|0:30:20", "2|45|MP|1:02:00", "3|52|MP|1:30:00", "4|60|OK|2:00:10", "5|60|MP|2:10:10",
                                   "6|70|OK|3:00:00", "7|80|MP|3:30:00", "9|90|OK|6:30:10"}));
    const XmlElement second = childrenNamed(result, QStringLiteral("SplitTime"))[1];
    EXPECT_EQ(second.child(QStringLiteral("Clock")).text(), clock(QStringLiteral("11:02:00")));
    EXPECT_EQ(second.child(QStringLiteral("Date")).text(), DateText(at(QStringLiteral("11:02:00"))));
    EXPECT_TRUE(bytes(IofExportFiles::xml2).contains("<SplitTime sequence=\"1\" status=\"OK\">"));
    EXPECT_EQ(childNames(result).last(), QStringLiteral("Point"));

    const XmlElement variation = courses(root).first().child(QStringLiteral("CourseVariation"));
    QStringList controls;
    for (const XmlElement &control : childrenNamed(variation, QStringLiteral("CourseControl")))
        controls.append(control.child(QStringLiteral("Sequence")).text() + u'|' + control.child(QStringLiteral("ControlCode")).text());
    EXPECT_EQ(controls, QStringList({"1|31", "2|45", "3|52", "4|60", "5|60", "6|70", "7|80", "9|90"}));
    EXPECT_EQ(childNames(variation).first(), QStringLiteral("CourseVariationId"));
    EXPECT_EQ(childNames(variation)[1], QStringLiteral("StartPoint"));
    EXPECT_EQ(childNames(variation).last(), QStringLiteral("FinishPoint"));
}

TEST_F(Xml2Export, AnInvalidPunchListGivesNeitherSplitsNorCourseControls)
{
    const qint64 first = calculatedTeam(1);
    finishedMember(first, QStringLiteral("A"), QStringLiteral("101"));
    const qint64 second = calculatedTeam(2);
    const qint64 b = member(second, QStringLiteral("B"), QStringLiteral("202"));
    punch(second, b, QStringLiteral("45"), QStringLiteral("11:00:00"));
    const XmlElement root = export2();
    const XmlElement result = teamResults(root)[1].child(QStringLiteral("Result"));
    EXPECT_TRUE(childrenNamed(result, QStringLiteral("SplitTime")).isEmpty());
    EXPECT_FALSE(result.child(QStringLiteral("Point")).isNull());
    EXPECT_EQ(childNames(courses(root)[1].child(QStringLiteral("CourseVariation"))),
              QStringList({"CourseVariationId", "StartPoint", "FinishPoint"}));
    EXPECT_EQ(childrenNamed(teamResults(root)[0].child(QStringLiteral("Result")), QStringLiteral("SplitTime")).size(), 1);
}

TEST_F(Xml2Export, AFinishOnTheNextDayGetsTheLaterDate)
{
    const SerialDateTime nextDay = at(QStringLiteral("01:30:00")) + 1;
    calculatedTeam(1, QStringLiteral("H6A"), {{"start", at(QStringLiteral("22:00:00"))}, {"finis", nextDay}, {"rtime", 12600}});
    const XmlElement result = teamResults(export2()).first().child(QStringLiteral("Result"));
    EXPECT_EQ(node(result, QStringLiteral("FinishTime/Date")).text(), DateText(nextDay));
    EXPECT_NE(node(result, QStringLiteral("FinishTime/Date")).text(), node(result, QStringLiteral("StartTime/Date")).text());
    EXPECT_EQ(node(result, QStringLiteral("FinishTime/Clock")).text(), DateTimeText(false, nextDay));
    EXPECT_EQ(result.child(QStringLiteral("Time")).text(), QStringLiteral("3:30:00"));
}

TEST_F(Xml2Export, NamesBeyondLatin1SurviveAsCharacterReferences)
{
    const qint64 id = calculatedTeam(1, QStringLiteral("H6A"), {{"name", "Łódź ☃ Äär"}});
    member(id, QStringLiteral("Şahin"));
    const XmlElement root = export2();
    const QByteArray written = bytes(IofExportFiles::xml2);
    EXPECT_TRUE(written.contains("<TeamName>&#321;\xF3\x64&#378; &#9731; \xC4\xE4r</TeamName>")) << written.toStdString();
    EXPECT_TRUE(written.contains("<Family>&#350;ahin</Family>"));
    EXPECT_FALSE(written.contains("?</TeamName>"));
    EXPECT_EQ(teamResults(root).first().child(QStringLiteral("TeamName")).text(), QStringLiteral("Łódź ☃ Äär"));
}
