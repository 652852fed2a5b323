#include "ModalDialogs.h"
#include "EventRows.h"
#include "DatabaseDump.h"
#include "TestFolder.h"

#include "base/KorventError.h"
#include "base/MessageSink.h"
#include "base/Platform.h"
#include "base/WorkProgress.h"
#include "db/EditableTableModel.h"
#include "entries/EntryImport.h"
#include "base/ui/TextFileDialog.h"
#include "entries/ui/uChooseSelect.h"
#include "entries/ui/uTeamControls.h"
#include "entries/ui/uNumberTeams.h"
#include "entries/ui/uTeams.h"
#include "entries/ui/uViewControls.h"
#include "reports/ui/uMDItekst.h"
#include "scoring/TeamCalculation.h"
#include "shell/EventGenerator.h"
#include "store/EventSetup.h"
#include "store/StatusTexts.h"
#include "store/TimeHelpers.h"
#include "store/uData.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QListWidget>
#include <QLocale>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QStringList itemsOf(const QComboBox *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->itemText(i));
    return items;
}

struct TeamsWindowFixture : ::testing::Test
{
    QTemporaryDir dir;
    EventLocation location;
    std::unique_ptr<TdmData> data;
    SharedEventSetup setup;
    std::unique_ptr<TfTeams> window;

