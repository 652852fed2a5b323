#include "ReadoutFixture.h"
#include "SettingsFileFailure.h"
#include "EventRows.h"

#include "readout/ReadoutProcessor.h"
#include "base/KorventError.h"

#include <QSemaphore>
#include <QThread>
#include <thread>

namespace {

struct ProcessorFixtureCases : ReadoutFixture
{
    std::unique_ptr<ReadoutProcessor> processor;

    void SetUp() override
    {
        ReadoutFixture::SetUp();
        processor = std::make_unique<ReadoutProcessor>(folderOf(dir), shared);
        processor->LoadCourseCopy();
    }
    void reload()
    {
        publish();
        processor->LoadCourseCopy();
    }
    QString readout(const QString &record) { return processor->ProcessReadout(record).reply; }
};

// A record of punch pairs given as "code time" texts.
QString record(qint64 finish, int cardType, const QStringList &pairs)
{
    QString text = QStringLiteral("8001234;0;0;%1;%2;%3").arg(finish).arg(cardType).arg(pairs.size());
    for (const QString &pair : pairs)
        text += u';' + QString(pair).replace(u' ', u';');
    return text;
}

} // namespace

using ProcessorFixture = OnEachEngine<ProcessorFixtureCases>;
EVENT_TESTS_ON_EACH_ENGINE(ProcessorFixture);

TEST_P(ProcessorFixture, TheExampleRequestGivesTheExampleReply)
{
    const ReadoutResult result = processor->ProcessReadout(exampleRecord);
    EXPECT_EQ(result.reply, exampleReply);
    EXPECT_EQ(result.notification, QStringLiteral("Z 0"));
    EXPECT_EQ(rows(), QStringList({"31 8 12:10:00 3", "45 8 12:40:00 4", "31 8 12:50:00 3", "F 8 15:05:00 0"}));
    EXPECT_EQ(punchRows(QStringLiteral("team_id=%1 AND runner_id=%2").arg(teamId).arg(runnerId)), 4);
}

TEST_P(ProcessorFixture, RefusedReadoutsChangeNothing)
{
    readout(exampleRecord);
    const QStringList before = rows();
    const struct { QString record; const char *reply; } cases[] = {
        {QStringLiteral("8001234;0;0;5430000;8"), "E \"Wrong parameters\""},
        {QStringLiteral("8001234;0;0;5430000;8;3;31;43800;45"), "E \"Wrong parameters\""}, // announces more pairs than it has
        {QStringLiteral("999;0;0;5430000;8;0"), "E \"Wrong chip nr\""},
        {QStringLiteral("8001234;0;0;-1;8;0"), "E \"No Finish Time\""},
        // Negative or non-numeric fields: before any lookup, so even a known chip keeps its rows.
        {QStringLiteral("8001234;0;0;-4000000;8;1;31;36100"), "E \"Wrong parameters\""},
        {QStringLiteral("8001234;0;0;4000000;8;1;31;-5"), "E \"Wrong parameters\""},
        {QStringLiteral("8001234;0;0;4000000;8;-1"), "E \"Wrong parameters\""},
        {QStringLiteral("8001234;0;0;4000000;-8;0"), "E \"Wrong parameters\""},
        {QStringLiteral("8001234;0;0;4000000;x;0"), "E \"Wrong parameters\""},
        {QStringLiteral("-8001234;0;0;4000000;8;0"), "E \"Wrong parameters\""},
        {QStringLiteral("8001234;0;0;4000000;8;1;-31;36100"), "E \"Wrong parameters\""},
    };
    for (const auto &c : cases) {
        const ReadoutResult result = processor->ProcessReadout(c.record);
        EXPECT_EQ(result.reply, QLatin1String(c.reply)) << c.record.toStdString();
        EXPECT_TRUE(result.notification.isEmpty());
        EXPECT_EQ(rows(), before);
    }
    insertRow(*data, QStringLiteral("runner"), {{"team_id", 999}, {"chipnr", "555"}});
    EXPECT_EQ(readout(QStringLiteral("555;0;0;5430000;8;0")), QStringLiteral("E \"No Team record\""));
    const qint64 other = insertRow(*data, QStringLiteral("team"), {{"number", 13}, {"class", "B"}});
    insertRow(*data, QStringLiteral("runner"), {{"team_id", other}, {"chipnr", "556"}});
    EXPECT_EQ(readout(QStringLiteral("556;0;0;5430000;8;0")), QStringLiteral("E \"No course/class description for runner\""));
    EXPECT_EQ(rows(), before);
    EXPECT_THROW(readout(QStringLiteral("8001234;0;0;5430000;8;194")), KorventError);
    EXPECT_EQ(rows(), before);
}

