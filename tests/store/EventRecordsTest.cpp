#include "EventRows.h"
#include "PostgresCluster.h"
#include "RefusingTrigger.h"
#include "TestFolder.h"

#include "base/TextFile.h"
#include "db/Connection.h"
#include "base/MessageSink.h"
#include "scoring/ApplyCorrection.h"
#include "scoring/CorrectionLog.h"
#include "scoring/PunchCorrections.h"
#include "store/DatabaseBinding.h"
#include "store/EventCopy.h"
#include "store/EventRecords.h"
#include "store/EventSchema.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

// Two seats of one event on the tests' server: two folders bound to one database.
struct TwoSeats : ::testing::Test
{
    QTemporaryDir first, second;
    db::DatabaseAddress server;

    void SetUp() override
    {
        SKIP_WITHOUT_POSTGRES();
        server = PostgresCluster::instance()->newDatabase();
        BindEventToServer(folderOf(first), server);
        BindEventToServer(folderOf(second), server);
    }
    QString seat1() const { return folderOf(first); }
    QString seat2() const { return folderOf(second); }
};

void setText(EventSettings &settings, const char *key, const QString &text)
{
    SetSettingText(settings, *FindSetting(QString::fromLatin1(key)), text);
}

QString textOf(const EventSettings &settings, const char *key)
{
    return SettingText(settings, *FindSetting(QString::fromLatin1(key)));
}

} // namespace

TEST_F(TwoSeats, ASettingOneSeatChangesIsReadByTheOtherOnItsNextRead)
{
    SharedEventSetup shared(seat2());
    EXPECT_EQ(shared.snapshot()->settings.eventName, QString());
    EventSettings::update(seat1(), [](EventSettings &settings) {
        settings.eventName = QStringLiteral("Rogaine Jõgeva — Ωmega");
        settings.penaltyPoints = -3;
    });
    EXPECT_EQ(shared.snapshot()->settings.eventName, QStringLiteral("Rogaine Jõgeva — Ωmega"));
    EXPECT_EQ(*EventSettings::load(seat2()).penaltyPoints, -3);
    // The seats' folders hold no setup.ini: the settings are the server's.
    EXPECT_FALSE(QFile::exists(EventSettings::fileName(seat1())));
    EXPECT_FALSE(QFile::exists(EventSettings::fileName(seat2())));
}

TEST_F(TwoSeats, SeatsSavingDifferentSettingsAtOnceBothKeepTheirChange)
{
    // As the setup window saves: only what the operator changed since reading.
    const EventSettings shownAtSeat2 = EventSettings::load(seat2());
    EventSettings::update(seat1(), [&](EventSettings &stored) { stored.eventName = QStringLiteral("Night rogaine"); });
    EventSettings::update(seat2(), [&](EventSettings &stored) {
        EventSettings edited = shownAtSeat2;
        edited.organiser = QStringLiteral("Club Öö");
        for (const SettingDefinition &definition : SettingDefinitions())
            if (SettingText(edited, definition) != SettingText(shownAtSeat2, definition))
                SetSettingText(stored, definition, SettingText(edited, definition));
    });
    const EventSettings read = EventSettings::load(seat1());
    EXPECT_EQ(read.eventName, QStringLiteral("Night rogaine"));
    EXPECT_EQ(read.organiser, QStringLiteral("Club Öö"));

    // Two threads, each with its own connection, saving at the same time.
    constexpr int rounds = 25;
    const auto saveMany = [&](const QString &seat, const char *key, const QString &prefix) {
        for (int i = 1; i <= rounds; ++i)
            EventSettings::update(seat, [&](EventSettings &stored) { setText(stored, key, prefix + QString::number(i)); });
    };
    std::thread a([&] { saveMany(seat1(), "leLocation", QStringLiteral("Area ")); });
    std::thread b([&] { saveMany(seat2(), "leCourseMaster", QStringLiteral("Setter ")); });
    a.join();
    b.join();
    const EventSettings both = EventSettings::load(seat2());
    EXPECT_EQ(textOf(both, "leLocation"), QStringLiteral("Area %1").arg(rounds));
    EXPECT_EQ(textOf(both, "leCourseMaster"), QStringLiteral("Setter %1").arg(rounds));
    EXPECT_EQ(both.eventName, QStringLiteral("Night rogaine"));
    EXPECT_EQ(both.organiser, QStringLiteral("Club Öö"));
}