    void SetUp() override
    {
        location.program = ProgramFiles::inProgramDirectory(folderOf(dir));
        location.eventDirectory = folderOf(dir) + QStringLiteral("event/");
        location.confirmed = true;
        QDir().mkpath(location.eventDirectory);
        writeFile(location.program.userFolder + QStringLiteral("countrys.txt"), "EST=Estonia\r\nFIN=Finland\r\n");
        data = std::make_unique<TdmData>(location.eventDirectory);
        EventSetup event;
        event.settings.eventDate = QDateTime(QDate(2026, 6, 13), QTime(0, 0));
        event.settings.extraClasses = QStringLiteral("SC1;SC2");
        event.classTree = {{QStringLiteral("H12<*>(10:00:00|012:00:00|00:30:00)"), 0}, {QStringLiteral("H12"), 1},
                           {QStringLiteral("D6<*>(10:00:00|006:00:00|00:30:00)"), 0}, {QStringLiteral("D6"), 1}};
        setup.publish(event);
    }
    qint64 team(int number, const char *name, const char *className = "H12")
    {
        return insertRow(*data, QStringLiteral("team"),
                               {{"number", number}, {"name", QLatin1String(name)}, {"class", QLatin1String(className)}});
    }
    qint64 runner(qint64 teamId, const char *lastName, const char *chip = "")
    {
        return insertRow(*data, QStringLiteral("runner"),
                               {{"team_id", teamId}, {"lastname", QLatin1String(lastName)}, {"chipnr", QLatin1String(chip)}});
    }
    void open()
    {
        window = std::make_unique<TfTeams>(location, *data, setup);
        window->show();
        QApplication::setActiveWindow(window.get());
    }
    template <typename T>
    T *child(const char *name) const
    {
        T *widget = window->findChild<T *>(QLatin1String(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    QTableView *teamGrid() const { return child<QTableView>("dbgTeams"); }
    // The names of the teams the grid shows, in order.
    QStringList shownTeams() const
    {
        db::EditableTableModel *teams = window->teamModel();
        while (teams->canFetchMore())
            teams->fetchMore();
        QStringList names;
        for (int row = 0; row < teams->rowCount(); ++row)
            names.append(teams->value(row, QStringLiteral("name")).toString());
        return names;
    }
    QString currentTeamName() const
    {
        const int row = teamGrid()->currentIndex().row();
        return row < 0 ? QString() : window->teamModel()->value(row, QStringLiteral("name")).toString();
    }
    void filter(const char *field, const char *text)
    {
        auto *fields = child<QComboBox>("cbFindField");
        fields->setCurrentIndex(fields->findText(QLatin1String(field)));
        auto *value = child<QLineEdit>("eFind");
        value->clear();
        QTest::keyClicks(value, QLatin1String(text));
        QTest::keyClick(value, Qt::Key_Return);
    }
    QAction *action(const char *name) const { return window->findChild<QAction *>(QLatin1String(name)); }
    QString resultField(const char *field) const
    {
        return child<QLineEdit>(QByteArray("dbe_") + field)->text();
    }
};

} // namespace

TEST_F(TeamsWindowFixture, GridsMenusAndFieldLists)
{
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Teams"));
    QStringList titles;
    for (int c = 0; c < window->teamModel()->columnCount(); ++c)
        titles.append(window->teamModel()->headerData(c, Qt::Horizontal).toString());
    EXPECT_EQ(titles, QStringList({"Number", "Class", "Ex.Class", "Name", "Club", "Country"}));
    EXPECT_EQ(itemsOf(child<QComboBox>("cbFindField")),
              QStringList({"Number|number", "Class|class", "Ex.Class|subclass", "Name|name", "Club|club", "Country|country"}));
    EXPECT_EQ(itemsOf(child<QComboBox>("cbFindRunner")),
              QStringList({"Firstname|firstname", "Lastname|lastname", "Sex|sex", "Club|club", "Country|country",
                           "Birthdate|birthdate", "Chipnr|chipnr", "Rent|rentchip", "ST.|started"}));
    const auto *pages = child<QTabWidget>("pcTeams");
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0), QStringLiteral("Runners"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Results"));
    EXPECT_EQ(pages->tabText(2), QStringLiteral("Notes"));

    const auto menus = child<QMenuBar>("mmTeams")->actions();
    ASSERT_EQ(menus.size(), 2);
    QStringList edit;
    for (QAction *item : menus[0]->menu()->actions())
        edit.append(item->isSeparator() ? QStringLiteral("-") : item->text());
    EXPECT_EQ(edit, QStringList({"Import teams", "Import chips", "Number teams", "-", "Check Data"}));
    EXPECT_TRUE(action("CheckData1")->isEnabled());
    EXPECT_TRUE(action("CheckData1")->isVisible());
    EXPECT_EQ(menus[1]->text(), QStringLiteral("&View"));
    EXPECT_EQ(action("Controls1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
    EXPECT_EQ(action("RunnerControls1")->text(), QStringLiteral("Runner Controls (edit) "));
    EXPECT_EQ(action("RunnerControls1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
    EXPECT_EQ(action("Results1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
}

TEST_F(TeamsWindowFixture, FilterByOneField)
{
    team(1, "Alpha", "H12");
    team(2, "Beta", "D6");
    team(3, "Gamma", "h12");
    team(12, "Delta", "H12");
    team(0, "Zero", "D6");
    open();
    EXPECT_EQ(shownTeams(), QStringList({"Zero", "Alpha", "Beta", "Gamma", "Delta"}));

    const struct { const char *field; const char *text; QStringList shown; } cases[] = {
        {"Class|class", "h12", {"Alpha", "Gamma", "Delta"}},
        {"Class|class", "", {"Zero", "Alpha", "Beta", "Gamma", "Delta"}},
        {"Number|number", "12x", {"Zero"}},
        {"Number|number", "12", {"Delta"}},
        {"Name|name", "'; DELETE FROM team; --", {}},
        {"Name|name", "%", {}},
        {"Name|name", "beta", {"Beta"}},
    };
    for (const auto &c : cases) {
        filter(c.field, c.text);
        EXPECT_EQ(shownTeams(), c.shown) << c.field << " " << c.text;
    }
    // The runner grid follows the current team of the filtered grid.
    EXPECT_EQ(currentTeamName(), QStringLiteral("Beta"));
    // Closing switches the filter off.
    window->close();
    window->show();
    EXPECT_EQ(shownTeams().size(), 5);
    EXPECT_TRUE(child<QLineEdit>("eFind")->text().isEmpty());
}

TEST_F(TeamsWindowFixture, RunnerSearchStepsThroughItsHits)
{
    const qint64 one = team(1, "One"), two = team(2, "Two"), three = team(3, "Three");
    team(4, "Four");
    runner(one, "Marsh");
    runner(two, "Tamar");
    runner(three, "Omar");
    runner(three, "Lee");
    open();
    auto *fields = child<QComboBox>("cbFindRunner");
    fields->setCurrentIndex(fields->findText(QStringLiteral("Lastname|lastname")));
    auto *text = child<QLineEdit>("eFindRunner");
    QTest::keyClicks(text, QStringLiteral("mar"));
    auto *find = child<QPushButton>("btnFindRunner");
    QStringList shown;
    for (int click = 0; click < 4; ++click) {
        QTest::mouseClick(find, Qt::LeftButton);
        shown.append(currentTeamName());
    }
    EXPECT_EQ(shown, QStringList({"One", "Two", "Three", "Three"}));
    EXPECT_EQ(window->currentTeamId(), three);
    EXPECT_EQ(window->runnerModel()->rowCount(), 2);

    // Editing the text starts a new search; a text nobody has says so.
    QString message;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        message = box->text();
        box->accept();
    });
    QTest::keyClicks(text, QStringLiteral("x"));
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(message, QStringLiteral("No record"));
    EXPECT_FALSE(window->runnerSearch().active());
    EXPECT_EQ(currentTeamName(), QStringLiteral("Three"));
}

TEST_F(TeamsWindowFixture, PickListsOfferCountriesSubClassesAndExtraClasses)
{
    team(1, "One");
    open();
    const auto editorItems = [&](const char *field) {
        QTableView *grid = teamGrid();
        const QModelIndex cell = window->teamModel()->index(0, window->teamModel()->columnOf(QLatin1String(field)));
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto *combo = qobject_cast<QComboBox *>(grid->indexWidget(cell));
        const QStringList items = combo ? itemsOf(combo) : QStringList{QStringLiteral("no pick list")};
        if (combo)
            QTest::keyClick(combo, Qt::Key_Escape);
        return items;
    };
    EXPECT_EQ(editorItems("class"), QStringList({"D6", "H12"}));
    EXPECT_EQ(editorItems("subclass"), QStringList({"SC1", "SC2"}));
    EXPECT_EQ(editorItems("country"), QStringList({"EST", "FIN"}));
}

TEST_F(TeamsWindowFixture, EditsAreWrittenAtOnceAndADeletedTeamTakesItsRunners)
{
    const qint64 one = team(1, "One");
    const qint64 two = team(2, "Two");
    runner(one, "Lee");
    runner(one, "Ox");
    const qint64 kept = runner(two, "Kept");
    open();

    // A new runner of the current team.
    QTableView *runners = child<QTableView>("dbgRunners");
    QTest::mouseClick(child<QWidget>("DBNavigator2")->findChild<QWidget *>(QStringLiteral("nbInsert")), Qt::LeftButton);
    auto *editor = qobject_cast<QLineEdit *>(runners->indexWidget(runners->currentIndex()));
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor, QStringLiteral("Anna"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents(); // the grid commits an edit ended by Return once its events run
    const auto added = selectRows(*data, QStringLiteral("runner"), {{QStringLiteral("firstname"), QStringLiteral("Anna")}});
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added.front().value("team_id").toLongLong(), one);

    // The note is written when the operator leaves it.
    auto *note = child<QPlainTextEdit>("teamNote");
    child<QTabWidget>("pcTeams")->setCurrentIndex(2);
    note->setFocus();
    QTest::keyClicks(note, QStringLiteral("Late entry"));
    teamGrid()->setFocus();
    EXPECT_EQ(findRow(*data, QStringLiteral("team"), one)->value("teamNote").toString(), QStringLiteral("Late entry"));

    QString question;
    whenModal<QMessageBox>([&question](QMessageBox *box) {
        question = box->text();
        box->button(QMessageBox::Yes)->click();
    });
    teamGrid()->setCurrentIndex(window->teamModel()->index(0, 0));
    QTest::mouseClick(child<QWidget>("DBNavigator1")->findChild<QWidget *>(QStringLiteral("nbDelete")), Qt::LeftButton);
    EXPECT_EQ(question, QStringLiteral("Delete team 1 One with its runners (3)?"));
    EXPECT_FALSE(findRow(*data, QStringLiteral("team"), one));
    EXPECT_EQ(data->rowCount(QStringLiteral("runner")), 1);
    EXPECT_TRUE(findRow(*data, QStringLiteral("runner"), kept));
    EXPECT_EQ(window->currentTeamId(), two);
    EXPECT_EQ(window->runnerModel()->rowCount(), 1);
}

TEST_F(TeamsWindowFixture, DatesShowInTheComputersFormatsAndAreTypedSo)
{
    const qint64 one = team(1, "One");
    updateRow(*data, QStringLiteral("team"), one, {{"start", QStringLiteral("2026-06-13 10:00:00")}});
    const qint64 lee = insertRow(*data, QStringLiteral("runner"),
                                       {{"team_id", one}, {"lastname", QStringLiteral("Lee")}, {"birthdate", QStringLiteral("1980-05-07")}});
    open();
    EXPECT_EQ(resultField("start"), DateTimeText(true, DateTime::fromDateAndTime(QDate(2026, 6, 13), QTime(10, 0))));

    QTableView *runners = child<QTableView>("dbgRunners");
    const QModelIndex birthdate = window->runnerModel()->index(0, window->runnerModel()->columnOf(QStringLiteral("birthdate")));
    EXPECT_EQ(birthdate.data().toString(), QLocale::system().toString(QDate(1980, 5, 7), Platform::shortDateFormat()));
    runners->setFocus();
    runners->setCurrentIndex(birthdate);
    runners->edit(birthdate);
    auto *editor = qobject_cast<QLineEdit *>(runners->indexWidget(birthdate));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->text(), birthdate.data().toString());
    editor->selectAll();
    QTest::keyClicks(editor, QLocale::system().toString(QDate(1981, 12, 24), Platform::shortDateFormat()));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(findRow(*data, QStringLiteral("runner"), lee)->value("birthdate").toString(), QStringLiteral("1981-12-24"));
}

TEST_F(TeamsWindowFixture, CalculateTeamFillsTheResultsPage)
{
    EventSetup event = *setup.snapshot();
    event.classTree = {{QStringLiteral("H6<*>(10:00:00|006:00:00|00:30:00)"), 0}};
    setup.publish(event);
    for (const auto &[code, type, points] : {std::tuple{"31", "C", 30}, {"F", "F", 0}})
        insertRow(*data, QStringLiteral("control"), {{"controlnr", code}, {"type", type}, {"points", points}});
    const qint64 id = team(6, "Owls", "H6");
    const qint64 ann = runner(id, "Lee");
    for (const auto &[code, time] : {std::pair{"31", "10:30:00"}, {"F", "15:00:00"}})
        insertRow(*data, QStringLiteral("res_cp"), {{"team_id", id}, {"runner_id", ann}, {"KP", code}, {"status", PunchReadOK},
                                                   {"ctime", QStringLiteral("2026-06-13 ") + QLatin1String(time)}});
    open();
    EXPECT_EQ(resultField("status"), QStringLiteral("NA"));
    EXPECT_EQ(resultField("rtime"), QStringLiteral("0:00:00"));
    EXPECT_EQ(resultField("id"), QString::number(id));
    EXPECT_TRUE(child<QLineEdit>("dbe_result")->isReadOnly());
    QTest::mouseClick(child<QPushButton>("btnCalcTeam"), Qt::LeftButton);
    EXPECT_EQ(resultField("status"), QStringLiteral("OK"));
    EXPECT_EQ(resultField("points"), QStringLiteral("30"));
    EXPECT_EQ(resultField("result"), QStringLiteral("30"));
    EXPECT_EQ(resultField("rtime"), QStringLiteral("5:00:00"));
    EXPECT_FALSE(resultField("calctime").isEmpty());
    EXPECT_FALSE(resultField("finis").isEmpty());
}

TEST_F(TeamsWindowFixture, CalculateTeamRefusesATeamWithoutNumber)
{
    // The calculation finds teams by number: a team without one is refused, not mistaken for another.
    const qint64 id = insertRow(*data, QStringLiteral("team"), {{"name", "Late entry"}});
    team(0, "Zero");
    open();
    teamGrid()->setCurrentIndex(window->teamModel()->index(window->teamModel()->rowOf(id), 0));
    try {
        window->btnCalcTeamClick();
        ADD_FAILURE() << "no error";
    } catch (const KorventError &error) {
        EXPECT_TRUE(error.message().contains(QLatin1String("no number"))) << error.message().toStdString();
    }
    for (const Row &row : selectRows(*data, QStringLiteral("team"), {}))
        EXPECT_TRUE(row.value("calctime").isNull()) << row.value("name").toString().toStdString();
}

TEST_F(TeamsWindowFixture, ResultsViewOfATeamWithoutPunchesIsAnEmptyTextWindow)
{
    team(1, "One");
    open();
    QTest::keySequence(window.get(), QKeySequence(Qt::CTRL | Qt::Key_R));
    TfMDItekst *text = window->findChild<TfMDItekst *>();
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->isVisible());
    EXPECT_TRUE(text->editor()->toPlainText().isEmpty());
}

TEST_F(TeamsWindowFixture, PunchesOfTheTeamAndOfOneRunner)
{
    const qint64 id = team(1, "Owls");
    const qint64 ann = runner(id, "Lee", "8001234");
    insertRow(*data, QStringLiteral("res_cp"), {{"team_id", id}, {"runner_id", ann}, {"KP", "31"}, {"status", PunchReadOK},
                                               {"ctime", "2026-06-13 10:30:00"}});
    open();
    int rows = -1;
    QString caption;
    whenModal<TfTeamControls>([&](TfTeamControls *controls) {
        caption = controls->windowTitle();
        rows = static_cast<int>(controls->rows().size());
        controls->accept();
    });
    action("Controls1")->trigger();
    EXPECT_EQ(caption, QStringLiteral("Team controls"));
    EXPECT_EQ(rows, 1);

    // A punch added by hand belongs to the runner and the team and is marked Man.
    child<QTableView>("dbgRunners")->setCurrentIndex(window->runnerModel()->index(0, 0));
    whenModal<TfViewControls>([&](TfViewControls *controls) {
        caption = controls->windowTitle();
        auto *grid = controls->findChild<QTableView *>(QStringLiteral("dbgControlTimes"));
        rows = controls->punchModel()->rowCount();
        QTest::mouseClick(controls->findChild<QWidget *>(QStringLiteral("nbInsert")), Qt::LeftButton);
        auto *combo = qobject_cast<QComboBox *>(grid->indexWidget(grid->currentIndex()));
        if (combo) {
            QTest::keyClicks(combo->lineEdit(), QStringLiteral("45"));
            QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
            QApplication::processEvents();
        }
        controls->accept();
    });
    action("RunnerControls1")->trigger();
    EXPECT_EQ(caption, QStringLiteral("Controls"));
    EXPECT_EQ(rows, 1);
    const auto added = selectRows(*data, QStringLiteral("res_cp"), {{QStringLiteral("KP"), QStringLiteral("45")}});
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added.front().value("team_id").toLongLong(), id);
    EXPECT_EQ(added.front().value("runner_id").toLongLong(), ann);
    EXPECT_EQ(added.front().value("status").toInt(), PunchMan);
}

TEST_F(TeamsWindowFixture, TeamControlsWhyPageExplainsTheResult)
{
    const qint64 owls = team(1, "Owls");
    const qint64 lee = runner(owls, "Lee", "8001234");
    updateRow(*data, QStringLiteral("runner"), lee, {{"started", true}});
    insertRow(*data, QStringLiteral("res_cp"), {{"team_id", owls}, {"runner_id", lee}, {"KP", "31"}, {"status", PunchReadOK},
                                               {"ctime", "2026-06-13 10:30:00"}});
    const qint64 twin = team(1, "Twin");
    open();
    const auto whyOf = [&](qint64 teamId) {
        teamGrid()->setCurrentIndex(window->teamModel()->index(window->teamModel()->rowOf(teamId), 0));
        QString text;
        bool shown = false;
        whenModal<TfTeamControls>([&](TfTeamControls *controls) {
            auto *pages = controls->findChild<QTabWidget *>(QStringLiteral("pcControls"));
            auto *why = controls->findChild<QPlainTextEdit *>(QStringLiteral("mWhy"));
            if (pages && why) {
                EXPECT_EQ(pages->tabText(1), QStringLiteral("Why"));
                QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(1).center());
                shown = why->isVisible();
                text = why->toPlainText();
            }
            controls->accept();
        });
        action("Controls1")->trigger();
        EXPECT_TRUE(shown);
        return text;
    };
    const QString owlsWhy = whyOf(owls);
    EXPECT_TRUE(owlsWhy.startsWith(QStringLiteral("Team 1 \"Owls\", class H12."))) << owlsWhy.toStdString();
    EXPECT_TRUE(owlsWhy.contains(QStringLiteral("31: Lee 10:30:00."))) << owlsWhy.toStdString();
    EXPECT_TRUE(owlsWhy.contains(QStringLiteral("31 is not a control of the course: no points."))) << owlsWhy.toStdString();
    // The calculation finds the first team of a number: the second is told so.
    const QString twinWhy = whyOf(twin);
    EXPECT_TRUE(twinWhy.startsWith(QStringLiteral("Number 1 belongs first to the team \"Owls\""))) << twinWhy.toStdString();
}

TEST_F(TeamsWindowFixture, ImportTeamsFromTheChosenFileAndEncoding)
{
    writeFile(location.eventDirectory + QStringLiteral("import.csv"),
              *Platform::encodeTextFile(QStringLiteral("Unicode"), QStringLiteral("id\r\n12;Mägi;Club;H12;Ann;Lee;;W;101;EST\r\n")));
    open();
    QString title, file, summary;
    QStringList asked;
    whenModal<TOpenTextFileDialog>([&](TOpenTextFileDialog *dialog) {
        whenModal<QMessageBox>([&](QMessageBox *box) {
            summary = box->text();
            box->accept();
        });
        title = dialog->windowTitle();
        file = dialog->selectedFiles().value(0);
        auto *encodings = dialog->findChild<QComboBox *>(QStringLiteral("cbEncoding"));
        asked << dialog->nameFilters().join(u'|') << dialog->defaultSuffix()
              << QString::number(dialog->fileMode() == QFileDialog::ExistingFile) << dialog->encoding()
              << QString::number(encodings && encodings->findText(QStringLiteral("ANSI")) >= 0);
        dialog->setEncoding(QStringLiteral("Unicode"));
        static_cast<QDialog *>(dialog)->accept();
    });
    action("Import1")->trigger();
    EXPECT_EQ(title, QStringLiteral("Import teams from file"));
    EXPECT_EQ(file, location.eventDirectory + QStringLiteral("import.csv"));
    EXPECT_EQ(asked, QStringList({"All files (*.*)|CSV files (*.csv)|Text files (*.txt)", "csv", "1", "UTF-8", "1"}));
    EXPECT_EQ(shownTeams(), QStringList({"Mägi"}));
    EXPECT_EQ(window->runnerModel()->rowCount(), 1);
    EXPECT_EQ(summary, QStringLiteral("Imported 1 runner: 1 team added, 0 updated, 0 lines skipped"));

    // A bad file says which line and keeps nothing.
    writeFile(location.eventDirectory + QStringLiteral("import.csv"), "id\r\n13;B;Club;H12;Bob;Ox;;M;102;EST\r\n\r\n");
    QString message;
    whenModal<TOpenTextFileDialog>([](TOpenTextFileDialog *dialog) { static_cast<QDialog *>(dialog)->accept(); });
    whenModal<QMessageBox>([&](QMessageBox *box) {
        message = box->text();
        box->accept();
    });
    action("Import1")->trigger();
    EXPECT_TRUE(message.startsWith(QLatin1String("Line 3:"))) << message.toStdString();
    EXPECT_EQ(data->rowCount(QStringLiteral("team")), 1);
}

TEST_F(TeamsWindowFixture, ImportDialogDescribesTheColumnsAndWritesTheShippedExampleToImport)
{
    const QByteArray example = readFile(QStringLiteral(KORVENT_SOURCE_DIR "/common/import-example.csv"));
    writeFile(location.program.userFolder + QStringLiteral("import-example.csv"), example);
    const QString written = location.eventDirectory + QStringLiteral("import-example.csv");
    open();
    QString format;
    QStringList messages;
    const auto answerBox = [&messages](QMessageBox *box) {
        messages.append(box->text());
        box->accept();
    };
    whenModal<TOpenTextFileDialog>([&](TOpenTextFileDialog *dialog) {
        format = dialog->findChild<QLabel *>(QStringLiteral("lFormat"))->text();
        auto *button = dialog->findChild<QPushButton *>(QStringLiteral("btnWriteExample"));
        // Written once; a second click leaves the file as it is.
        for (int click = 0; click < 2; ++click) {
            whenModal<QMessageBox>(answerBox);
            button->click();
        }
        EXPECT_EQ(dialog->selectedFiles().value(0), written);
        EXPECT_EQ(dialog->encoding(), QStringLiteral("UTF-8"));
        whenModal<QMessageBox>(answerBox);
        static_cast<QDialog *>(dialog)->accept();
    });
    action("Import1")->trigger();
    EXPECT_TRUE(format.contains(QLatin1String("entry id; team name; club; class; first name; last name; birth date"))) << format.toStdString();
    EXPECT_EQ(readFile(written), example);
    ASSERT_EQ(messages.size(), 3);
    EXPECT_TRUE(messages[0].startsWith(QLatin1String("The example is written to ") + written)) << messages[0].toStdString();
    EXPECT_TRUE(messages[1].contains(QLatin1String("is there already"))) << messages[1].toStdString();
    // The example's classes are not this event's: imported, and named in the summary.
    EXPECT_TRUE(messages[2].startsWith(QLatin1String("Imported 8 runners: 4 teams added, 0 updated, 0 lines skipped\n\n"
                                                     "Classes not in the class tree: 24h MW (1 team), 6h (1 team), 6h MM (1 team), 6h WW (1 team).")))
        << messages[2].toStdString();
    EXPECT_TRUE(messages[2].contains(QLatin1String("Extra classes not among the event's extra classes (SC1;SC2): MV (")))
        << messages[2].toStdString();
    EXPECT_EQ(shownTeams(), QStringList({"Metsa Mõmmid", "Šokolaadid", "Ülikooli Sõbrad", "Kõrve, Tamm & Co"}));
}

TEST_F(TeamsWindowFixture, NumberTeamsGivesTheChosenClassNumbersAndSaysWhich)
{
    team(5, "Numbered", "H12");
    for (const char *name : {"Esimene", "Teine"})
        insertRow(*data, QStringLiteral("team"), {{"name", QString::fromUtf8(name)}, {"class", QStringLiteral("D6")}});
    insertRow(*data, QStringLiteral("team"), {{"name", QStringLiteral("Other class")}, {"class", QStringLiteral("H12")}});
    open();
    QStringList classes;
    QString message;
    whenModal<TfNumberTeams>([&](TfNumberTeams *dialog) {
        auto *list = dialog->findChild<QComboBox *>(QStringLiteral("cbClass"));
        classes = itemsOf(list);
        list->setCurrentIndex(list->findText(QStringLiteral("D6")));
        dialog->findChild<QSpinBox *>(QStringLiteral("seFrom"))->setValue(4);
        whenModal<QMessageBox>([&](QMessageBox *box) {
            message = box->text();
            box->accept();
        });
        dialog->accept();
    });
    action("NumberTeams1")->trigger();
    EXPECT_EQ(classes, QStringList({"All classes", "D6", "H12"}));
    EXPECT_EQ(message, QStringLiteral("Numbered 2 teams: 4-6, 1 number in use skipped"));
    // The grid shows the teams in their new number order; the other class keeps none.
    EXPECT_EQ(shownTeams(), QStringList({"Other class", "Esimene", "Numbered", "Teine"}));
}

TEST_F(TeamsWindowFixture, CheckDataRunsTheShippedChecksOnAllTeams)
{
    writeFile(location.program.userFolder + QStringLiteral("checklist.kvchk"),
              readFile(QStringLiteral(KORVENT_SOURCE_DIR "/common/checklist.kvchk")));
    runner(team(1, "Alpha", "H12"), "Lee", "101");
    runner(team(2, "Beta", "X9"), "Ray", "102");
    open();
    filter("Name|name", "alpha");
    QString preset;
    QStringList checks;
    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        preset = dialog->directory().absolutePath() + u'/' + dialog->selectedFiles().value(0).section(u'/', -1);
        whenModal<TfChooseSelect>([&](TfChooseSelect *choose) {
            for (int i = 0; i < choose->clbCheckList->count(); ++i)
                checks.append(choose->clbCheckList->item(i)->text());
            QTest::mouseDClick(choose->clbCheckList->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
            choose->accept();
        });
        typeFileName(dialog, QStringLiteral("checklist.kvchk"));
    });
    action("CheckData1")->trigger();
    EXPECT_EQ(preset, location.program.userFolder + QStringLiteral("checklist.kvchk"));
    EXPECT_EQ(checks.size(), 8);
    // The team filter is off; the findings stand in a text window.
    EXPECT_EQ(shownTeams(), QStringList({"Alpha", "Beta"}));
    const auto texts = window->findChildren<TfMDItekst *>();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts.front()->editor()->toPlainText(),
              QStringLiteral("*** Classes not in the class tree ***\n2;Beta;X9;"));
}

