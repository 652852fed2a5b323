#include "PostgresCluster.h"
#include "TestFolder.h"

#include "shell/StartupSequence.h"
#include "base/IniFile.h"
#include "base/KorventError.h"
#include "base/MessageSink.h"
#include "base/Platform.h"
#include "store/DatabaseBinding.h"
#include "store/EventSettings.h"
#include "store/uData.h"

#include <gtest/gtest.h>

namespace {

// A program directory with common/ style sheets and an event folder beside it.
struct StartupFixture : ::testing::Test
{
    QTemporaryDir root;
    QString programDirectory;
    QString eventDirectory;

    void SetUp() override
    {
        programDirectory = folderOf(root) + QStringLiteral("program");
        eventDirectory = folderOf(root) + QStringLiteral("event");
        writeFile(programDirectory + QStringLiteral("/common/style.css"), "body { color: black; }");
        writeFile(programDirectory + QStringLiteral("/common/style_p.css"), "body { color: gray; }");
        QDir().mkpath(eventDirectory);
    }

    QString settingsFile() const { return programDirectory + QStringLiteral("/setup.ini"); }

    static StartupSequence::AskStartWindow answer(const QString &folder, bool confirmed, QString *shown = nullptr)
    {
        return [=](const QString &proposed) {
            if (shown)
                *shown = proposed;
            return StartWindowAnswer{folder, confirmed};
        };
    }

    struct Warnings : SilentMessages
    {
        QStringList texts;
        void warning(const QString &message) override { texts.append(message); }
    };

    static StartupSequence::AskStartWindow neverAsked()
    {
        return [](const QString &) -> StartWindowAnswer {
            ADD_FAILURE() << "the start window was shown";
            return {};
        };
    }
};

} // namespace

TEST_F(StartupFixture, FirstConfirmedStartRemembersTheFolderAndPreparesResults)
{
    QString shown;
    const EventLocation location = StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {}, answer(eventDirectory, true, &shown));

    EXPECT_EQ(shown, Platform::documentsFolder() + QStringLiteral("Korvent/Event")); // no setup.ini: a new folder in the user's documents
    EXPECT_TRUE(location.confirmed);
    EXPECT_EQ(location.program.settingsFile, settingsFile());
    EXPECT_EQ(location.eventDirectory, eventDirectory + u'/');
    EXPECT_EQ(location.resultsDirectory, eventDirectory + QStringLiteral("/results/"));
    EXPECT_EQ(location.teamsMinTimeWindow, 60);
    EXPECT_EQ(location.teamsTogetherControls, 15);
    EXPECT_EQ(IniFile(settingsFile()).readString(QStringLiteral("event"), QStringLiteral("dir")), eventDirectory);
    EXPECT_EQ(readFile(location.resultsDirectory + QStringLiteral("style.css")), QByteArray("body { color: black; }"));
    EXPECT_EQ(readFile(location.resultsDirectory + QStringLiteral("style_p.css")), QByteArray("body { color: gray; }"));
}

TEST_F(StartupFixture, FirstStartProposesANewFolderInTheDocumentsFolderThatExists)
{
    const QString home = folderOf(root) + QStringLiteral("h\u00e4me");
    const struct
    {
        const char *folder; // made under the home folder
        QString proposed;
    } cases[] = {
        {"Documents", home + QStringLiteral("/Documents/Korvent/Event")},
        {"Dokumendid", home + QStringLiteral("/Korvent/Event")}, // no documents folder: in the home folder
    };
    const QByteArray savedHome = qgetenv("HOME");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.toUtf8());
    qunsetenv("XDG_CONFIG_HOME");
    for (const auto &c : cases) {
        QDir(home).removeRecursively();
        QDir().mkpath(home + u'/' + QLatin1String(c.folder));
        QString shown;
        StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {}, answer(eventDirectory, false, &shown));
        EXPECT_EQ(shown.toStdString(), c.proposed.toStdString()) << c.folder;
    }
    qputenv("HOME", savedHome);
    if (savedConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", savedConfig);
    EXPECT_FALSE(QFile::exists(settingsFile())) << "a cancelled start writes nothing";
}

