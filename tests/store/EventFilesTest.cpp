// Files an event reads by a name from the operator or a settings file may
// lead to its database; none of them is opened while the event is open.

#include "EventDatabaseFixture.h"
#include "EventRows.h"
#include "ProcessLocks.h"

#include "base/KorventError.h"
#include "entries/EntryImport.h"
#include "base/XmlDocument.h"
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
    insertRow(*data, QStringLiteral("control"), {{QStringLiteral("controlnr"), QStringLiteral("31")},
                                                {QStringLiteral("pos_x"), -1200}, {QStringLiteral("pos_y"), 300}});
    insertRow(*data, QStringLiteral("control"), {{QStringLiteral("controlnr"), QStringLiteral("32")},
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

// In WAL mode the -journal never exists, and SQLite removes one it finds as
// a stale journal: a file written there would be gone at the next open.
TEST_F(OpenEvent, TheDatabaseNamesAreRefusedAsTargetsBeforeTheFilesExist)
{
    const QString journal = database() + QStringLiteral("-journal");
    ASSERT_FALSE(QFileInfo::exists(journal));
    ASSERT_TRUE(QDir(event()).mkpath(QStringLiteral("results")));
    const QString folderLink = dir.path() + QStringLiteral("/event-link");
    ASSERT_TRUE(QFile::link(QDir::cleanPath(event()), folderLink));
    const QString danglingLink = event() + QStringLiteral("results/journal.xml");
    ASSERT_TRUE(QFile::link(journal, danglingLink));
    for (const QString &target : {journal, event() + QStringLiteral("results/../rogain.abs-journal"),
                                  folderLink + QStringLiteral("/rogain.abs-journal"), danglingLink}) {
        try {
            RefuseEventFileAsTarget(event(), target);
            ADD_FAILURE() << target.toStdString() << " was allowed";
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("Cannot write %1: it is the event's database").arg(target));
        }
    }
    EXPECT_FALSE(QFileInfo::exists(journal));
    EXPECT_NO_THROW(RefuseEventFileAsTarget(event(), event() + QStringLiteral("results/rogain.abs-journal")));
    EXPECT_NO_THROW(RefuseEventFileAsTarget(event(), event() + QStringLiteral("rogain.abs-journal.xml")));
}