TEST_P(ProcessorFixture, ASettingTheReadoutNeedsThatDidNotReadRefusesItAndStoresNothing)
{
    // Never stored on a default: punches dated 2008, penalties of another size.
    const struct { const char *key; const char *text; } cases[] = {
        {"dtpDate", "13.06.2026"}, {"sePenaltyPoints", "abc"}, {"sePenaltySeconds", "0"}, {"cbMultiReadout", "yes"}, {"eMap_Scale", "1:15000"},
    };
    QTemporaryDir files;
    for (const auto &c : cases) {
        setup.settings.replyDistances = true;
        const QString failure = takeSettingFromFile(setup.settings, folderOf(files), c.key, QLatin1String(c.text));
        ASSERT_FALSE(failure.isEmpty()) << c.key;
        reload();
        try {
            readout(exampleRecord);
            ADD_FAILURE() << c.key << '=' << c.text << " stored";
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), EventSettings::fileName(folderOf(files)) + QStringLiteral(": ") + failure);
        }
        EXPECT_EQ(punchRows(), 0) << c.key;
        SetSettingText(setup.settings, *FindSetting(QLatin1String(c.key)), SettingText(EventSettings(), *FindSetting(QLatin1String(c.key))));
    }
    setup.settings.penaltyPoints = -1;
    setup.settings.penaltySpanSeconds = 60;
    setup.settings.eventDate = QDateTime(QDate(2026, 6, 13), QTime(0, 0));
    reload();
    EXPECT_TRUE(readout(exampleRecord).startsWith(QStringLiteral("S 8001234;")));
}

TEST_P(ProcessorFixture, BeforeTheCourseIsLoadedEveryReadoutIsRefused)
{
    ReadoutProcessor fresh(folderOf(dir), shared);
    EXPECT_EQ(fresh.ProcessReadout(exampleRecord).reply, QStringLiteral("E \"No course/class description for runner\""));
    EXPECT_EQ(punchRows(), 0);
}

TEST_P(ProcessorFixture, NoPunchesWritesTheFinishOnly)
{
    EXPECT_EQ(readout(QStringLiteral("8001234;0;0;5430000;8;0")),
              QStringLiteral("S 8001234;4320000;5430000;1110000;-6;12;Ann;Lee;A;Team 12;False;0;"));
    EXPECT_EQ(rows(), QStringList({"F 8 15:05:00 0"}));
}

TEST_P(ProcessorFixture, TwelveHourClockIsUnwrapped)
{
    // 11:50 on the clock before a 12:00 start is 23:50; then 12:30 on the clock is 00:30.
    const QString reply = readout(record(5'400'000, 8, {"31 42600", "45 45000"}));
    EXPECT_TRUE(reply.contains(QStringLiteral(";2;31;8580000;1;45;8820000;1;"))) << reply.toStdString();
    // The finish at 15:00 on the clock comes after 00:30: it is 03:00, far beyond the time limit.
    EXPECT_TRUE(reply.startsWith(QStringLiteral("S 8001234;4320000;9720000;500000000;0;"))) << reply.toStdString();
    EXPECT_EQ(rows(), QStringList({"31 8 23:50:00 3", "45 8 00:30:00 4", "F 8 03:00:00 0"}));
    EXPECT_EQ(data->connection().scalar(QStringLiteral("SELECT ctime FROM res_cp WHERE KP='F'")).toString(), QStringLiteral("2026-06-14 03:00:00"));
}

