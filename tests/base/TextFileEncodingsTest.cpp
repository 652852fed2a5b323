#include "base/Platform.h"

#include <QScopeGuard>
#include <gtest/gtest.h>

TEST(TextFileEncodings, TheSaveDialogsChoicesInOrder)
{
    EXPECT_EQ(Platform::textFileEncodings(), QStringList({"ANSI", "ASCII", "Unicode", "Big Endian Unicode", "UTF-8", "UTF-7"}));
    EXPECT_FALSE(Platform::encodeTextFile(QStringLiteral("UTF-16"), QStringLiteral("x")));
    EXPECT_FALSE(Platform::encodeTextFile(QStringLiteral("utf-8"), QStringLiteral("x")));
}

TEST(TextFileEncodings, BytesOfEachEncoding)
{
    // Ends inside a UTF-7 base64 run: the converter must close it.
    const QString text = QStringLiteral("Õ|~ €");
    const struct
    {
        const char *encoding;
        QByteArray bytes;
    } cases[] = {
        {"ANSI", "\xC3\x95|~ \xE2\x82\xAC"},
        {"ASCII", "?|~ ?"},
        {"Unicode", QByteArray("\xFF\xFE\xD5\0|\0~\0 \0\xAC\x20", 12)},
        {"Big Endian Unicode", QByteArray("\xFE\xFF\0\xD5\0|\0~\0 \x20\xAC", 12)},
        {"UTF-8", "\xEF\xBB\xBF\xC3\x95|~ \xE2\x82\xAC"},
        {"UTF-7", "+ANU|+AH4 +IKw-"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Platform::encodeTextFile(QLatin1String(c.encoding), text).value_or("none").toHex(' '), c.bytes.toHex(' ')) << c.encoding;
    EXPECT_EQ(Platform::encodeTextFile(QStringLiteral("UTF-7"), QString()), QByteArray());
}

TEST(TextFileEncodings, AnsiFollowsTheProgramsEncoding)
{
    ASSERT_TRUE(Platform::setTextEncoding(QStringLiteral("windows-1257")));
    const auto restore = qScopeGuard([] { Platform::setTextEncoding(QStringLiteral("UTF-8")); });
    EXPECT_EQ(Platform::encodeTextFile(QStringLiteral("ANSI"), QStringLiteral("Õ€")), QByteArray("\xD5\x80"));
}
