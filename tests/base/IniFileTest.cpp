#include "TestFolder.h"

#include "base/IniFile.h"
#include "base/KorventError.h"
#include "base/Platform.h"

#include <QLocale>
#include <gtest/gtest.h>

TEST(IniFile, ReadsValuesVerbatimWithoutCaseOnNames)
{
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("setup.ini");
    writeFile(name, "; comment\r\n[Event]\r\ndir=C:\\Events\\Rogain, 2026\r\nquoted=\"a,b\"\r\n[check]\nTeamsMinTimeWindow=90\nbad=x\n");
    const IniFile ini(name);
    EXPECT_EQ(ini.readString(QStringLiteral("event"), QStringLiteral("DIR")), QStringLiteral("C:\\Events\\Rogain, 2026"));
    EXPECT_EQ(ini.readString(QStringLiteral("event"), QStringLiteral("quoted")), QStringLiteral("\"a,b\""));
    EXPECT_EQ(ini.readInteger(QStringLiteral("check"), QStringLiteral("TeamsMinTimeWindow"), 60), 90);
    EXPECT_EQ(ini.readInteger(QStringLiteral("check"), QStringLiteral("bad"), 15), 15);
    EXPECT_EQ(ini.readInteger(QStringLiteral("check"), QStringLiteral("missing"), 15), 15);
    EXPECT_FALSE(ini.hasKey(QStringLiteral("nosection"), QStringLiteral("dir")));
}

TEST(IniFile, WritesCrLfAndKeepsOtherLines)
{
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("setup.ini");
    writeFile(name, "; keep me\r\n[event]\r\ndir=old\r\n[other]\r\nx=1\r\n");
    IniFile ini(name);
    ini.writeString(QStringLiteral("EVENT"), QStringLiteral("dir"), QStringLiteral("new, with comma"));
    ini.writeString(QStringLiteral("check"), QStringLiteral("TeamsTogetherControls"), QStringLiteral("15"));
    ini.save();
    EXPECT_EQ(readFile(name), QByteArray("; keep me\r\n[event]\r\ndir=new, with comma\r\n[other]\r\nx=1\r\n"
                                         "[check]\r\nTeamsTogetherControls=15\r\n"));

    IniFile again(name);
    again.eraseSection(QStringLiteral("other"));
    again.save();
    EXPECT_FALSE(IniFile(name).hasKey(QStringLiteral("other"), QStringLiteral("x")));
}

TEST(IniFile, UsesTheProgramTextEncoding)
{
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("setup.ini");
    ASSERT_TRUE(Platform::setTextEncoding(QStringLiteral("windows-1257")));
    IniFile ini(name);
    ini.writeString(QStringLiteral("fEventInfo"), QStringLiteral("eEventName"), QStringLiteral("Ąžuolų taurė 中"));
    ini.save();
    EXPECT_EQ(readFile(name), QByteArray("[fEventInfo]\r\neEventName=\xc0\xfeuol\xf8 taur\xeb ?\r\n"));
    EXPECT_EQ(IniFile(name).readString(QStringLiteral("fEventInfo"), QStringLiteral("eEventName")), QStringLiteral("Ąžuolų taurė ?"));
    ASSERT_TRUE(Platform::setTextEncoding(QStringLiteral("UTF-8")));
}

TEST(IniFile, UnwritableFileIsAnError)
{
    QTemporaryDir dir;
    IniFile ini(folderOf(dir) + QStringLiteral("missing-folder/setup.ini"));
    ini.writeString(QStringLiteral("event"), QStringLiteral("dir"), QStringLiteral("x"));
    EXPECT_THROW(ini.save(), KorventError);
}

TEST(IniFile, ALineBreakInAValueIsRefusedAndNothingWritten)
{
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("setup.ini");
    writeFile(name, "[fEventInfo]\r\nleName=Summer\r\ncbMultiReadout=0\r\n");
    IniFile ini(name);
    for (const char *value : {"Evil\r\ncbMultiReadout=1", "Evil\ncbMultiReadout=1", "Evil\r"})
        EXPECT_THROW(ini.writeString(QStringLiteral("fEventInfo"), QStringLiteral("leName"), QLatin1String(value)), KorventError) << value;
    EXPECT_THROW(ini.writeString(QStringLiteral("fEventInfo"), QStringLiteral("x\ny"), QStringLiteral("1")), KorventError);
    EXPECT_FALSE(ini.isModified());
    EXPECT_EQ(ini.readString(QStringLiteral("fEventInfo"), QStringLiteral("leName")), QStringLiteral("Summer"));
    EXPECT_EQ(readFile(name), QByteArray("[fEventInfo]\r\nleName=Summer\r\ncbMultiReadout=0\r\n"));
}

TEST(Platform, UnknownEncodingIsRefused)
{
    EXPECT_FALSE(Platform::setTextEncoding(QStringLiteral("no-such-encoding")));
    EXPECT_EQ(Platform::textEncoding(), QStringLiteral("UTF-8"));
}

