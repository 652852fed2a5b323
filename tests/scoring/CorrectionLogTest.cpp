#include "EventDatabaseFixture.h"
#include "FullDisk.h"
#include "TestFolder.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "base/TextFile.h"
#include "scoring/CorrectionLog.h"

#include <QScopeGuard>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <gtest/gtest.h>

TEST(CorrectionLog, NewestLineFirstWithCrLfLines)
{
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    EXPECT_TRUE(LoadCorrectionLog(event).isEmpty());

    PrependCorrectionLog(event, QStringLiteral("31 removed from team:12 #:2"));
    PrependCorrectionLog(event, QString()); // an empty line is a line too
    PrependCorrectionLog(event, QStringLiteral("Team:12 Status:NA >DNS"));
    EXPECT_EQ(readFile(CorrectionLogFileName(event)), QByteArray("Team:12 Status:NA >DNS\r\n\r\n31 removed from team:12 #:2\r\n"));
    EXPECT_EQ(LoadCorrectionLog(event), QStringList({"Team:12 Status:NA >DNS", "", "31 removed from team:12 #:2"}));
    EXPECT_EQ(CorrectionLogFileName(event), event + QStringLiteral("timelog.txt"));

    // The operator left one empty line in the window's memo.
    MergeCorrectionLog(event, LoadCorrectionLog(event), {QString()});
    EXPECT_EQ(readFile(CorrectionLogFileName(event)), QByteArray("\r\n"));
    EXPECT_EQ(LoadCorrectionLog(event), QStringList({QString()}));
}

TEST(CorrectionLog, WrittenInTheProgramTextEncoding)
{
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    ASSERT_TRUE(Platform::setTextEncoding(QStringLiteral("windows-1257")));
    const auto restore = qScopeGuard([] { Platform::setTextEncoding(QStringLiteral("UTF-8")); });
    PrependCorrectionLog(event, QStringLiteral("Ö1 removed from team:7 #:1"));
    EXPECT_EQ(readFile(CorrectionLogFileName(event)), QByteArray("\xD6" "1 removed from team:7 #:1\r\n"));
    EXPECT_EQ(LoadCorrectionLog(event).first(), QStringLiteral("Ö1 removed from team:7 #:1"));
}

TEST(CorrectionLog, ALogThatCannotBeReadIsNeverWrittenOver)
{
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    ASSERT_TRUE(QDir().mkpath(CorrectionLogFileName(event))); // a folder where the file should be
    EXPECT_THROW(LoadCorrectionLog(event), KorventError);
    EXPECT_THROW(PrependCorrectionLog(event, QStringLiteral("line")), KorventError);
    EXPECT_TRUE(QFileInfo(CorrectionLogFileName(event)).isDir());
}