TEST_F(StartupFixture, CommandLineFolderSkipsTheStartWindow)
{
    writeFile(settingsFile(), "[event]\r\ndir=/somewhere/else\r\n[check]\r\nTeamsMinTimeWindow=90\r\nTeamsTogetherControls=20\r\n");
    const EventLocation location = StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {eventDirectory, QStringLiteral("ignored")}, neverAsked());
    EXPECT_TRUE(location.confirmed);
    EXPECT_EQ(location.eventDirectory, eventDirectory + u'/');
    EXPECT_EQ(location.teamsMinTimeWindow, 90);
    EXPECT_EQ(location.teamsTogetherControls, 20);
    EXPECT_EQ(IniFile(settingsFile()).readString(QStringLiteral("event"), QStringLiteral("dir")), eventDirectory);
}

TEST_F(StartupFixture, CancelledStartWindowOpensTheEventAndWritesNothing)
{
    const QByteArray settings("[event]\r\ndir=" + eventDirectory.toUtf8() + "\r\n");
    writeFile(settingsFile(), settings);
    QString shown;
    const EventLocation location = StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {}, answer(eventDirectory + u'/', false, &shown));
    EXPECT_EQ(shown, eventDirectory);
    EXPECT_FALSE(location.confirmed);
    EXPECT_EQ(location.eventDirectory, eventDirectory + u'/');
    EXPECT_EQ(readFile(settingsFile()), settings);
    EXPECT_FALSE(QDir(eventDirectory + QStringLiteral("/results")).exists());
}

TEST_F(StartupFixture, MissingEventFolderStopsWhateverButtonClosedTheWindow)
{
    for (bool confirmed : {true, false}) {
        try {
            StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {}, answer(folderOf(root) + QStringLiteral("nowhere"), confirmed));
            FAIL() << "a missing folder was accepted";
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("Event directory is missing: ") + folderOf(root) + QStringLiteral("nowhere"));
        }
    }
    EXPECT_THROW(StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {folderOf(root) + QStringLiteral("nowhere")}, neverAsked()), KorventError);
    EXPECT_FALSE(QFile::exists(settingsFile()));
}

TEST_F(StartupFixture, ExistingResultsFolderKeepsItsOwnStyleSheets)
{
    writeFile(eventDirectory + QStringLiteral("/results/style.css"), "/* the organiser's own */");
    const EventLocation location = StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {eventDirectory}, neverAsked());
    EXPECT_EQ(readFile(location.resultsDirectory + QStringLiteral("style.css")), QByteArray("/* the organiser's own */"));
    EXPECT_FALSE(QFile::exists(location.resultsDirectory + QStringLiteral("style_p.css")));
}

TEST_F(StartupFixture, MissingStyleSheetsLeaveTheNewResultsFolderEmpty)
{
    QFile::remove(programDirectory + QStringLiteral("/common/style.css"));
    QFile::remove(programDirectory + QStringLiteral("/common/style_p.css"));
    const EventLocation location = StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {eventDirectory}, neverAsked());
    EXPECT_TRUE(QDir(location.resultsDirectory).exists());
    EXPECT_TRUE(QDir(location.resultsDirectory).isEmpty());
}

TEST_F(StartupFixture, CodepageOfTheProgramSettingsSetsTheTextEncoding)
{
    writeFile(settingsFile(), "[system]\r\ncodepage=windows-1257\r\n");
    StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {eventDirectory}, neverAsked());
    EXPECT_EQ(Platform::textEncoding(), QStringLiteral("windows-1257"));
    Platform::setTextEncoding(QStringLiteral("UTF-8"));

    writeFile(settingsFile(), "[system]\r\ncodepage=klingon-42\r\n");
    try {
        StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {eventDirectory}, neverAsked());
        FAIL() << "an unknown encoding was accepted";
    } catch (const KorventError &error) {
        EXPECT_TRUE(error.message().contains(QLatin1String("klingon-42")));
    }
    EXPECT_EQ(Platform::textEncoding(), QStringLiteral("UTF-8"));
}