TEST_F(TeamsWindowFixture, ImportChipsSaysWhenTheListIsUsedUpOrEmpty)
{
    const qint64 one = team(1, "One");
    const qint64 ann = runner(one, "Lee");
    const qint64 two = team(2, "Two");
    const qint64 bob = runner(two, "Ox");
    const QString chips = location.eventDirectory + QStringLiteral("chips.txt");
    const QString empty = location.eventDirectory + QStringLiteral("empty.txt");
    writeFile(chips, "901\r\n902\r\n");
    writeFile(empty, "");
    open();
    const auto importFrom = [&](const QString &file) {
        QString title, message;
        whenModal<QFileDialog>([&](QFileDialog *dialog) {
            title = dialog->windowTitle();
            typeFileName(dialog, file);
        });
        whenModal<QMessageBox>([&](QMessageBox *box) {
            message = box->text();
            box->accept();
        });
        action("Importchips1")->trigger();
        EXPECT_EQ(title, QStringLiteral("Open file"));
        return message;
    };
    // One chip a team, the list just long enough: every chip given, then the box.
    EXPECT_EQ(importFrom(chips), QStringLiteral("List is empty"));
    EXPECT_EQ(findRow(*data, QStringLiteral("runner"), ann)->value("chipnr").toString(), QStringLiteral("901"));
    EXPECT_EQ(findRow(*data, QStringLiteral("runner"), bob)->value("chipnr").toString(), QStringLiteral("902"));
    EXPECT_EQ(importFrom(empty), QStringLiteral("List is empty"));
}