TEST_F(TwoSeats, TheClassTreeAndTheCorrectionLogAreShared)
{
    SharedEventSetup shared(seat2());
    const ClassTree tree = {{QStringLiteral("H12<*>(12:00:00|012:00:00|00:30:00)"), 0}, {QStringLiteral("H12 Veteranid"), 1},
                            {QStringLiteral("Ö6<*>(10:00:00|006:00:00|00:15:00)"), 0}};
    EventRecords(seat1()).saveClassTree(tree);
    EXPECT_EQ(EventRecords(seat2()).loadClassTree(), tree);
    EXPECT_EQ(shared.snapshot()->classTree, SortedClassTree(tree));
    EXPECT_FALSE(QFile::exists(ClassTreeFileName(seat1())));
    // Each seat adds a class to the tree it was shown: both classes stay.
    const ClassNode h16{QStringLiteral("H16<*>(12:00:00|016:00:00|00:30:00)"), 0}, n24{QStringLiteral("N24<*>(12:00:00|024:00:00|00:30:00)"), 0};
    for (const auto &[seat, added] : {std::pair{seat1(), h16}, std::pair{seat2(), n24}}) {
        ClassTree edited = tree;
        edited.push_back(added);
        EventRecords(seat).updateClassTree([&](const ClassTree &stored) { return MergedClassTree(tree, edited, stored); });
    }
    const ClassTree stored = EventRecords(seat1()).loadClassTree();
    EXPECT_NE(std::find(stored.begin(), stored.end(), h16), stored.end());
    EXPECT_NE(std::find(stored.begin(), stored.end(), n24), stored.end());
    EXPECT_EQ(stored.size(), tree.size() + 2);

    TdmData data1(seat1()), data2(seat2());
    const qint64 team = insertRow(data1, QStringLiteral("team"), {{"number", 12}, {"name", "Jõe Ääre"}, {"status", TeamOK}});
    const auto setStatus = [&](TdmData &data, const QString &seat, const char *status) {
        SilentMessages quiet;
        const Correction correction{.kind = CorrectionKind::TeamStatus, .teamId = team,
                                    .choice = ChoiceIndex(NewTeamStatusChoices(), QString::fromLatin1(status))};
        return ApplyCorrection(data, seat, std::make_shared<const EventSetup>(EventSetup::load(seat)), correction, false, quiet);
    };
    EXPECT_TRUE(setStatus(data1, seat1(), "DNS").logged);
    EXPECT_TRUE(setStatus(data2, seat2(), "OK").logged);
    const QStringList both = {QStringLiteral("Team:12 Status:DNS >OK"), QStringLiteral("Team:12 Status:OK >DNS")};
    EXPECT_EQ(LoadCorrectionLog(seat1()), both);
    // Each seat's own file holds its own lines.
    EXPECT_EQ(ReadTextLines(CorrectionLogFileName(seat1())), QStringList{both.last()});
    // An edit of the log shown keeps the line another seat put at the top since.
    const QStringList shown = LoadCorrectionLog(seat2());
    setStatus(data1, seat1(), "DQS");
    const QString third = QStringLiteral("Team:12 Status:OK >DQS");
    const QStringList merged = MergeCorrectionLog(seat2(), shown, {both.first()});
    EXPECT_EQ(merged, (QStringList{third, both.first()}));
    EXPECT_EQ(LoadCorrectionLog(seat1()), merged);

    // The shared log refusing the line: the correction is not stored either.
    refuseWrites(data1.connection(), QStringLiteral("refuse_log"), QStringLiteral("INSERT"), QStringLiteral("correctionlog"),
                 QStringLiteral("true"), QStringLiteral("log refused"));
    EXPECT_THROW(setStatus(data2, seat2(), "DNS"), KorventError);
    EXPECT_EQ(data2.connection().scalar(QStringLiteral("SELECT status FROM team WHERE id=?"), {team}).toInt(), TeamDSQ);
    EXPECT_EQ(LoadCorrectionLog(seat2()), merged);
}

