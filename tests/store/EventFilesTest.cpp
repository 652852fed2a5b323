// Files an event reads by a name from the operator or a settings file may
// lead to its database; none of them is opened while the event is open.

#include "EventDatabaseFixture.h"
#include "ProcessLocks.h"

#include "base/KorventError.h"
#include "entries/EntryImport.h"
#include "exports/XmlDocument.h"
#include "reports/ReportPage.h"
#include "scoring/CourseMap.h"
#include "store/ClassTable.h"
#include "store/EventFiles.h"
#include "store/EventSettings.h"

#include <functional>

namespace {

struct OpenEvent : EventDatabaseFixture
{
    QString event() const { return folderOf(dir); }
    QString database() const { return TdmData::databaseFileName(folderOf(dir)); }
};

} // namespace

TEST_F(OpenEvent, NamesLeadingToTheDatabaseAreRefusedAndTheLocksStay)
{
    data->insertRow(QStringLiteral("control"), {{QStringLiteral("controlnr"), QStringLiteral("31")},
                                                {QStringLiteral("pos_x"), -1200}, {QStringLiteral("pos_y"), 300}});
    data->insertRow(QStringLiteral("control"), {{QStringLiteral("controlnr"), QStringLiteral("32")},
                                                {QStringLiteral("pos_x"), 800}, {QStringLiteral("pos_y"), -450}});
    const QStringList locks = ownLocks();
    ASSERT_FALSE(locks.isEmpty());
    const QString settingsLink = EventSettings::fileName(event());
    const QString classesLink = ClassTreeFileName(event());
    ASSERT_TRUE(QFile::link(database(), settingsLink));
    ASSERT_TRUE(QFile::link(database() + QStringLiteral("-wal"), classesLink));
    EventSettings settings;
    const struct
    {
        const char *reader;
        QString refused;
        std::function<void()> read;
    } cases[] = {
        {"event settings through a link", settingsLink, [&] { EventSettings::load(event()); }},
        {"class list through a link", classesLink, [&] { ReadClassTreeFile(classesLink); }},
        {"report header", database(), [&] { ReportPage().ReportHeader(database(), QStringLiteral("Results"), {}, settings); }},
        {"entry file", database(), [&] { ReadImportLines(database(), QStringLiteral("UTF-8")); }},
        {"started runners file", database() + QStringLiteral("-shm"),
         [&] { ReadImportLines(database() + QStringLiteral("-shm"), QStringLiteral("ANSI")); }},
        {"course XML", database(), [&] { XmlDocument().load(database()); }},
        {"map picture", event() + QStringLiteral("rogain.abs"),
         [&] { DrawCourseMap(data->connection(), settings, event(), QStringLiteral("rogain.abs"), 0, 0); }},
    };
    for (const auto &c : cases) {
        try {
            c.read();
            ADD_FAILURE() << c.reader << " was read";
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("Cannot read %1: it is the event's database").arg(c.refused)) << c.reader;
        }
        EXPECT_TRUE(locksKept(locks)) << c.reader;
    }
}

TEST_F(OpenEvent, EveryFileOfTheEventIsRefusedAsATarget)
{
    writeFile(EventSettings::fileName(event()), "[fEventInfo]\r\n");
    writeFile(ClassTreeFileName(event()), "H12\r\n");
    for (const QString &target : {database(), database() + QStringLiteral("-wal"), database() + QStringLiteral("-shm"),
                                  EventSettings::fileName(event()), ClassTreeFileName(event())})
        EXPECT_THROW(RefuseEventFileAsTarget(event(), target), KorventError) << target.toStdString();
    EXPECT_NO_THROW(RefuseEventFileAsTarget(event(), event() + QStringLiteral("participants.csv")));
    EXPECT_NO_THROW(RefuseEventFileAsTarget(event(), event() + QStringLiteral("results/setup.ini")));
}
