#include "EventDatabaseFixture.h"
#include "EventRows.h"
#include "ModalDialogs.h"

#include "scoring/CorrectionLog.h"
#include "scoring/ui/uEditControls.h"
#include "store/EventSetup.h"
#include "store/StatusTexts.h"
#include "store/TimeHelpers.h"
#include "store/uData.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct EditControlsFixture : EventDatabaseFixture
{
    SharedEventSetup setup;
    std::unique_ptr<TfEditControls> window;
    qint64 teamId = 0;
    qint64 runnerId = 0;

    void SetUp() override
    {
        EventDatabaseFixture::SetUp();
        EventSetup event;
        event.settings.eventDate = QDateTime(QDate(2026, 6, 13), QTime(0, 0));
        event.settings.firstStart = std::chrono::hours(10);
        event.classTree = {{QStringLiteral("H6<*>(10:00:00|006:00:00|00:30:00)"), 0}};
        setup.publish(event);
        for (const auto &[code, type, points] : {std::tuple{"31", "C", 30}, {"45", "C", 40}, {"S", "S", 0}, {"F", "F", 0}, {"200", "I", 0}})
            insertRow(*data, QStringLiteral("control"), {{"controlnr", code}, {"type", type}, {"points", points}});
        teamId = insertRow(*data, QStringLiteral("team"), {{"number", 12}, {"name", "Hill Runners"}, {"class", "H6"}});
        runnerId = insertRow(*data, QStringLiteral("runner"), {{"team_id", teamId}, {"started", true}});
        window = std::make_unique<TfEditControls>(folderOf(dir), *data, setup);
    }

    template <typename T>
    T *child(const char *name) const
    {
        T *widget = window->findChild<T *>(QLatin1String(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    QComboBox *list(const char *name) const { return child<QComboBox>(name); }

    void punch(const QString &code, const QString &time)
    {
        insertRow(*data, QStringLiteral("res_cp"), {{"team_id", teamId}, {"runner_id", runnerId}, {"KP", code}, {"status", PunchReadOK},
                                                   {"ctime", QStringLiteral("2026-06-13 ") + time}});
    }
    void open()
    {
        window->show();
        QApplication::setActiveWindow(window.get());
    }
    void find(const QString &number)
    {
        child<QLineEdit>("eTeamNR")->setText(number);
        QTest::keyClick(child<QLineEdit>("eTeamNR"), Qt::Key_Return);
    }
    static void choose(QComboBox *list, const QString &text)
    {
        list->setCurrentIndex(list->findText(text));
        ASSERT_GE(list->currentIndex(), 0) << text.toStdString();
    }
    void enter() { QTest::mouseClick(child<QPushButton>("btnEnter"), Qt::LeftButton); }
    // Enter on the Remove page: the question is answered; returns its text.
    QString enterAnswering(QMessageBox::StandardButton answer)
    {
        QString question;
        whenModal<QMessageBox>([&question, answer](QMessageBox *box) {
            question = box->text();
            box->button(answer)->click();
        });
        enter();
        return question;
    }
    Row team() const { return *findRow(*data, QStringLiteral("team"), teamId); }
    // The message box the team status change of the team numbered `number` shows.
    QString messageOfTeamStatusChange(const QString &number, const QString &status)
    {
        find(number);
        child<QTabWidget>("pcTeamStatus")->setCurrentIndex(3);
        choose(list("cbNewTeamStatus"), status);
        QString shown;
        whenModal<QMessageBox>([&shown](QMessageBox *box) {
            shown = box->text();
            box->accept();
        });
        enter();
        return shown;
    }
};

QStringList itemsOf(const QComboBox *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->itemText(i));
    return items;
}

} // namespace

TEST_F(EditControlsFixture, ControlsCaptionsAndListsOnShow)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Edit Controls"));
    EXPECT_TRUE(child<QLineEdit>("eTeamNR")->font().bold());
    EXPECT_EQ(child<QPushButton>("btnFind")->text(), QStringLiteral("&Find"));
    EXPECT_EQ(child<QCheckBox>("cbCalcTeamResult")->text(), QStringLiteral("&Calc.Team result"));
    EXPECT_EQ(child<QPushButton>("btnEnter")->text(), QStringLiteral("Enter"));
    for (const char *label : {"lTeamName", "lTeamClass", "lTeamStatus"})
        EXPECT_EQ(child<QLabel>(label)->text(), QStringLiteral(" - ")) << label;
    const auto *pages = child<QTabWidget>("pcTeamStatus");
    QStringList captions;
    for (int i = 0; i < pages->count(); ++i)
        captions.append(pages->tabText(i));
    EXPECT_EQ(captions, QStringList({"Add control", "Remove", "Change status", "Team Status"}));
    EXPECT_FALSE(pages->isEnabled());
    EXPECT_FALSE(child<QPushButton>("btnEnter")->isEnabled());
    EXPECT_EQ(child<QPlainTextEdit>("mLogi")->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(itemsOf(list("cbNewStatus")), QStringList({"OK-Read", "Man-NoTime", "DQ", "NA"}));
    EXPECT_EQ(itemsOf(list("cbNewTeamStatus")), QStringList({"OK", "LATE", "OutOfBounds", "DNF - W/D", "DQS", "DNS"}));

    open();
    // Code order; the check-in control 200 shows as its type letter in its place.
    for (const char *name : {"cbFromCtrl", "cbMissingControl", "cbRemoveControl", "cbControlNr"}) {
        EXPECT_EQ(itemsOf(list(name)), QStringList({"I", "31", "45", "F", "S"})) << name;
        EXPECT_EQ(list(name)->currentIndex(), -1) << name;
    }
}

TEST_F(EditControlsFixture, LabelsNameTheirFields)
{
    QHash<QString, QString> labelOf;
    for (const QLabel *label : window->findChildren<QLabel *>())
        if (label->buddy())
            labelOf[label->buddy()->objectName()] += label->text();
    EXPECT_EQ(labelOf.value(QStringLiteral("eTeamNR")), QStringLiteral("Team &number"));
    EXPECT_EQ(labelOf.value(QStringLiteral("cbFromCtrl")), QStringLiteral("From control"));
    EXPECT_EQ(labelOf.value(QStringLiteral("cbMissingControl")), QStringLiteral("To (missing) control"));
    EXPECT_EQ(labelOf.value(QStringLiteral("cbRemoveControl")), QStringLiteral("Control NR:"));
    EXPECT_EQ(labelOf.value(QStringLiteral("cbControlNr")), QStringLiteral("Control NR:"));
    EXPECT_EQ(labelOf.value(QStringLiteral("cbNewStatus")), QStringLiteral("New Status"));
    EXPECT_EQ(labelOf.value(QStringLiteral("cbNewTeamStatus")), QStringLiteral("New Status"));
}

TEST_F(EditControlsFixture, FindShowsTheTeamAndFocusesTheActivePage)
{
    updateRow(*data, QStringLiteral("team"), teamId, {{"rtime", 3661}});
    open();
    child<QTabWidget>("pcTeamStatus")->setCurrentIndex(2);
    find(QStringLiteral("12"));
    EXPECT_EQ(child<QLabel>("lTeamName")->text(), QStringLiteral("Hill Runners"));
    EXPECT_EQ(child<QLabel>("lTeamClass")->text(), QStringLiteral("H6"));
    EXPECT_EQ(child<QLabel>("lTeamStatus")->text(), QStringLiteral("NA 1:01:01"));
    EXPECT_TRUE(child<QTabWidget>("pcTeamStatus")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("btnEnter")->isEnabled());
    EXPECT_EQ(window->focusWidget(), list("cbControlNr"));

    // Not found: the pages close, the labels keep the team shown last.
    for (const char *number : {"99", "x"}) {
        find(QString::fromLatin1(number));
        EXPECT_FALSE(child<QTabWidget>("pcTeamStatus")->isEnabled()) << number;
        EXPECT_FALSE(child<QPushButton>("btnEnter")->isEnabled()) << number;
        EXPECT_EQ(child<QLabel>("lTeamName")->text(), QStringLiteral("Hill Runners")) << number;
    }
    QTest::mouseClick(child<QPushButton>("btnFind"), Qt::LeftButton);
    EXPECT_FALSE(child<QTabWidget>("pcTeamStatus")->isEnabled());
    child<QLineEdit>("eTeamNR")->setText(QStringLiteral("12"));
    QTest::mouseClick(child<QPushButton>("btnFind"), Qt::LeftButton);
    EXPECT_TRUE(child<QTabWidget>("pcTeamStatus")->isEnabled());
}

TEST_F(EditControlsFixture, EnterInTheListsMovesTheFocusToTheButton)
{
    open();
    const struct { int page; std::vector<const char *> chain; } cases[] = {
        {0, {"cbFromCtrl", "cbMissingControl", "btnEnter"}},
        {1, {"cbRemoveControl", "btnEnter"}},
        {2, {"cbControlNr", "cbNewStatus", "btnEnter"}},
        {3, {"cbNewTeamStatus", "btnEnter"}},
    };
    for (const auto &c : cases) {
        child<QTabWidget>("pcTeamStatus")->setCurrentIndex(c.page);
        find(QStringLiteral("12"));
        for (size_t i = 0; i + 1 < c.chain.size(); ++i) {
            ASSERT_EQ(window->focusWidget(), child<QWidget>(c.chain[i])) << c.page << ' ' << c.chain[i];
            QTest::keyClick(window->focusWidget(), Qt::Key_Return);
        }
        EXPECT_EQ(window->focusWidget(), child<QWidget>(c.chain.back())) << c.page;
    }
    // Nothing chosen anywhere: those Enters changed nothing.
    EXPECT_TRUE(window->logLines().isEmpty());
    EXPECT_EQ(data->rowCount(QStringLiteral("res_cp")), 0);
}

TEST_F(EditControlsFixture, AddControlPageAddsThePunchAndLogsIt)
{
    punch(QStringLiteral("31"), QStringLiteral("10:20:00"));
    open();
    find(QStringLiteral("12"));
    choose(list("cbFromCtrl"), QStringLiteral("31"));
    choose(list("cbMissingControl"), QStringLiteral("45"));
    // Enter on the focused button carries out the correction.
    child<QPushButton>("btnEnter")->setFocus();
    QTest::keyClick(child<QPushButton>("btnEnter"), Qt::Key_Return);

    const std::vector<Row> added = selectRows(*data, QStringLiteral("res_cp"), {{"KP", "45"}});
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].value("ctime").toString(), QStringLiteral("2026-06-13 10:25:00"));
    EXPECT_EQ(added[0].value("status").toInt(), PunchMan);
    const QString line = QStringLiteral("45 control added to team:12 >")
        + DateTimeText(true, DateTime::fromDateAndTime(QDate(2026, 6, 13), QTime(10, 25))) + QStringLiteral(" #:1");
    EXPECT_EQ(window->logLines(), QStringList({line}));
    EXPECT_EQ(window->focusWidget(), child<QWidget>("eTeamNR"));
    // On disk at once: a correction is never without its line.
    EXPECT_EQ(LoadCorrectionLog(folderOf(dir)), QStringList({line}));
}

