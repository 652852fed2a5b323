#include "base/KorventError.h"
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

TEST(TextFileEncodings, ADecodingErrorNamesItsLineWhateverTheLineEnds)
{
    const struct
    {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        {"CR LF", "id\r\n1;A\r\n2;\xFF\r\n"},
        {"LF", "id\n1;A\n2;\xFF\n"},
        {"CR alone", "id\r1;A\r2;\xFF\r"},
        {"CR alone before the bad byte", "id\r1;A\r\xFF\r"},
    };
    for (const auto &c : cases) {
        try {
            Platform::decodeTextFile(QStringLiteral("UTF-8"), c.bytes);
            ADD_FAILURE() << c.what << ": decoded";
        } catch (const KorventError &error) {
            EXPECT_TRUE(error.message().startsWith(QLatin1String("Line 3 is not UTF-8 text"))) << c.what << ": " << error.message().toStdString();
        }
    }
}

TEST(TextFileEncodings, AUtf16FileReadInAnotherEncodingIsAnError)
{
    const QString text = QStringLiteral("id\r\n1;Mägi\r\n");
    const QByteArray little = *Platform::encodeTextFile(QStringLiteral("Unicode"), text);
    const QByteArray big = *Platform::encodeTextFile(QStringLiteral("Big Endian Unicode"), text);
    EXPECT_EQ(Platform::decodeTextFile(QStringLiteral("Unicode"), little), text);
    EXPECT_EQ(Platform::decodeTextFile(QStringLiteral("Big Endian Unicode"), big), text);
    const struct
    {
        const char *chosen;
        QByteArray bytes;
        const char *written;
    } cases[] = {
        {"Big Endian Unicode", little, "Unicode"},
        {"Unicode", big, "Big Endian Unicode"},
        {"ANSI", little, "Unicode"},
        {"UTF-7", big, "Big Endian Unicode"},
    };
    for (const auto &c : cases) {
        try {
            Platform::decodeTextFile(QLatin1String(c.chosen), c.bytes);
            ADD_FAILURE() << c.written << " read as " << c.chosen;
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("Line 1 starts with the byte-order mark of %1 text, not %2 text; "
                                                      "choose the encoding the file was written in")
                                           .arg(QLatin1String(c.written), QLatin1String(c.chosen)));
        }
    }
}