TEST(Platform, EncodingsThatDoNotWriteAsciiAsAsciiAreRefused)
{
    for (const char *unfit : {"UTF-16", "UTF-16LE", "UTF-16BE", "UTF-32", "UTF-32LE", "UTF-32BE"}) {
        EXPECT_FALSE(Platform::setTextEncoding(QLatin1String(unfit))) << unfit;
        EXPECT_EQ(Platform::textEncoding(), QStringLiteral("UTF-8")) << unfit;
    }
    for (const char *fit : {"windows-1257", "ISO-8859-1", "UTF-8"})
        EXPECT_TRUE(Platform::setTextEncoding(QLatin1String(fit))) << fit;
}

TEST(IniFile, LinesNotChangedAreWrittenBackByteForByte)
{
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("setup.ini");
    // Bytes no encoding reads, a bare LF, a blank line and no final line end.
    const QByteArray binary = QByteArrayLiteral("\xff\xfe\x00\x01garbage=\x80\x81\n\n[event]\r\ndir=old\r\n\x89PNG\r\x1a\n[x]\r\nk=v");
    writeFile(name, binary);
    IniFile unchanged(name);
    unchanged.writeString(QStringLiteral("event"), QStringLiteral("dir"), QStringLiteral("old"));
    EXPECT_FALSE(unchanged.isModified());
    unchanged.save();
    EXPECT_EQ(readFile(name), binary);

    // A text file with bytes the encoding does not read keeps them where nothing changed.
    const QByteArray odd = QByteArrayLiteral("garbage=\x80\x81\n\n[event]\r\ndir=old\r\n\x89PNG\r\x1a\n[x]\r\nk=v");
    writeFile(name, odd);
    IniFile changed(name);
    changed.writeString(QStringLiteral("event"), QStringLiteral("dir"), QStringLiteral("new"));
    changed.writeString(QStringLiteral("x"), QStringLiteral("added"), QStringLiteral("1"));
    EXPECT_TRUE(changed.isModified());
    changed.save();
    EXPECT_EQ(readFile(name), QByteArrayLiteral("garbage=\x80\x81\n\n[event]\r\ndir=new\r\n\x89PNG\r\x1a\n[x]\r\nk=v\r\nadded=1\r\n"));
}

TEST(IniFile, RepeatedKeysAndSectionsAreNotReadAndNeverDeleted)
{
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("setup.ini");
    writeFile(name, "[s]\r\nk=1\r\n; note\r\nK=2\r\nj=3\r\n[t]\r\nx=1\r\n[S]\r\nk=4\r\n");
    IniFile ini(name);
    EXPECT_EQ(ini.readString(QStringLiteral("s"), QStringLiteral("k")), QStringLiteral("1"));
    EXPECT_EQ(ini.ignoredLines(QStringLiteral("s")), (QStringList{QStringLiteral("K=2"), QStringLiteral("[S]"), QStringLiteral("k=4")}));
    EXPECT_TRUE(ini.ignoredLines(QStringLiteral("t")).isEmpty());
    ini.eraseSection(QStringLiteral("s"));
    ini.writeString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("5"));
    ini.save();
    EXPECT_EQ(readFile(name), QByteArray("[s]\r\nk=5\r\nK=2\r\n[t]\r\nx=1\r\n[S]\r\nk=4\r\n"));
    EXPECT_EQ(IniFile(name).readString(QStringLiteral("s"), QStringLiteral("k")), QStringLiteral("5"));
}

TEST(IniFile, AFileThatIsNoTextInTheProgramsEncodingIsNeverWrittenInto)
{
    struct Case
    {
        const char *what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"UTF-16LE", QByteArray("\xFF\xFE[\0e\0v\0e\0n\0t\0]\0\r\0\n\0d\0i\0r\0=\0x\0\r\0\n\0", 30)},
        {"UTF-16BE", QByteArray("\xFE\xFF\0[\0e\0v\0e\0n\0t\0]\0\r\0\n", 20)},
        {"binary", QByteArray("\x7F" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\n[event]\n", 25)},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        const QString name = folderOf(dir) + QStringLiteral("setup.ini");
        writeFile(name, c.bytes);
        IniFile ini(name);
        try {
            ini.requireText();
            ADD_FAILURE() << c.what << " file read";
        } catch (const KorventError &error) {
            EXPECT_TRUE(error.message().startsWith(QStringLiteral("Cannot read %1: it is not a text file").arg(name))) << c.what;
        }
        ini.writeString(QStringLiteral("event"), QStringLiteral("dir"), QStringLiteral("/events/2026"));
        try {
            ini.save();
            ADD_FAILURE() << c.what << " file written into";
        } catch (const KorventError &error) {
            EXPECT_TRUE(error.message().startsWith(QStringLiteral("Cannot write %1: it is not a text file").arg(name)))
                << c.what << ": " << error.message().toStdString();
        }
        EXPECT_EQ(readFile(name), c.bytes) << c.what;
    }
}
