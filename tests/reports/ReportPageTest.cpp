#include "TestFolder.h"

#include "db/Connection.h"
#include "output/ReportContext.h"
#include "output/ReportDirectory.h"
#include "store/EventLocation.h"
#include "store/EventSetup.h"
#include "reports/ReportPage.h"
#include "store/EventSettings.h"
#include "base/KorventError.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

const QByteArray footer = "<br />\r\n<font size=1>Korvent - rogaining event secretariat</font></body></html>\r\n";

EventSettings eventSettings()
{
    EventSettings settings;
    settings.eventName = QStringLiteral("Spring Rogaine");
    settings.headingDate = QStringLiteral("4 May 2026");
    settings.eventArea = QStringLiteral("Lakeside");
    settings.organiser = QStringLiteral("OK Ilves");
    settings.firstStart = std::chrono::hours(10);
    settings.sunset = std::chrono::hours(21) + std::chrono::minutes(30);
    settings.sunrise = std::chrono::hours(5) + std::chrono::minutes(10);
    return settings;
}

} // namespace

TEST(ReportPage, WithoutHeaderThePageIsBodyAndFooter)
{
    ReportPage page;
    page.ReportHeader(QStringLiteral("NON"), QStringLiteral("Startlist"), QString(), eventSettings());
    page.append(QStringLiteral("<table class=\"\">"));
    page.append(QStringLiteral("Ütlus"));
    MemoryReportOutput written;
    const ReportFile file{ReportFolder::Results, QStringLiteral("startlist.htm")};
    page.FinishReport(written, file);
    EXPECT_EQ(written.bytes(file), QByteArray("\xEF\xBB\xBF<table class=\"\">\r\n\xC3\x9Ctlus\r\n") + footer);
}

TEST(ReportPage, PlaceholdersAreReplacedOnlyAsWholeLines)
{
    QTemporaryDir dir;
    const QString header = folderOf(dir) + QStringLiteral("header.htm");
    writeFile(header, "<html><head><title><%TITLE%></title></head><body>\r\n<%TITLE%>\r\n <%TITLE%>\r\n<%EVENT%>\r\n<%EDATE%>\r\n<%INFO%>\r\n<%info%>\r\n");
    ReportPage page;
    page.ReportHeader(header, QStringLiteral("Results"), QStringLiteral("the info"), eventSettings());
    EXPECT_EQ(page.lines(), QStringList({"<html><head><title><%TITLE%></title></head><body>", "Results", " <%TITLE%>", "Spring Rogaine",
                                         "4 May 2026", "the info", "<%info%>"}));
}

TEST(ReportPage, SettingsAndTitleAreTextNotMarkup)
{
    QTemporaryDir dir;
    const QString header = folderOf(dir) + QStringLiteral("header.htm");
    writeFile(header, "<%TITLE%>\n<%EVENT%>\n<%EDATE%>\n<%INFO%>\n");
    EventSettings settings = eventSettings();
    settings.eventName = QStringLiteral("Rock & Roll </h1><script>alert(1)</script>");
    settings.headingDate = QStringLiteral("<b>4 May</b>");
    settings.eventArea = QStringLiteral("\"Lake\" <side>");
    ReportPage page;
    page.ReportHeader(header, QStringLiteral("Results:") + settings.eventName, EventInfoBlock(settings), settings);
    EXPECT_EQ(page.lines(), QStringList({"Results:Rock &amp; Roll &lt;/h1&gt;&lt;script&gt;alert(1)&lt;/script&gt;",
                                         "Rock &amp; Roll &lt;/h1&gt;&lt;script&gt;alert(1)&lt;/script&gt;", "&lt;b&gt;4 May&lt;/b&gt;",
                                         "&lt;b&gt;4 May&lt;/b&gt;<br />&quot;Lake&quot; &lt;side&gt;<br />OK Ilves<br />Start:10:00:00"
                                         "<br />Sunset:21:30:00<br />Sunrise:05:10:00"}));
}

TEST(ReportPage, TemplateEncodingByByteOrderMark)
{
    QTemporaryDir dir;
    const QString header = folderOf(dir) + QStringLiteral("header.htm");
    QByteArray utf16("\xFF\xFE", 2);
    for (const char c : QByteArray("<b>\r\n<%TITLE%>\r\n"))
        utf16 += QByteArray(1, c) + QByteArray(1, '\0');
    writeFile(header, utf16);
    ReportPage page;
    page.ReportHeader(header, QStringLiteral("Täht"), QString(), eventSettings());
    EXPECT_EQ(page.lines(), QStringList({"<b>", "Täht"}));
}

