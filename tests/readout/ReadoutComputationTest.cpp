// Working out a readout from a course held in memory: no database involved.

#include "readout/ReadoutComputation.h"

#include "base/KorventError.h"
#include "store/EventSettings.h"
#include "store/StatusTexts.h"

#include <gtest/gtest.h>

namespace {

TControlPoint control(qint64 unitNumber, const char *code, qint64 x, qint64 y, qint64 points)
{
    TControlPoint control;
    control.unitNumber = unitNumber;
    control.code = QString::fromLatin1(code);
    control.punchCode = control.code;
    control.x = x;
    control.y = y;
    control.points = points;
    return control;
}

struct ComputationFixture : ::testing::Test
{
    std::vector<TControlPoint> controls;
    ExtraPointRules extraPoints;
    ClassTable classes;
    EventSetup loaded; // the setup as the worker took it on "si"
    EventSettings settings;

    void SetUp() override
    {
        loaded.settings.eventDate = QDateTime(QDate(2026, 6, 13), QTime(0, 0));
        loaded.settings.penaltyPoints = -1;
        loaded.settings.penaltySpanSeconds = 60;
        controls = {control(1, "S", 0, 0, 0), control(2, "F", 0, 1000, 0), control(31, "31", 1000, 0, 3), control(45, "45", 1000, 1000, 4)};
        TClassInfo a;
        a.name = QStringLiteral("A");
        a.start = 4'320'000;       // 12:00:00
        a.maximumTime = 1'080'000; // 3 hours
        a.penaltyTime = 180'000;
        TClassInfo b = a;
        b.name = QStringLiteral("B");
        b.start = -1;
        classes = {a, b};
    }

    ComputedReadout compute(const QString &record, const QString &teamClass = QStringLiteral("A"))
    {
        const CourseCopy copy{std::make_shared<const CourseDefinition>(controls, extraPoints, classes, MapPoint{0, 0}, MapPoint{0, 1000}),
                              std::make_shared<const EventSetup>(loaded)};
        return ComputeReadout(*ParseReadoutRecord(record), teamClass, copy, settings);
    }

    static QStringList rows(const ComputedReadout &computed)
    {
        QStringList result;
        for (const ReadoutRow &row : computed.rows)
            result.append(QStringLiteral("%1 %2 %3 %4").arg(row.kp).arg(row.status).arg(DateTime::toStorageText(row.time)).arg(row.count));
        return result;
    }
};

} // namespace

TEST_F(ComputationFixture, TheExampleReadout)
{
    const ComputedReadout computed = compute(QStringLiteral("8001234;0;0;5430000;8;3;31;43800;45;45600;31;46200"));
    EXPECT_TRUE(computed.refusal.isEmpty());
    EXPECT_TRUE(computed.replacesEarlierRows);
    EXPECT_EQ(rows(computed), QStringList({"31 8 2026-06-13 12:10:00 3", "45 8 2026-06-13 12:40:00 4",
                                           "31 8 2026-06-13 12:50:00 3", "F 8 2026-06-13 15:05:00 0"}));
    EXPECT_EQ(computed.start, 4'320'000);
    EXPECT_EQ(computed.finish, 5'430'000);
    EXPECT_EQ(computed.runningTime, 1'110'000);
    EXPECT_EQ(computed.points, 7 - 6);
    ASSERT_EQ(computed.punches.size(), 3u);
    EXPECT_EQ(computed.punches[2].code, 31);
    EXPECT_EQ(computed.punches[2].time, 4'620'000);
    EXPECT_EQ(computed.punches[2].flag, 4);
}

TEST_F(ComputationFixture, ExtraPointsDistancesAndMultiReadout)
{
    extraPoints = ExtraPointRules({{QStringLiteral("31>45"), 10}});
    settings.replyDistances = true;
    settings.mapScale = 10000;
    settings.multiReadout = true;
    const ComputedReadout computed = compute(QStringLiteral("8001234;0;0;-1;8;2;31;43800;45;45600"));
    EXPECT_FALSE(computed.replacesEarlierRows);
    EXPECT_EQ(rows(computed), QStringList({"31 8 2026-06-13 12:10:00 3", "45 8 2026-06-13 12:40:00 14"}));
    EXPECT_EQ(computed.distances, QStringLiteral("1000;1000;"));
    EXPECT_EQ(computed.finish, -9900);
    EXPECT_EQ(computed.runningTime, 300'000'000);
    EXPECT_EQ(computed.points, 0);
}

TEST_F(ComputationFixture, Refusals)
{
    EXPECT_EQ(compute(QStringLiteral("1;0;0;5430000;8;0"), QStringLiteral("X")).refusal, QStringLiteral("No course/class description for runner"));
    EXPECT_EQ(compute(QStringLiteral("1;0;0;5430000;8;0"), QStringLiteral("B")).refusal, QStringLiteral("No course/class description for runner"));
    EXPECT_EQ(compute(QStringLiteral("1;0;0;-1;8;0")).refusal, QStringLiteral("No Finish Time"));
    const ComputedReadout refused = compute(QStringLiteral("1;0;0;-1;8;0"));
    EXPECT_TRUE(refused.rows.empty());
}

TEST_F(ComputationFixture, TimesPastTheYear9999AreWrongParameters)
{
    loaded.settings.eventDate = QDateTime(QDate(9999, 12, 31), QTime(0, 0));
    const ComputedReadout lastDay = compute(QStringLiteral("1;0;0;5430000;8;1;31;43800"));
    EXPECT_TRUE(lastDay.refusal.isEmpty());
    EXPECT_EQ(rows(lastDay).last(), QStringLiteral("F 8 9999-12-31 15:05:00 0"));
    // The finish, a punch, and punches whose 12-hour wraps add up beyond the last day.
    for (const char *record : {"1;0;0;2000000000;8;0", "1;0;0;-99;8;1;31;21474836", "1;0;0;-99;8;3;31;43800;45;43700;31;43600"})
        EXPECT_EQ(compute(QLatin1String(record)).refusal, QStringLiteral("Wrong parameters")) << record;
}

TEST_F(ComputationFixture, APenaltyWithoutSpanRaises)
{
    loaded.settings.penaltySpanSeconds = 0;
    EXPECT_THROW(compute(QStringLiteral("1;0;0;5430001;8;0")), KorventError);
    EXPECT_EQ(compute(QStringLiteral("1;0;0;5400000;8;0")).points, 0);
}