TEST_F(EditControlsFixture, RemovingPunchesAsksFirstNamingTeamAndControl)
{
    punch(QStringLiteral("31"), QStringLiteral("10:20:00"));
    punch(QStringLiteral("31"), QStringLiteral("10:21:00"));
    open();
    find(QStringLiteral("12"));
    child<QTabWidget>("pcTeamStatus")->setCurrentIndex(1);
    choose(list("cbRemoveControl"), QStringLiteral("31"));
    EXPECT_EQ(enterAnswering(QMessageBox::No), QStringLiteral("Remove the punches of team 12 (Hill Runners) at control 31?"));
    EXPECT_EQ(data->rowCount(QStringLiteral("res_cp")), 2) << "No removes nothing";
    EXPECT_TRUE(window->logLines().isEmpty());

    // The box's default is No: a second Enter does not remove them.
    whenModal<QMessageBox>([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); });
    enter();
    EXPECT_EQ(data->rowCount(QStringLiteral("res_cp")), 2);

    enterAnswering(QMessageBox::Yes);
    EXPECT_EQ(data->rowCount(QStringLiteral("res_cp")), 0);
    EXPECT_EQ(window->logLines(), QStringList({"31 removed from team:12 #:2"}));
}

TEST_F(EditControlsFixture, APageWithNothingChosenInsertsAnEmptyLine)
{
    writeFile(folderOf(dir) + QStringLiteral("timelog.txt"), "31 removed from team:12 #:0\r\n");
    open();
    find(QStringLiteral("12"));
    child<QTabWidget>("pcTeamStatus")->setCurrentIndex(2);
    choose(list("cbControlNr"), QStringLiteral("31")); // the new status is missing
    enter();
    EXPECT_EQ(window->logLines(), QStringList({"", "31 removed from team:12 #:0"}));
    EXPECT_EQ(team().value("status").toInt(), TeamNew);
}