TEST_F(TeamsWindowFixture, ScreenshotOnTheDemoEvent)
{
    GeneratorOptions options;
    GenerateEvent(*data, location.eventDirectory, options);
    setup.publish(EventSetup::load(location.eventDirectory));
    struct : MessageSink
    {
        void error(const QString &message) override { ADD_FAILURE() << message.toStdString(); }
        void warning(const QString &) override {}
    } messages;
    TeamCalculation(*data, setup.snapshot(), messages).CalculateAllTeams(true);
    open();
    window->resize(980, 700);
    QTest::mouseClick(child<QPushButton>("btnFindRunner"), Qt::LeftButton); // no text: nothing happens
    teamGrid()->setCurrentIndex(window->teamModel()->index(2, 3));
    const QString target = qEnvironmentVariable("KORVENT_SCREENSHOT_DIR");
    const QImage shot = window->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    if (!target.isEmpty()) {
        shot.save(target + QStringLiteral("/teams-window.png"));
        child<QTabWidget>("pcTeams")->setCurrentIndex(1);
        window->grab().toImage().save(target + QStringLiteral("/teams-window-results.png"));
    }
    EXPECT_EQ(window->teamModel()->rowCount(), 60);
    EXPECT_GT(window->runnerModel()->rowCount(), 0);
}