TEST(EventRecords, AnEventWithItsOwnFileKeepsThemAsTheFoldersFiles)
{
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    TdmData data(event);
    EventSettings::update(event, [](EventSettings &settings) { settings.eventName = QStringLiteral("Club rogaine"); });
    EventRecords(event).saveClassTree({{QStringLiteral("A<*>(10:00:00|003:00:00|00:30:00)"), 0}});
    PrependCorrectionLog(event, QStringLiteral("Team:1 Status:NA >DNS"));
    EXPECT_FALSE(EventRecords(event).server());
    EXPECT_TRUE(readFile(EventSettings::fileName(event)).contains("leName=Club rogaine\r\n"));
    EXPECT_EQ(readFile(ClassTreeFileName(event)), QByteArray("A<*>(10:00:00|003:00:00|00:30:00)\r\n"));
    EXPECT_EQ(readFile(CorrectionLogFileName(event)), QByteArray("Team:1 Status:NA >DNS\r\n"));
    for (const db::TableDefinition &table : EventRecordTables())
        EXPECT_EQ(data.connection().scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table.name).toInt(), 0) << table.name.toStdString();
}

TEST(EventRecords, ACopyToTheServerAndBackKeepsSettingsClassTreeAndLog)
{
    SKIP_WITHOUT_POSTGRES();
    const db::DatabaseAddress server = PostgresCluster::instance()->newDatabase();
    QTemporaryDir original, seat, back;
    const QString from = folderOf(original);
    {
        TdmData data(from);
    }
    EventSettings::update(from, [](EventSettings &settings) {
        settings.eventName = QStringLiteral("Öine rogain");
        settings.mapOffsetX = -1250;
        settings.eventDate = QDateTime(QDate(2026, 6, 13), QTime(0, 0));
    });
    const ClassTree tree = {{QStringLiteral("H24<*>(12:00:00|024:00:00|00:30:00)"), 0}, {QStringLiteral("H24 Jüri"), 1}};
    WriteClassTreeFile(ClassTreeFileName(from), tree);
    const QStringList log = {QStringLiteral("Team:7 Status:NA >DNS"), QStringLiteral("31 removed from team:7 #:1")};
    WriteTextLines(CorrectionLogFileName(from), log);

    const qint64 out = CopyEventDatabase(from, db::DatabaseAddress::sqliteFile(TdmData::databaseFileName(from)), server);
    BindEventToServer(folderOf(seat), server);
    EXPECT_EQ(EventSettings::load(folderOf(seat)).eventName, QStringLiteral("Öine rogain"));
    EXPECT_EQ(*EventSettings::load(folderOf(seat)).mapOffsetX, -1250);
    EXPECT_EQ(EventRecords(folderOf(seat)).loadClassTree(), tree);
    EXPECT_EQ(LoadCorrectionLog(folderOf(seat)), log);

    const qint64 in = CopyEventDatabase(folderOf(back), server, db::DatabaseAddress::sqliteFile(TdmData::databaseFileName(folderOf(back))));
    EXPECT_EQ(in, out);
    EXPECT_EQ(readFile(EventSettings::fileName(folderOf(back))), readFile(EventSettings::fileName(from)));
    EXPECT_EQ(readFile(ClassTreeFileName(folderOf(back))), readFile(ClassTreeFileName(from)));
    EXPECT_EQ(readFile(CorrectionLogFileName(folderOf(back))), readFile(CorrectionLogFileName(from)));
}