TEST_F(EditControlsFixture, NothingChosenStillCalculatesWhenAsked)
{
    punch(QStringLiteral("31"), QStringLiteral("11:00:00"));
    punch(QStringLiteral("F"), QStringLiteral("15:00:00"));
    open();
    find(QStringLiteral("12"));
    child<QTabWidget>("pcTeamStatus")->setCurrentIndex(3);
    child<QCheckBox>("cbCalcTeamResult")->setChecked(true);
    enter();
    EXPECT_EQ(window->logLines(), QStringList({QString()}));
    EXPECT_EQ(team().value("status").toInt(), TeamOK);
    EXPECT_EQ(team().value("result").toInt(), 30);
    EXPECT_TRUE(child<QLabel>("lTeamStatus")->text().startsWith(QLatin1String("OK ")));
}

TEST_F(EditControlsFixture, TeamStatusOkOnALateTeamEndsLateWhenCalculated)
{
    punch(QStringLiteral("31"), QStringLiteral("11:00:00"));
    punch(QStringLiteral("F"), QStringLiteral("16:45:00"));
    open();
    find(QStringLiteral("12"));
    child<QTabWidget>("pcTeamStatus")->setCurrentIndex(3);
    choose(list("cbNewTeamStatus"), QStringLiteral("OK"));

    enter();
    EXPECT_EQ(team().value("status").toInt(), TeamOK);
    EXPECT_EQ(window->logLines().first(), QStringLiteral("Team:12 Status:NA >OK"));

    child<QCheckBox>("cbCalcTeamResult")->setChecked(true);
    enter();
    EXPECT_EQ(team().value("status").toInt(), TeamLate);
    EXPECT_EQ(team().value("result").toInt(), -TeamLate);
    EXPECT_EQ(window->logLines().first(), QStringLiteral("Team:12 Status:OK >OK"));
    EXPECT_TRUE(child<QLabel>("lTeamStatus")->text().startsWith(QLatin1String("LATE ")));
}