TEST_F(StartupFixture, CodepageUnfitForTextFilesIsRefusedLikeAnUnknownOne)
{
    for (const char *codepage : {"UTF-16", "UTF-32LE", "klingon-42"}) {
        const QByteArray settings = QByteArray("[system]\r\ncodepage=") + codepage + "\r\n";
        writeFile(settingsFile(), settings);
        try {
            StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {eventDirectory}, neverAsked());
            ADD_FAILURE() << codepage << " was accepted";
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("Unknown text encoding \"%1\" in [system] codepage of %2")
                                           .arg(QLatin1String(codepage), settingsFile()));
        }
        EXPECT_EQ(Platform::textEncoding(), QStringLiteral("UTF-8")) << codepage;
        EXPECT_EQ(readFile(settingsFile()), settings) << codepage;
    }
}

TEST_F(StartupFixture, ProgramSettingsAreRewrittenOnlyWhenTheFolderChanges)
{
    // Not a text file this program can read, but naming the folder.
    const QByteArray binary = QByteArrayLiteral("\x00\x01\xfe\xff\x80stuff\r\n[event]\r\ndir=") + eventDirectory.toUtf8()
        + QByteArrayLiteral("\r\n\x9c\xa0\x00" "end");
    writeFile(settingsFile(), binary);
    StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {eventDirectory}, neverAsked());
    EXPECT_EQ(readFile(settingsFile()), binary);

    // Another folder is not written into such a file, and the operator is told
    // why; the event opens all the same.
    const QString otherEvent = folderOf(root) + QStringLiteral("other");
    QDir().mkpath(otherEvent);
    Warnings warnings;
    const EventLocation other = StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {otherEvent}, neverAsked(), {}, {}, &warnings);
    ASSERT_EQ(warnings.texts.size(), 1);
    EXPECT_TRUE(warnings.texts.first().startsWith(QStringLiteral("The last event cannot be remembered: Cannot write %1: it is not a text file").arg(settingsFile())))
        << warnings.texts.first().toStdString();
    EXPECT_TRUE(QDir(other.resultsDirectory).exists());
    EXPECT_EQ(readFile(settingsFile()), binary);

    // A text file with bytes this program cannot read gets the line changed in place.
    const QByteArray odd = QByteArrayLiteral("\x80stuff\r\n[event]\r\ndir=") + eventDirectory.toUtf8() + QByteArrayLiteral("\r\n\x9c\xa0" "end");
    writeFile(settingsFile(), odd);
    StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {otherEvent}, neverAsked());
    QByteArray expected = odd;
    expected.replace(eventDirectory.toUtf8() + "\r\n", otherEvent.toUtf8() + "\r\n");
    EXPECT_EQ(readFile(settingsFile()), expected);
}

TEST_F(StartupFixture, AFolderTheEventOpeningRefusesGetsNothingAndIsNotRemembered)
{
    const QByteArray settings("[event]\r\ndir=/events/last\r\n");
    writeFile(settingsFile(), settings);
    writeFile(eventDirectory + QStringLiteral("/rogain.abs"), "the accounts of another program");
    int opened = 0;
    const auto refuseEvent = [&opened](const EventLocation &location) {
        ++opened;
        EXPECT_EQ(location.eventDirectory.right(1), QStringLiteral("/"));
        TdmData data(location.eventDirectory);
    };
    EXPECT_THROW(StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {eventDirectory}, neverAsked(), refuseEvent), KorventError);
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(QDir(eventDirectory + QStringLiteral("/results")).exists());
    EXPECT_EQ(readFile(settingsFile()), settings);
    EXPECT_EQ(readFile(eventDirectory + QStringLiteral("/rogain.abs")), QByteArray("the accounts of another program"));
}

