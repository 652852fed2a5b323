#include "FullDisk.h"
#include "TestFolder.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "scoring/CorrectionLog.h"

#include <QScopeGuard>
#include <optional>
#include <gtest/gtest.h>

TEST(CorrectionLog, NewestLineFirstWithCrLfLines)
{
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    EXPECT_FALSE(CorrectionLogExists(event));
    EXPECT_TRUE(LoadCorrectionLog(event).isEmpty());

    PrependCorrectionLog(event, QStringLiteral("31 removed from team:12 #:2"));
    PrependCorrectionLog(event, QString()); // an empty line is a line too
    PrependCorrectionLog(event, QStringLiteral("Team:12 Status:NA >DNS"));
    EXPECT_TRUE(CorrectionLogExists(event));
    EXPECT_EQ(readFile(CorrectionLogFileName(event)), QByteArray("Team:12 Status:NA >DNS\r\n\r\n31 removed from team:12 #:2\r\n"));
    EXPECT_EQ(LoadCorrectionLog(event), QStringList({"Team:12 Status:NA >DNS", "", "31 removed from team:12 #:2"}));
    EXPECT_EQ(CorrectionLogFileName(event), event + QStringLiteral("timelog.txt"));

    SaveCorrectionLog(event, {QString()});
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
    EXPECT_TRUE(CorrectionLogExists(event));
    EXPECT_THROW(LoadCorrectionLog(event), KorventError);
    EXPECT_THROW(PrependCorrectionLog(event, QStringLiteral("line")), KorventError);
    EXPECT_TRUE(QFileInfo(CorrectionLogFileName(event)).isDir());
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
    EXPECT_FALSE(CorrectionLogExists(event));
}