TEST_F(EditControlsFixture, ALogAtTheDatabasesFileRefusesTheCorrectionBeforeItIsMade)
{
    open();
    ASSERT_TRUE(QFile::link(TdmData::databaseFileName(folderOf(dir)), CorrectionLogFileName(folderOf(dir))));
    const QString shown = messageOfTeamStatusChange(QStringLiteral("12"), QStringLiteral("DNS"));
    EXPECT_EQ(shown, QStringLiteral("Cannot write %1: it is the event's database").arg(CorrectionLogFileName(folderOf(dir))));
    EXPECT_EQ(team().value("status").toInt(), TeamNew);
    EXPECT_TRUE(window->logLines().isEmpty());
}

TEST_F(EditControlsFixture, AUtf16LogRefusesTheCorrectionAndIsLeftAsItIs)
{
    const QByteArray utf16("\xFF\xFE" "3\0" "1\0" "\r\0\n\0", 10);
    writeFile(CorrectionLogFileName(folderOf(dir)), utf16);
    open();
    const QString shown = messageOfTeamStatusChange(QStringLiteral("12"), QStringLiteral("DNS"));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Cannot write the edit log %1: line 1 is not text in UTF-8").arg(CorrectionLogFileName(folderOf(dir)))))
        << shown.toStdString();
    EXPECT_EQ(team().value("status").toInt(), TeamNew);
    EXPECT_EQ(readFile(CorrectionLogFileName(folderOf(dir))), utf16);
}