TEST_P(ProcessorFixture, CardsBelowTypeSixKeepNoTimeAfterThirtyPunches)
{
    QStringList pairs;
    for (int k = 0; k < 36; ++k)
        pairs.append(QStringLiteral("%1 %2").arg(k % 2 ? 45 : 31).arg(43'200 + 60 * (k + 1)));
    const QString reply = readout(record(5'400'000, 5, pairs));
    const QStringList stored = rows();
    ASSERT_EQ(stored.size(), 37);
    EXPECT_EQ(stored[29], QStringLiteral("45 8 12:30:00 4"));
    EXPECT_EQ(stored[30], QStringLiteral("31 2 12:31:00 3"));
    EXPECT_EQ(stored[35], QStringLiteral("45 2 12:36:00 4"));
    EXPECT_TRUE(reply.contains(QStringLiteral(";45;4500000;4;31;-1;4;45;-1;4;"))) << reply.toStdString();
}

TEST_P(ProcessorFixture, RepeatsAndUnknownCodesAreStoredButNotCounted)
{
    const QString reply = readout(record(5'000'000, 8, {"31 43800", "77 44000", "31 44100", "45 44200"}));
    EXPECT_TRUE(reply.contains(QStringLiteral(";4;31;4380000;1;-1;4400000;4;31;4410000;4;45;4420000;1;"))) << reply.toStdString();
    EXPECT_TRUE(reply.contains(QStringLiteral(";680000;7;12;"))) << reply.toStdString(); // 3 + 4
    EXPECT_EQ(rows(), QStringList({"31 8 12:10:00 3", "? 9 12:13:20 0", "31 8 12:15:00 3", "45 8 12:16:40 4", "F 8 13:53:20 0"}));
}

TEST_P(ProcessorFixture, PenaltyAtTheEdgesOfTheMaximumTime)
{
    // Start 12:00:00 = 4,320,000; maximum 3 hours = 1,080,000 hundredths; penalty time 180,000.
    const struct { qint64 finish; const char *runningTime; int points; } cases[] = {
        {5'400'000, "1080000", 7},        // exactly at the maximum
        {5'400'001, "1080001", 6},        // one hundredth over: one interval
        {5'406'000, "1086000", 5},        // exactly one interval over: two
        {5'580'000, "1260000", 7 - 31},   // at maximum plus penalty time
        {5'580'001, "500000000", 0},      // beyond it
    };
    for (const auto &c : cases) {
        const QString reply = readout(record(c.finish, 8, {"31 43800", "45 45600"}));
        EXPECT_TRUE(reply.contains(QStringLiteral(";%1;%2;%3;12;").arg(c.finish).arg(QLatin1String(c.runningTime)).arg(c.points)))
            << reply.toStdString();
        EXPECT_EQ(punchRows(QStringLiteral("KP='F'")), 1);
    }
}

TEST_P(ProcessorFixture, NoFinishValues)
{
    readout(exampleRecord);
    for (const qint64 noFinish : {77'777'500LL, -99LL}) {
        const QString reply = readout(record(noFinish, 8, {"45 45600"}));
        EXPECT_TRUE(reply.startsWith(QStringLiteral("S 8001234;4320000;-9900;300000000;0;"))) << reply.toStdString();
        EXPECT_EQ(rows(), QStringList({"45 8 12:40:00 4"})); // earlier rows deleted, no finish row
    }
    setup.settings.multiReadout = true;
    reload();
    const QString reply = readout(record(-1, 8, {"31 43800"}));
    EXPECT_TRUE(reply.startsWith(QStringLiteral("S 8001234;4320000;-9900;300000000;0;"))) << reply.toStdString();
    EXPECT_EQ(rows(), QStringList({"45 8 12:40:00 4", "31 8 12:10:00 3"}));
}

TEST_P(ProcessorFixture, ExtraPointsDistancesAndAnUnsetRentChip)
{
    insertRow(*data, QStringLiteral("extrapoint"), {{"from", 31}, {"to", 45}, {"points", 10}});
    setup.settings.replyDistances = true;
    setup.settings.mapScale = 10000;
    reload();
    data->connection().exec(QStringLiteral("UPDATE runner SET rentchip=NULL"));
    const QString reply = readout(record(5'000'000, 8, {"31 43800", "45 45600"}));
    // 31 -> 45 earns the rule's 10 points on the 45 punch; legs of 1000 map units are 1000 m at 1:10,000.
    EXPECT_TRUE(reply.endsWith(QStringLiteral(";Team 12;;2;31;4380000;1;45;4560000;1;1000;1000;1000;"))) << reply.toStdString();
    EXPECT_TRUE(reply.contains(QStringLiteral(";680000;17;"))) << reply.toStdString();
    EXPECT_EQ(rows()[1], QStringLiteral("45 8 12:40:00 14"));
}

TEST_P(ProcessorFixture, AFailureHalfWayLeavesTheEarlierPunchesInPlace)
{
    readout(exampleRecord);
    const QStringList before = rows();
    setup.settings.penaltySpanSeconds = 0; // the penalty division fails
    reload();
    EXPECT_THROW(readout(record(5'430'000, 8, {"45 45600"})), KorventError);
    EXPECT_EQ(rows(), before);
}

TEST_P(ProcessorFixture, AbsurdTimesAreRefusedBeforeAnythingChanges)
{
    readout(exampleRecord);
    const QStringList before = rows();
    for (const char *record : {"8001234;0;0;5430000;8;1;31;99999999999999999", "8001234;0;0;5430000;8;1;31;-99999999999999999",
                               "8001234;0;0;99999999999999999;8;0", "8001234;0;0;-99999999999999999;8;0"}) {
        const ReadoutResult result = processor->ProcessReadout(QLatin1String(record));
        EXPECT_EQ(result.reply, QStringLiteral("E \"Wrong parameters\"")) << record;
        EXPECT_TRUE(result.notification.isEmpty());
    }
    EXPECT_EQ(rows(), before);
}

TEST_P(ProcessorFixture, AFinishAfterTheYear9999IsRefused)
{
    setup.settings.eventDate = QDateTime(QDate(9999, 12, 31), QTime(0, 0));
    reload();
    readout(exampleRecord);
    EXPECT_EQ(data->connection().scalar(QStringLiteral("SELECT ctime FROM res_cp WHERE KP='F'")).toString(), QStringLiteral("9999-12-31 15:05:00"));
    const QStringList before = rows();
    EXPECT_EQ(readout(record(2'000'000'000, 8, {"31 43800"})), QStringLiteral("E \"Wrong parameters\""));
    EXPECT_EQ(rows(), before);
}

TEST_P(ProcessorFixture, EventInformation)
{
    const QString reply = processor->EventInfoReply(QStringLiteral("x"));
    EXPECT_TRUE(reply.startsWith(QStringLiteral("I 1;")));
    EXPECT_TRUE(reply.endsWith(QStringLiteral(";Lake Forest;Summer Rogaine;43200;10;O;"))) << reply.toStdString();
    EXPECT_EQ(processor->EventInfoReply(QString()), QStringLiteral("E \"No Data\""));
    setup.settings.firstStart = std::chrono::hours(99) + std::chrono::minutes(59) + std::chrono::seconds(59);
    publish();
    EXPECT_TRUE(processor->EventInfoReply(QStringLiteral("x")).endsWith(QStringLiteral(";Summer Rogaine;359999;10;O;")));
}

TEST_P(ProcessorFixture, AChangeCommittedWhileTheReadoutWaitsForTheLockDecidesIt)
{
    // The readout works out its rows before its transaction, while another
    // connection holds the writer lock with a change it commits later.
    const qint64 otherTeam = insertRow(*data, QStringLiteral("team"), {{"number", 13}, {"name", "Team 13"}, {"class", "A"}});
    const struct { const char *name; const char *change; QVariantList values; const char *reply; } cases[] = {
        {"the runner moved to another team", "UPDATE runner SET team_id=? WHERE id=?", {otherTeam, runnerId},
         "S 8001234;4320000;5430000;1110000;1;13;Ann;Lee;A;Team 13;False;3;"},
        {"the team moved to a class without a start", "UPDATE team SET class='B' WHERE id=?", {otherTeam},
         "E \"No course/class description for runner\""},
        {"the runner deleted", "DELETE FROM runner WHERE id=?", {runnerId}, "E \"Wrong chip nr\""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QSemaphore holding;
        std::thread other([&] {
            TdmData otherData(folderOf(dir));
            db::Transaction transaction(otherData.connection());
            holding.release();
            QThread::msleep(200);
            otherData.connection().exec(QLatin1String(c.change), c.values);
            transaction.commit();
        });
        holding.acquire();
        const QString reply = readout(exampleRecord);
        EXPECT_TRUE(reply.startsWith(QLatin1String(c.reply))) << reply.toStdString();
        other.join();
        // Only the first case stores, for the team the runner is in by then.
        EXPECT_EQ(punchRows(QStringLiteral("team_id=%1").arg(teamId)), 0);
        EXPECT_EQ(punchRows(QStringLiteral("team_id=%1 AND runner_id=%2").arg(otherTeam).arg(runnerId)), 4);
    }
}