TEST(ReportPage, AMissingOrUnreadableTemplateStopsTheReportNamingTheCause)
{
    QTemporaryDir dir;
    ReportPage page;
    const QString where = QStringLiteral("; set it as \"Results header\" on the \"Lists and extras\" tab of the event setup "
                                         "(key eResultHeader), or NON for pages without one");
    // The file looked for is named whole. A folder or a device is no template
    // either (/dev/zero would be read without end), and is named as such.
    const struct { QString header; QString message; } cases[] = {
        {folderOf(dir) + QStringLiteral("nõne.htm"), QStringLiteral("Can't find report header file ") + folderOf(dir) + QStringLiteral("nõne.htm") + where},
        {QString(), QStringLiteral("Can't find report header file: none is set") + where},
        {dir.path(), QStringLiteral("Cannot read report header file ") + dir.path() + QStringLiteral(": it is not a plain file") + where},
        {QStringLiteral("/dev/null"), QStringLiteral("Cannot read report header file /dev/null: it is not a plain file") + where},
    };
    for (const auto &c : cases) {
        try {
            page.ReportHeader(c.header, QStringLiteral("Startlist"), QString(), eventSettings());
            FAIL() << "a missing template was accepted: " << c.header.toStdString();
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), c.message);
        }
    }
}

TEST(ReportPage, TheHeaderIsFoundWhenTheReportIsMadeNeverInTheCurrentFolder)
{
    QTemporaryDir dir;
    // An installed program's files, and a current folder with a checkout's header in it.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(folderOf(dir) + QStringLiteral("home")));
    EventLocation location;
    location.program = ProgramFiles::installed(folderOf(dir) + QStringLiteral("share/korvent"));
    writeFile(location.program.sharedFolder + QStringLiteral("header.htm"), "shipped\n<%TITLE%>\n");
    writeFile(folderOf(dir) + QStringLiteral("common/header.htm"), "HIJACKED\n");
    const QString current = QDir::currentPath();
    QDir::setCurrent(dir.path());

    db::Connection connection(folderOf(dir) + QStringLiteral("rogain.abs"));
    EventSetup setup;
    MemoryReportOutput output;
    const ReportContext context{connection, setup, output, nullptr, QString(), &location};
    const auto firstLine = [&](const QString &header) {
        setup.settings.resultHeader = header;
        ReportPage page;
        page.ReportHeader(ReportHeaderFile(context), QStringLiteral("Results"), QString(), eventSettings());
        return page.lines().value(0);
    };
    for (const QString &header : {QStringLiteral("header.htm"), QStringLiteral("common/header.htm")})
        EXPECT_EQ(firstLine(header), QStringLiteral("shipped")) << header.toStdString();
    // The user's own, put there after the event was made, counts from the next report on.
    writeFile(location.program.userFile(QStringLiteral("header.htm")), "own\n");
    EXPECT_EQ(firstLine(QStringLiteral("common/header.htm")), QStringLiteral("own"));
    EXPECT_EQ(firstLine(folderOf(dir) + QStringLiteral("common/header.htm")), QStringLiteral("HIJACKED")); // named by its path
    setup.settings.resultHeader = QStringLiteral("NON");
    EXPECT_EQ(ReportHeaderFile(context), QStringLiteral("NON"));

    QDir::setCurrent(current);
    qputenv("HOME", home);
}

TEST(ReportPage, EventInfoBlockKeepsEmptySegments)
{
    EventSettings settings = eventSettings();
    EXPECT_EQ(EventInfoBlock(settings),
              QStringLiteral("4 May 2026<br />Lakeside<br />OK Ilves<br />Start:10:00:00<br />Sunset:21:30:00<br />Sunrise:05:10:00"));
    settings.eventArea.clear();
    EXPECT_TRUE(EventInfoBlock(settings).startsWith(QStringLiteral("4 May 2026<br /><br />OK Ilves")));
}

TEST(ReportPage, AgeInWholeYears)
{
    const QDate event(2012, 6, 30);
    EXPECT_EQ(AgeText(0, event), QString());
    EXPECT_EQ(AgeText(DateTime::fromDateAndTime(QDate(1900, 5, 1), QTime()), event), QString());
    EXPECT_EQ(AgeText(DateTime::fromDateAndTime(QDate(1970, 7, 1), QTime()), event), QStringLiteral("41"));
    EXPECT_EQ(AgeText(DateTime::fromDateAndTime(QDate(1970, 6, 29), QTime()), event), QStringLiteral("42"));
}

TEST(ReportPage, ReportFoldersAreMadeOnceAndNeverOverwritten)
{
    QTemporaryDir dir;
    const QString program = folderOf(dir) + QStringLiteral("program/");
    writeFile(program + QStringLiteral("common/style.css"), "new");
    writeFile(program + QStringLiteral("common/style_p.css"), "new print");
    const QString web = folderOf(dir) + QStringLiteral("event/web");
    PrepareReportDirectory(ProgramFiles::inProgramDirectory(program), web);
    EXPECT_EQ(readFile(web + QStringLiteral("/style_p.css")), QByteArray("new print"));
    writeFile(web + QStringLiteral("/style.css"), "organiser's");
    writeFile(program + QStringLiteral("common/style.css"), "newer");
    PrepareReportDirectory(ProgramFiles::inProgramDirectory(program), web);
    EXPECT_EQ(readFile(web + QStringLiteral("/style.css")), QByteArray("organiser's"));
}