TEST_F(EditControlsFixture, ASharedNumberIsNamedWithItsTeamsWhileFound)
{
    insertRow(*data, QStringLiteral("team"), {{"number", 12}, {"name", "Valley Runners"}, {"class", "H6"}});
    insertRow(*data, QStringLiteral("team"), {{"number", 14}, {"name", "Alone"}, {"class", "H6"}});
    open();
    auto *shared = child<QLabel>("lSharedNumber");
    const struct
    {
        const char *number, *warning;
    } cases[] = {
        {"12", "Teams share the number 12: Hill Runners, Valley Runners; the correction goes to the first"},
        {"14", ""},
        {"99", ""},
        {"12", "Teams share the number 12: Hill Runners, Valley Runners; the correction goes to the first"},
    };
    for (const auto &c : cases) {
        find(QLatin1String(c.number));
        EXPECT_EQ(shared->text(), QString::fromUtf8(c.warning)) << c.number;
        EXPECT_EQ(shared->isVisible(), *c.warning != 0) << c.number;
    }
    EXPECT_EQ(child<QLabel>("lTeamName")->text(), QStringLiteral("Hill Runners"));
}

TEST_F(EditControlsFixture, TheLogSurvivesCloseAndReopenInOrder)
{
    writeFile(folderOf(dir) + QStringLiteral("timelog.txt"), "Team:12 Status:NA >DNS\r\n\r\n45 removed from team:12 #:0\r\n");
    punch(QStringLiteral("31"), QStringLiteral("10:20:00"));
    open();
    EXPECT_EQ(window->logLines(), QStringList({"Team:12 Status:NA >DNS", "", "45 removed from team:12 #:0"}));
    find(QStringLiteral("12"));
    child<QTabWidget>("pcTeamStatus")->setCurrentIndex(1);
    choose(list("cbRemoveControl"), QStringLiteral("31"));
    enterAnswering(QMessageBox::Yes);
    const QStringList lines = {"31 removed from team:12 #:1", "Team:12 Status:NA >DNS", "", "45 removed from team:12 #:0"};
    EXPECT_EQ(window->logLines(), lines);
    window->close();
    EXPECT_EQ(readFile(folderOf(dir) + QStringLiteral("timelog.txt")),
              QByteArray("31 removed from team:12 #:1\r\nTeam:12 Status:NA >DNS\r\n\r\n45 removed from team:12 #:0\r\n"));

    // Another event session: a new window shows the same lines in the same order.
    window = std::make_unique<TfEditControls>(folderOf(dir), *data, setup);
    open();
    EXPECT_EQ(window->logLines(), lines);
    window->close();
    EXPECT_EQ(LoadCorrectionLog(folderOf(dir)), lines);
}

struct EditControlsOfASeat : EditControlsFixture
{
    db::Engine engine() const override { return db::Engine::PostgreSQL; }
};

TEST_F(EditControlsOfASeat, ASeatWithoutALogFileOfItsOwnShowsTheSharedLog)
{
    // Another seat's correction; this seat has made none yet.
    EventRecords(folderOf(dir)).prependServerLog(QStringLiteral("Team:12 Status:OK >DNS"));
    open();
    EXPECT_EQ(window->logLines(), QStringList{QStringLiteral("Team:12 Status:OK >DNS")});
    EXPECT_FALSE(QFile::exists(CorrectionLogFileName(folderOf(dir))));
}

TEST_F(EditControlsFixture, LinesLoggedByAnotherProcessWhileTheWindowIsOpenStay)
{
    punch(QStringLiteral("31"), QStringLiteral("10:20:00"));
    open();
    // korvent-cli edit, run while the window is open.
    PrependCorrectionLog(folderOf(dir), QStringLiteral("Team:12 Status:NA >DNS"));
    find(QStringLiteral("12"));
    child<QTabWidget>("pcTeamStatus")->setCurrentIndex(1);
    choose(list("cbRemoveControl"), QStringLiteral("31"));
    enterAnswering(QMessageBox::Yes);
    const QStringList lines = {"31 removed from team:12 #:1", "Team:12 Status:NA >DNS"};
    EXPECT_EQ(window->logLines(), lines);
    PrependCorrectionLog(folderOf(dir), QStringLiteral("Team:12 Status:DNS >OK"));
    window->close();
    EXPECT_EQ(LoadCorrectionLog(folderOf(dir)), QStringList({"Team:12 Status:DNS >OK", "31 removed from team:12 #:1", "Team:12 Status:NA >DNS"}));
}