TEST_F(TeamsWindowFixture, ACancelledImportLeavesTheEventAsItWas)
{
    runner(team(1, "Owls"), "Lee", "101");
    runner(team(2, "Foxes"), "Tamm", "102");
    // Enough lines that the import is still running when its dialog shows.
    QByteArray file = "id\r\n";
    for (int line = 0; line < 40'000; ++line)
        file += QStringLiteral("%1;Jõud %1;Klubi;H12;Ann;Õun;;W;%2;EST\r\n").arg(line / 2 + 1000).arg(line + 5000).toUtf8();
    writeFile(location.eventDirectory + QStringLiteral("import.csv"), file);
    const QStringList before = DatabaseDump(data->connection());
    open();
    const QStringList shownBefore = shownTeams();

    bool cancelled = false;
    QStringList boxes;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto *progress = window->findChild<QDialog *>(QStringLiteral("fLongWork"));
        if (!cancelled && progress && progress->isVisible()) {
            cancelled = true;
            QTest::mouseClick(progress->findChild<QPushButton *>(QStringLiteral("btnCancel")), Qt::LeftButton);
        }
        // No box belongs after Cancel; one that comes is read and closed.
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            boxes.append(box->text());
            box->accept();
        }
    });
    watch.start(20);
    whenModal<TOpenTextFileDialog>([](TOpenTextFileDialog *dialog) {
        dialog->setEncoding(QStringLiteral("UTF-8"));
        static_cast<QDialog *>(dialog)->accept();
    });
    action("Import1")->trigger();
    watch.stop();

    EXPECT_TRUE(cancelled);
    EXPECT_EQ(boxes, QStringList());
    EXPECT_EQ(DatabaseDump(data->connection()), before);
    EXPECT_EQ(shownTeams(), shownBefore);
}