TEST(CorrectionLog, OnlyTextInTheProgramsEncodingIsWrittenInto)
{
    const struct
    {
        const char *what;
        const char *encoding;
        QByteArray before;
        QByteArray after; // empty: refused, the file left as it was
    } cases[] = {
        {"UTF-8 with a byte-order mark", "UTF-8", "\xEF\xBB\xBFÖ1 removed\r\n", "new\r\nÖ1 removed\r\n"},
        {"the program's code page", "windows-1257", "\xD6" "1 removed\r\n", "new\r\n\xD6" "1 removed\r\n"},
        {"another code page", "UTF-8", "\xD6" "1 removed\r\n", {}},
        {"UTF-16", "UTF-8", QByteArray("\xFF\xFE" "3\0" "1\0" "\r\0\n\0", 10), {}},
        {"binary", "UTF-8", QByteArray("a\0b\r\n", 5), {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString event = folderOf(dir);
        ASSERT_TRUE(Platform::setTextEncoding(QLatin1String(c.encoding)));
        const auto restore = qScopeGuard([] { Platform::setTextEncoding(QStringLiteral("UTF-8")); });
        writeFile(CorrectionLogFileName(event), c.before);
        if (c.after.isEmpty()) {
            EXPECT_THROW(RefuseUnwritableCorrectionLog(event), KorventError);
            EXPECT_THROW(PrependCorrectionLog(event, QStringLiteral("new")), KorventError);
            EXPECT_THROW(MergeCorrectionLog(event, {}, {QStringLiteral("new")}), KorventError);
            EXPECT_EQ(readFile(CorrectionLogFileName(event)), c.before);
        } else {
            EXPECT_NO_THROW(RefuseUnwritableCorrectionLog(event));
            PrependCorrectionLog(event, QStringLiteral("new"));
            EXPECT_EQ(readFile(CorrectionLogFileName(event)), c.after);
        }
    }
}

TEST(CorrectionLog, AnEditOfTheShownLogKeepsWhatOthersAddedMeanwhile)
{
    const struct
    {
        QStringList onDisk, shown, edited, written;
    } cases[] = {
        // Nothing added meanwhile: the edit is the log.
        {{"b", "a"}, {"b", "a"}, {"note", "b", "a"}, {"note", "b", "a"}},
        // Lines put at the top by another program stay above the edit.
        {{"c", "b", "a"}, {"b", "a"}, {"b", "a", "note"}, {"c", "b", "a", "note"}},
        // The operator may delete lines too.
        {{"c", "b", "a"}, {"b", "a"}, {"b"}, {"c", "b"}},
        // Shown from no log at all.
        {{"c"}, {}, {"note"}, {"c", "note"}},
        // Rewritten meanwhile: no line the edit lacks is lost.
        {{"x", "a"}, {"b", "a"}, {"note", "b", "a"}, {"x", "note", "b", "a"}},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        WriteTextLines(CorrectionLogFileName(folderOf(dir)), c.onDisk);
        EXPECT_EQ(MergeCorrectionLog(folderOf(dir), c.shown, c.edited), c.written) << c.edited.join(u'|').toStdString();
        EXPECT_EQ(LoadCorrectionLog(folderOf(dir)), c.written);
    }
}

TEST(CorrectionLog, OnAFullDiskTheErrorNamesTheSystemsReason)
{
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    std::optional<QString> message;
    try {
        const auto restore = filesCannotGrow();
        PrependCorrectionLog(event, QStringLiteral("Team:12 Status:NA >DNS"));
    } catch (const KorventError &error) {
        message = error.message();
    }
    ASSERT_TRUE(message);
    EXPECT_TRUE(message->contains(QLatin1String("File too large"))) << message->toStdString();
    EXPECT_FALSE(message->contains(QLatin1String("another program"))) << message->toStdString();
    EXPECT_FALSE(QFileInfo::exists(CorrectionLogFileName(event)));
}

// A correction is made only when its line can go to the log: what is at the
// log's name is judged before the correction's transaction.
struct CorrectionLogOfOpenEvent : EventDatabaseFixture
{
};

TEST_F(CorrectionLogOfOpenEvent, ALogThatCannotTakeTheLineIsRefusedBeforeTheCorrection)
{
    const QString event = folderOf(dir);
    const QString log = CorrectionLogFileName(event);
    EXPECT_NO_THROW(RefuseUnwritableCorrectionLog(event)); // no log yet
    writeFile(log, "earlier line\r\n");
    EXPECT_NO_THROW(RefuseUnwritableCorrectionLog(event));

    const struct
    {
        const char *what;
        std::function<void()> make;
        QString reason;
    } cases[] = {
        {"a link to the database", [&] { ASSERT_TRUE(QFile::link(TdmData::databaseFileName(event), log)); },
         QStringLiteral("it is the event's database")},
        {"a pipe", [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(log).constData(), 0600), 0); },
         QStringLiteral("it is not a plain file")},
    };
    for (const auto &c : cases) {
        QFile::remove(log);
        c.make();
        try {
            RefuseUnwritableCorrectionLog(event);
            ADD_FAILURE() << c.what << " was taken for the log";
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("Cannot write %1: %2").arg(log, c.reason)) << c.what;
        }
    }

    // The writers' turn cannot be taken (a folder that takes no new file, here
    // a folder at the lock's name): refused before, not after the correction.
    QFile::remove(log);
    ASSERT_TRUE(QDir().mkpath(log + QStringLiteral(".lock")));
    EXPECT_THROW(RefuseUnwritableCorrectionLog(event), KorventError);
}