TEST_F(StartupFixture, AMissingFolderConfirmedInTheStartWindowIsCreatedOnlyWhenTheUserSaysYes)
{
    const QString typed = folderOf(root) + QStringLiteral("events/Rogain Tõrva");
    const struct
    {
        QList<bool> answers; // to "create it?", in turn
        bool created;
    } cases[] = {
        {{true}, true},
        {{false, true}, true}, // no: the start window again, with the folder typed
        {{false, false}, false},
    };
    for (const auto &c : cases) {
        QDir(folderOf(root) + QStringLiteral("events")).removeRecursively();
        QStringList shown, asked;
        int windows = 0;
        const auto startWindow = [&](const QString &proposed) {
            shown.append(proposed);
            ++windows;
            // The last "no" is followed by Cancel.
            return StartWindowAnswer{typed, windows <= c.answers.size()};
        };
        const auto askCreate = [&](const QString &path) {
            asked.append(path);
            return c.answers.at(asked.size() - 1);
        };
        QStringList opened;
        const auto openEvent = [&](const EventLocation &location) { opened.append(location.eventDirectory); };
        if (c.created) {
            const EventLocation location = StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {}, startWindow, openEvent, askCreate);
            EXPECT_TRUE(location.confirmed);
            EXPECT_EQ(opened, QStringList({typed + u'/'}));
            EXPECT_EQ(IniFile(settingsFile()).readString(QStringLiteral("event"), QStringLiteral("dir")), typed);
        } else {
            try {
                StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {}, startWindow, openEvent, askCreate);
                ADD_FAILURE() << "a folder not created was opened";
            } catch (const KorventError &error) {
                EXPECT_EQ(error.message(), QStringLiteral("Event directory is missing: ") + typed);
            }
            EXPECT_TRUE(opened.isEmpty());
        }
        EXPECT_EQ(QFileInfo(typed).isDir(), c.created);
        EXPECT_EQ(asked, QStringList(c.answers.size(), typed));
        EXPECT_EQ(shown.mid(1), QStringList(shown.size() - 1, typed)) << "the start window comes back with the folder typed";
    }
}

TEST_F(StartupFixture, ANewEventGetsTheProgramsReportHeaderAndAnExistingOneKeepsItsOwn)
{
    const auto openEvent = [](const EventLocation &location) { TdmData data(location.eventDirectory); };
    const auto header = [this] { return EventSettings::load(eventDirectory + u'/').resultHeader; };

    // Cancelled start window: the event opens, nothing of it is written.
    StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {}, answer(eventDirectory, false), openEvent);
    EXPECT_FALSE(QFile::exists(EventSettings::fileName(eventDirectory + u'/')));
    QFile::remove(TdmData::databaseFileName(eventDirectory + u'/'));

    StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {eventDirectory}, neverAsked(), openEvent);
    EXPECT_EQ(header(), QStringLiteral("header.htm"));

    // An existing event: its header, even an empty one, is the organiser's.
    EventSettings::update(eventDirectory + u'/', [](EventSettings &settings) { settings.resultHeader.clear(); });
    StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {eventDirectory}, neverAsked(), openEvent);
    EXPECT_EQ(header(), QString());

    // A folder with settings but no database yet keeps the header it names.
    QFile::remove(TdmData::databaseFileName(eventDirectory + u'/'));
    StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {eventDirectory}, neverAsked(), openEvent);
    EXPECT_EQ(header(), QString());
}

TEST_F(StartupFixture, AnEventOnAServerGetsTheHeaderFromTheFirstSeatThatOpensIt)
{
    SKIP_WITHOUT_POSTGRES();
    const QString seat1 = eventDirectory + u'/', seat2 = folderOf(root) + QStringLiteral("seat2/");
    QDir().mkpath(seat2);
    const db::DatabaseAddress server = PostgresCluster::instance()->newDatabase();
    BindEventToServer(seat1, server);
    BindEventToServer(seat2, server);
    const ProgramFiles program = ProgramFiles::inProgramDirectory(programDirectory);
    const auto openEvent = [](const EventLocation &location) { TdmData data(location.eventDirectory); };
    const auto header = [&] { return EventSettings::load(seat2).resultHeader; };

    // A command on the folder alone (db use) never reaches for the server.
    writeFile(DatabaseBindingFileName(seat1), "postgresql://nobody@%2Fnowhere/none\n");
    StartupSequence::settle(program, {seat1}, neverAsked());
    BindEventToServer(seat1, server);

    StartupSequence::settle(program, {seat1}, neverAsked(), openEvent);
    EXPECT_EQ(header(), QStringLiteral("header.htm"));
    EXPECT_FALSE(QFile::exists(EventSettings::fileName(seat1)));
    // Emptied at one seat, it stays empty when the other starts.
    EventSettings::update(seat1, [](EventSettings &settings) { settings.resultHeader.clear(); });
    StartupSequence::settle(program, {seat2}, neverAsked(), openEvent);
    EXPECT_EQ(header(), QString());
}