TEST_F(EditControlsFixture, LinesTheOperatorTypedStayAtTheNextCorrection)
{
    writeFile(folderOf(dir) + QStringLiteral("timelog.txt"), "45 removed from team:12 #:0\r\n");
    punch(QStringLiteral("31"), QStringLiteral("10:20:00"));
    open();
    auto *memo = child<QPlainTextEdit>("mLogi");
    memo->moveCursor(QTextCursor::Start);
    QTest::keyClicks(memo, QStringLiteral("Team 12 says the unit at 31 was broken"));
    QTest::keyClick(memo, Qt::Key_Return);
    // korvent-cli edit, meanwhile.
    PrependCorrectionLog(folderOf(dir), QStringLiteral("Team:12 Status:NA >DNS"));

    find(QStringLiteral("12"));
    child<QTabWidget>("pcTeamStatus")->setCurrentIndex(1);
    choose(list("cbRemoveControl"), QStringLiteral("31"));
    enterAnswering(QMessageBox::Yes);
    const QStringList lines = {"31 removed from team:12 #:1", "Team:12 Status:NA >DNS", "Team 12 says the unit at 31 was broken",
                               "45 removed from team:12 #:0"};
    EXPECT_EQ(window->logLines(), lines);
    EXPECT_EQ(LoadCorrectionLog(folderOf(dir)), lines);

    // Typed again and closed: written once, other lines kept.
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, QStringLiteral("checked"));
    PrependCorrectionLog(folderOf(dir), QStringLiteral("Team:12 Status:DNS >OK"));
    window->close();
    EXPECT_EQ(LoadCorrectionLog(folderOf(dir)), QStringList({"Team:12 Status:DNS >OK"}) + lines + QStringList({"checked"}));
}

TEST_F(EditControlsFixture, WhyPageExplainsTheTeamFoundAndFollowsEachCorrection)
{
    punch(QStringLiteral("31"), QStringLiteral("10:20:00"));
    punch(QStringLiteral("F"), QStringLiteral("15:00:00"));
    open();
    auto *pages = child<QTabWidget>("pcLog");
    auto *why = child<QPlainTextEdit>("mWhy");
    EXPECT_EQ(pages->tabText(0), QStringLiteral("Log"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Why"));
    QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(1).center());
    EXPECT_TRUE(why->isVisible());
    EXPECT_TRUE(why->isReadOnly());
    EXPECT_TRUE(why->toPlainText().isEmpty());

    find(QStringLiteral("12"));
    EXPECT_TRUE(why->toPlainText().startsWith(QStringLiteral("Team 12 \"Hill Runners\", class H6."))) << why->toPlainText().toStdString();
    EXPECT_TRUE(why->toPlainText().contains(QStringLiteral("Result: 30 points and 0 penalty points make 30."))) << why->toPlainText().toStdString();

    // The page follows the correction: control 31 disqualified, with its log line.
    pages->setCurrentIndex(0);
    child<QTabWidget>("pcTeamStatus")->setCurrentIndex(2);
    choose(list("cbControlNr"), QStringLiteral("31"));
    choose(list("cbNewStatus"), QStringLiteral("DQ"));
    enter();
    EXPECT_TRUE(why->toPlainText().contains(QStringLiteral("DQ: its first punch is stored as disqualified, so it gives no points. "
                                                           "Edit log: \"Team:12 Change control:31 status::DQ <<=ReadOK,\".")))
        << why->toPlainText().toStdString();
    EXPECT_TRUE(why->toPlainText().contains(QStringLiteral("No result: the team has 0 points.")));

    find(QStringLiteral("99"));
    EXPECT_TRUE(why->toPlainText().isEmpty());
}