TEST_F(StartupFixture, AnInstalledProgramRemembersTheEventInTheUsersConfigurationFolder)
{
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(folderOf(root) + QStringLiteral("home")));
    ProgramFiles program = ProgramFiles::installed(programDirectory + QStringLiteral("/common"));
    writeFile(program.userFile(QStringLiteral("style.css")), "body { color: navy; }");

    const EventLocation location = StartupSequence::settle(program, {eventDirectory}, neverAsked());
    qputenv("HOME", home);

    EXPECT_EQ(IniFile(program.settingsFile).readString(QStringLiteral("event"), QStringLiteral("dir")), eventDirectory);
    EXPECT_FALSE(QFileInfo::exists(settingsFile()));
    // The user's own style sheet first, the shipped one where the user has none.
    EXPECT_EQ(readFile(location.resultsDirectory + QStringLiteral("style.css")), QByteArray("body { color: navy; }"));
    EXPECT_EQ(readFile(location.resultsDirectory + QStringLiteral("style_p.css")), QByteArray("body { color: gray; }"));
}

TEST_F(StartupFixture, TheLastEventIsRememberedByItsAbsolutePath)
{
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(programDirectory));
    const EventLocation location = StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {QStringLiteral("../event")}, neverAsked());
    QDir::setCurrent(current);
    EXPECT_EQ(location.eventDirectory, QStringLiteral("../event/"));
    EXPECT_EQ(IniFile(settingsFile()).readString(QStringLiteral("event"), QStringLiteral("dir")), eventDirectory);

    // From anywhere else the same folder is the one already remembered: nothing is written.
    const QByteArray remembered = readFile(settingsFile());
    StartupSequence::settle(ProgramFiles::inProgramDirectory(programDirectory), {eventDirectory + QStringLiteral("/")}, neverAsked());
    EXPECT_EQ(readFile(settingsFile()), remembered);
}

TEST_F(StartupFixture, AConfigurationFolderThatCannotBeWrittenLeavesTheEventUnrememberedNotUndone)
{
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    // A file where the home folder would be; no home at all.
    writeFile(folderOf(root) + QStringLiteral("config-is-a-file"), "");
    const struct
    {
        const char *home;
        QString config;
        QString reason;
    } cases[] = {
        {"config-is-a-file", QString(), QStringLiteral("cannot make the folder ") + folderOf(root) + QStringLiteral("config-is-a-file/")},
        {nullptr, QString(), QStringLiteral("HOME is not set, so there is no configuration folder")},
    };
    for (const auto &c : cases) {
        if (c.home)
            qputenv("HOME", QFile::encodeName(folderOf(root) + QLatin1String(c.home)));
        else
            qunsetenv("HOME");
        if (c.config.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(c.config));
        const ProgramFiles program = ProgramFiles::installed(programDirectory + QStringLiteral("/common"));
        QDir(eventDirectory).removeRecursively();
        QDir().mkpath(eventDirectory);
        Warnings warnings;
        const EventLocation location = StartupSequence::settle(
            program, {eventDirectory}, neverAsked(), [](const EventLocation &event) { TdmData data(event.eventDirectory); }, {}, &warnings);
        ASSERT_EQ(warnings.texts.size(), 1) << c.reason.toStdString();
        EXPECT_TRUE(warnings.texts.first().startsWith(QStringLiteral("The last event cannot be remembered: ") + c.reason))
            << warnings.texts.first().toStdString();
        // The event is whole: its database, its header and its results folder with the style sheets.
        EXPECT_TRUE(QFile::exists(TdmData::databaseFileName(location.eventDirectory)));
        EXPECT_EQ(EventSettings::load(location.eventDirectory).resultHeader, QStringLiteral("header.htm"));
        EXPECT_EQ(readFile(location.resultsDirectory + QStringLiteral("style.css")), QByteArray("body { color: black; }"));
    }
    qputenv("HOME", home);
    if (config.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", config);
}
