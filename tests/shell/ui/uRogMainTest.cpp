#include "ModalDialogs.h"
#include "SettingsFileFailure.h"
#include "EventRows.h"
#include "TestFolder.h"

#include "shell/ui/uRogMain.h"
#include "base/Platform.h"
#include "entries/EntryImport.h"
#include "readout/ReadoutServer.h"
#include "readout/ui/uServerMain.h"
#include "exports/MapPicture.h"
#include "base/ui/TextFileDialog.h"
#include "reports/ui/uSelectReport.h"
#include "reports/ui/uwbReport.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QMenuBar>
#include <QStatusBar>
#include <QPointer>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

struct MainWindowFixture : ::testing::Test
{
    QTemporaryDir dir;
    std::unique_ptr<TdmData> data;
    SharedEventSetup setup;

    std::unique_ptr<TfRogMain> open(bool confirmed)
    {
        EventLocation location;
        location.eventDirectory = folderOf(dir);
        location.resultsDirectory = folderOf(dir) + QStringLiteral("results/");
        location.confirmed = confirmed;
        data = std::make_unique<TdmData>(location.eventDirectory);
        return std::make_unique<TfRogMain>(location, *data, setup);
    }

    static QStringList menuTexts(QMenu *menu)
    {
        QStringList texts;
        for (QAction *action : menu->actions())
            texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    }
};

} // namespace

TEST_F(MainWindowFixture, MenusFollowTheCommandTable)
{
    auto window = open(true);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Korvent"));
    QStringList titles;
    for (QAction *action : window->menuBar()->actions())
        titles.append(action->text());
    EXPECT_EQ(titles, QStringList({"&Secretary", "&Results", "&Tools", "&Help"}));
    const auto menus = window->menuBar()->actions();
    EXPECT_EQ(menuTexts(menus[0]->menu()), QStringList({"&Event setup", "&Teams"}));
    EXPECT_EQ(menuTexts(menus[1]->menu()), QStringList({"Edit controls", "Calculate", "-", "Reports"}));
    EXPECT_EQ(menuTexts(menus[2]->menu()),
              QStringList({"DB editor", "-", "Load started", "Mark read-out runners started", "Mark all runners started", "-", "Export participants", "Export Cardex startlist",
                           "Export (Trailplot)", "Export (IOF XML)", "Export TeamInfo", "Export teams with runners"}));
    EXPECT_EQ(menuTexts(menus[3]->menu()), QStringList({"About"}));

    EXPECT_EQ(window->command("actEventSetup")->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(window->command("actTeams")->shortcut(), QKeySequence(Qt::Key_F4));
    EXPECT_EQ(window->command("actEditControls")->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(window->command("actCalculate")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F5));
    EXPECT_EQ(window->command("actReports")->shortcut(), QKeySequence(Qt::Key_F6));
}

TEST_F(MainWindowFixture, ToolBarButtonsWithCaptionsAndHints)
{
    auto window = open(true);
    QToolBar *toolBar = window->findChild<QToolBar *>();
    ASSERT_TRUE(toolBar);
    QStringList shape;
    for (QAction *action : toolBar->actions())
        shape.append(action->isSeparator() ? QStringLiteral("-") : action->objectName() + u'|' + action->text() + u'|' + action->toolTip());
    EXPECT_EQ(shape, QStringList({"ToolButton1||Event", "ToolButton2|Teams|Teams", "-", "ToolButton3|Result|Edit results",
                                  "ToolButton4|Results|Results", "-", "tbtnClose|Close|Close"}));
}

TEST_F(MainWindowFixture, EveryCommandIsBuiltAndEnabled)
{
    auto window = open(true);
    for (QAction *menu : window->menuBar()->actions())
        for (QAction *action : menu->menu()->actions())
            if (!action->isSeparator()) {
                EXPECT_TRUE(action->isVisible() && action->isEnabled()) << action->text().toStdString();
            }
    EXPECT_TRUE(window->command("actAbout")->isEnabled());
    EXPECT_TRUE(window->command("actDBEditor")->isEnabled());
    EXPECT_TRUE(window->command("actEventSetup")->isEnabled());
    EXPECT_TRUE(window->command("actCalculate")->isEnabled());
    EXPECT_TRUE(window->command("actReports")->isEnabled());
    EXPECT_TRUE(window->command("actEditControls")->isEnabled());
    EXPECT_TRUE(window->command("actExportIofXml")->isEnabled());
    EXPECT_TRUE(window->command("actTeams")->isEnabled());
    EXPECT_TRUE(window->command("actLoadStarted")->isEnabled());
    EXPECT_TRUE(window->findChild<QAction *>("ToolButton1")->isEnabled());
    EXPECT_TRUE(window->findChild<QAction *>("ToolButton3")->isEnabled());
    EXPECT_TRUE(window->findChild<QAction *>("ToolButton2")->isEnabled());
    EXPECT_TRUE(window->findChild<QAction *>("tbtnClose")->isEnabled());
}

TEST_F(MainWindowFixture, ConfirmedEventShowsItsFolderAndOpensTheToolsMenu)
{
    auto window = open(true);
    EXPECT_EQ(window->findChild<QLabel *>("StatusPanel3")->text(), folderOf(dir));
    EXPECT_FALSE(window->findChild<QLabel *>("StatusPanel1")->text().isEmpty());
    EXPECT_TRUE(window->menuBar()->actions()[2]->isEnabled());
}

TEST_F(MainWindowFixture, CancelledStartLeavesToolsDisabledAndThePanelEmpty)
{
    auto window = open(false);
    EXPECT_TRUE(window->findChild<QLabel *>("StatusPanel3")->text().isEmpty());
    EXPECT_FALSE(window->menuBar()->actions()[2]->isEnabled());
    EXPECT_FALSE(window->command("actCalculate")->isEnabled());
}

TEST_F(MainWindowFixture, ScreenshotShowsMenuToolBarAndStatusBar)
{
    auto window = open(true);
    window->show();
    const QImage shot = window->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    const QString target = qEnvironmentVariable("KORVENT_SCREENSHOT_DIR");
    if (!target.isEmpty())
        shot.save(target + QStringLiteral("/main-window.png"));
    EXPECT_GT(window->menuBar()->height(), 0);
    EXPECT_GT(window->statusBar()->height(), 0);
}

TEST_F(MainWindowFixture, ResultButtonOpensTheEditControlsWindowModally)
{
    auto window = open(true);
    window->show();
    QString shown;
    bool modal = false;
    QTimer closer; // ends with the test, so it never fires into another one
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            shown = dialog->windowTitle();
            modal = dialog->isModal();
            dialog->close();
        }
    });
    closer.start(0);
    window->findChild<QAction *>("ToolButton3")->trigger();
    EXPECT_EQ(shown, QStringLiteral("Edit Controls"));
    EXPECT_TRUE(modal);
}

TEST_F(MainWindowFixture, DbEditorOpensTheDataEditorModally)
{
    auto window = open(true);
    QString shown;
    bool modal = false;
    whenModal<QDialog>([&](QDialog *dialog) {
        shown = dialog->windowTitle();
        modal = dialog->isModal();
        dialog->reject();
    });
    window->command("actDBEditor")->trigger();
    EXPECT_EQ(shown, QStringLiteral("Data editor"));
    EXPECT_TRUE(modal);
}

TEST_F(MainWindowFixture, ReportsCommandWritesTheChosenReportAndShowsIt)
{
    EventSetup chosen;
    chosen.settings.resultHeader = QStringLiteral("NON");
    setup.publish(chosen);
    auto window = open(true);
    insertRow(*data, QStringLiteral("team"), {{"number", 7}, {"name", "Owls"}});
    whenModal<TfSelectReport>([](TfSelectReport *chooser) {
        chooser->findChildren<QRadioButton *>().at(2)->click(); // Check list
        chooser->findChild<QPushButton *>(QStringLiteral("btnPrint"))->click();
    });
    window->command("actReports")->trigger();
    const QString page = folderOf(dir) + QStringLiteral("results/checklist.htm");
    EXPECT_TRUE(readFile(page).startsWith("\xEF\xBB\xBF<table class=\"\" border=\"1\">"));
    auto *viewer = window->findChild<TfwbReport *>();
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->fileName(), page);

    // A report that cannot be made says why and writes nothing.
    QFile::remove(page);
    chosen.settings.resultHeader = folderOf(dir) + QStringLiteral("missing.htm");
    setup.publish(chosen);
    whenModal<TfSelectReport>([](TfSelectReport *chooser) { chooser->findChild<QPushButton *>(QStringLiteral("btnPrint"))->click(); });
    QString message;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        message = box->text();
        box->accept();
    });
    window->command("actReports")->trigger();
    EXPECT_TRUE(message.startsWith(QStringLiteral("Can't find report header file ") + folderOf(dir) + QStringLiteral("missing.htm; ")))
        << message.toStdString();
    EXPECT_FALSE(QFile::exists(page));
}

TEST_F(MainWindowFixture, ExportIofXmlAsksForTheCompressedCopyAndSaysDoneOnlyWhenAllWasWritten)
{
    EventSetup chosen;
    chosen.classTree = {{QStringLiteral("H6<*>(10:00:00|006:00:00|00:30:00)"), 0}, {QStringLiteral("H6A"), 1}};
    setup.publish(chosen);
    auto window = open(true);
    const qint64 team = insertRow(*data, QStringLiteral("team"), {{"number", 7}, {"name", "Owls"}, {"class", "H6A"},
                                                                {"calctime", "2026-06-13 17:00:00"}});
    insertRow(*data, QStringLiteral("runner"), {{"team_id", team}, {"lastname", "Tamm"}, {"chipnr", "101"}});

    // Answers the question, then reads the box that ends the command.
    const auto exportAnswering = [&](QMessageBox::StandardButton answer) {
        QStringList texts;
        whenModal<QMessageBox>([&texts, answer](QMessageBox *question) {
            texts.append(question->text());
            whenModal<QMessageBox>([&texts](QMessageBox *last) {
                texts.append(last->text());
                last->accept();
            });
            question->button(answer)->click();
        });
        window->command("actExportIofXml")->trigger();
        return texts;
    };
    const QString event = folderOf(dir);
    EXPECT_EQ(exportAnswering(QMessageBox::Yes), QStringList({"Save as compressed XML file?", "Done!"}));
    EXPECT_TRUE(readFile(event + QStringLiteral("Rogain_iofXML3.xml")).contains("<Name>Owls</Name>"));
    EXPECT_TRUE(QFile::exists(event + QStringLiteral("Rogain_iofXML3.xmlzip.xml")));
    EXPECT_TRUE(QFile::exists(event + QStringLiteral("temp.zlb")));

    // The setting chooses the version; No writes no compressed copy.
    chosen.settings.iofXml3 = false;
    setup.publish(chosen);
    EXPECT_EQ(exportAnswering(QMessageBox::No), QStringList({"Save as compressed XML file?", "Done!"}));
    EXPECT_TRUE(readFile(event + QStringLiteral("iofXML.xml")).contains("<TeamName>Owls</TeamName>"));
    EXPECT_FALSE(QFile::exists(event + QStringLiteral("iofXMLzip.xml")));

    // A step that fails: the error is shown instead of "Done!", and what was built is kept.
    // (A missing table would be made anew by the connection the export opens.)
    data->connection().exec(QStringLiteral("ALTER TABLE runner DROP COLUMN sex"));
    const QStringList failed = exportAnswering(QMessageBox::No);
    ASSERT_EQ(failed.size(), 2);
    EXPECT_NE(failed[1], QStringLiteral("Done!"));
    EXPECT_TRUE(failed[1].contains(QStringLiteral("runner"))) << failed[1].toStdString();
    const QByteArray partial = readFile(event + QStringLiteral("iofXML.xml"));
    EXPECT_TRUE(partial.contains("<TeamName>Owls</TeamName>"));
    EXPECT_FALSE(partial.contains("<Result>"));
}

TEST_F(MainWindowFixture, ACommandNeedingASettingThatDidNotReadShowsWhyAndDoesNothing)
{
    QTemporaryDir files;
    EventSetup chosen;
    takeSettingFromFile(chosen.settings, folderOf(files), "cbXML3Format", QStringLiteral("yes"));
    takeSettingFromFile(chosen.settings, folderOf(files), "rgControlCard", QStringLiteral("2"));
    setup.publish(chosen);
    auto window = open(true);
    const qint64 team = insertRow(*data, QStringLiteral("team"), {{"number", 7}, {"name", "Owls"}});
    const qint64 runner = insertRow(*data, QStringLiteral("runner"), {{"team_id", team}, {"chipnr", "101"}});
    const struct { const char *command; const char *key; } cases[] = {{"actExportIofXml", "cbXML3Format"}, {"actMarkAllStarted", "rgControlCard"}};
    for (const auto &c : cases) {
        QStringList texts;
        const auto answer = [&texts](QMessageBox *box) {
            texts.append(box->text());
            box->button(QMessageBox::No) ? box->button(QMessageBox::No)->click() : box->accept();
        };
        whenModal<QMessageBox>([&](QMessageBox *box) {
            if (box->button(QMessageBox::No))
                whenModal<QMessageBox>(answer);
            answer(box);
        });
        window->command(c.command)->trigger();
        ASSERT_FALSE(texts.isEmpty()) << c.command;
        EXPECT_TRUE(texts.last().contains(QLatin1String(c.key))) << texts.last().toStdString();
    }
    EXPECT_FALSE(QFile::exists(folderOf(dir) + QStringLiteral("iofXML.xml")));
    EXPECT_FALSE(QFile::exists(folderOf(dir) + QStringLiteral("Rogain_iofXML3.xml")));
    EXPECT_EQ(findRow(*data, QStringLiteral("runner"), runner)->value("started").toInt(), 0);
}

TEST_F(MainWindowFixture, WinnersReportSaysWhereTheListIs)
{
    EventSetup chosen;
    chosen.settings.resultHeader = QStringLiteral("NON");
    chosen.settings.extraClasses = QStringLiteral("MV");
    chosen.classTree = {{QStringLiteral("H12<*>(12:00:00|012:00:00|00:30:00)"), 0}};
    setup.publish(chosen);
    auto window = open(true);
    const qint64 owls = insertRow(*data, QStringLiteral("team"), {{"number", 7}, {"name", "Owls"}, {"class", "H12"}, {"subclass", "MV"},
                                                               {"result", 90}, {"rtime", 3600}, {"calctime", "2026-06-13 18:00:00"}});
    insertRow(*data, QStringLiteral("runner"), {{"team_id", owls}, {"firstname", "Anna"}, {"started", true}});
    whenModal<TfSelectReport>([](TfSelectReport *chooser) {
        QRadioButton *winners = chooser->findChildren<QRadioButton *>().at(7);
        EXPECT_EQ(winners->text(), QStringLiteral("Winners"));
        EXPECT_TRUE(winners->isEnabled());
        winners->click();
        chooser->findChild<QPushButton *>(QStringLiteral("btnPrint"))->click();
    });
    QString message;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        message = box->text() + u'|' + box->informativeText();
        box->accept();
    });
    window->command("actReports")->trigger();
    EXPECT_EQ(message, QStringLiteral("Winners list in winners.csv file|Written: %1winners.csv").arg(folderOf(dir)));
    EXPECT_TRUE(readFile(folderOf(dir) + QStringLiteral("winners.csv")).contains("\r\n7;Anna;;;Owls;MV;I;90;1:00:00;1\r\n"));
    EXPECT_EQ(window->findChild<TfwbReport *>()->fileName(), folderOf(dir) + QStringLiteral("results/results.htm"));
}

TEST_F(MainWindowFixture, ReportViewerIsCentredOnlyTheFirstTime)
{
    auto window = open(true);
    window->setGeometry(200, 150, 1000, 680);
    window->show();
    const QString page = folderOf(dir) + QStringLiteral("page.htm");
    writeFile(page, "<html><body>abc</body></html>");
    window->ShowReport(page);
    auto *viewer = window->findChild<TfwbReport *>();
    ASSERT_TRUE(viewer->isVisible());
    EXPECT_LE((viewer->frameGeometry().center() - window->frameGeometry().center()).manhattanLength(), 2);
    viewer->move(20, 30);
    viewer->hide();
    window->ShowReport(page);
    EXPECT_EQ(viewer->pos(), QPoint(20, 30));
}

TEST_F(MainWindowFixture, ListExportsAskForTheFileAndWriteIt)
{
    auto window = open(true);
    const qint64 owls = insertRow(*data, QStringLiteral("team"), {{"number", 7}, {"name", "Owls"}, {"class", "H12"}});
    insertRow(*data, QStringLiteral("runner"), {{"team_id", owls}, {"firstname", "Anna"}, {"lastname", "Tamm"}, {"chipnr", "101"}});
    const struct
    {
        const char *command;
        const char *filter;
        const char *suffix;
        QByteArray written;
    } cases[] = {
        {"actExportParticipants", "CSV files (*.csv)", "csv", "NR;Firstname;LastName;Club;TeamName;Class;\r\n7;Anna;Tamm;;Owls;H12;\r\n"},
        {"actExportCardex", "Text files (*.txt)", "txt", "7;101;Anna;Tamm;Owls;H12;00:00:00;\r\n"},
        {"actExportTeamInfo", "Text files (*.txt)", "txt", "\r\n\r\n>---------- ----------\r\n  7        H12 Owls \r\n    Anna Tamm :/ :101\r\n"},
    };
    for (const auto &c : cases) {
        const QString name = folderOf(dir) + QLatin1String(c.command);
        QStringList asked;
        whenModal<QFileDialog>([&](QFileDialog *dialog) {
            asked << dialog->windowTitle() << dialog->nameFilters().join(u'|') << dialog->defaultSuffix()
                  << dialog->directory().absolutePath() + u'/' << QString::number(dialog->testOption(QFileDialog::DontConfirmOverwrite));
            typeFileName(dialog, name);
        });
        QString done;
        whenModal<QMessageBox>([&done](QMessageBox *box) {
            done = box->text() + u'|' + box->informativeText();
            box->accept();
        });
        window->command(QLatin1String(c.command))->trigger();
        EXPECT_EQ(asked, QStringList({"Save to file", c.filter, c.suffix, folderOf(dir), "0"})) << c.command;
        EXPECT_EQ(done, QStringLiteral("Done!|Written: %1.%2").arg(name, QLatin1String(c.suffix))) << c.command;
        // The default extension is added to a name typed without one.
        EXPECT_EQ(readFile(name + u'.' + QLatin1String(c.suffix)), c.written) << c.command;
    }

    // Cancel writes nothing.
    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(folderOf(dir) + QStringLiteral("cancelled.csv"));
        dialog->reject();
    });
    window->command("actExportParticipants")->trigger();
    EXPECT_FALSE(QFile::exists(folderOf(dir) + QStringLiteral("cancelled.csv")));
}

TEST_F(MainWindowFixture, TeamsWithRunnersAskForTheEncoding)
{
    auto window = open(true);
    insertRow(*data, QStringLiteral("team"), {{"number", 7}, {"name", "Owls"}});
    const QString name = folderOf(dir) + QStringLiteral("teams.csv");
    writeFile(name, "older");
    QStringList asked;
    whenModal<TSaveTextFileDialog>([&](TSaveTextFileDialog *dialog) {
        auto *encodings = dialog->findChild<QComboBox *>(QStringLiteral("cbEncoding"));
        ASSERT_TRUE(encodings);
        QStringList items;
        for (int i = 0; i < encodings->count(); ++i)
            items.append(encodings->itemText(i));
        asked << dialog->nameFilters().join(u'|') << dialog->selectedNameFilter() << dialog->defaultSuffix() << items.join(u'|')
              << encodings->currentText() << QString::number(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        encodings->setCurrentText(QStringLiteral("Big Endian Unicode"));
        typeFileName(dialog, name);
    });
    whenModal<QMessageBox>([](QMessageBox *box) { box->accept(); });
    window->command("actExportTeamsRunners")->trigger();
    EXPECT_EQ(asked, QStringList({"All files (*.*)|CSV files (*.csv)", "CSV files (*.csv)", "csv",
                                  "ANSI|ASCII|Unicode|Big Endian Unicode|UTF-8|UTF-7", "ANSI", "1"}));
    EXPECT_TRUE(readFile(name).startsWith(QByteArray("\xFE\xFF\0N\0u\0m", 8)));
}

TEST_F(MainWindowFixture, TrailplotSaysDoneOrThatTheMapIsMissing)
{
    auto window = open(true);
    QString message;
    const auto answer = [&](QMessageBox *box) {
        message = box->text();
        box->accept();
    };
    whenModal<QMessageBox>(answer);
    window->command("actExportTrailplot")->trigger();
    EXPECT_EQ(message, QStringLiteral("No MAP file"));
    EXPECT_FALSE(QFile::exists(folderOf(dir) + QStringLiteral("rogainmap.rada")));

    writeFile(folderOf(dir) + QStringLiteral("rogainmap.gif"), gifPicture(40, 30));
    whenModal<QMessageBox>(answer);
    window->command("actExportTrailplot")->trigger();
    EXPECT_EQ(message, QStringLiteral("Done!"));
    EXPECT_TRUE(readFile(folderOf(dir) + QStringLiteral("rogainmap.rada")).contains("\r\nmapY=30\r\n"));
    EXPECT_TRUE(QFile::exists(folderOf(dir) + QStringLiteral("rogainmap.txt")));
}

TEST_F(MainWindowFixture, DoneNamesWhatWasWrittenAndOpensItWithTheDesktopsProgram)
{
    auto window = open(true);
    writeFile(folderOf(dir) + QStringLiteral("rogainmap.gif"), gifPicture(40, 30));
    QStringList opened;
    bool opens = true;
    const Platform::FileOpener desktop = Platform::setFileOpener([&](const QString &name) {
        opened.append(name);
        return opens;
    });
    // Answers the Done box with its open button; returns its texts and the warning that may follow.
    const auto exportOpening = [&](const char *command) {
        QStringList texts;
        whenModal<QMessageBox>([&](QMessageBox *box) {
            texts << box->text() << box->informativeText();
            auto *open = box->findChild<QPushButton *>(QStringLiteral("btnOpenWritten"));
            ASSERT_TRUE(open);
            texts << open->text();
            if (!opens)
                whenModal<QMessageBox>([&](QMessageBox *warning) {
                    texts << warning->text();
                    warning->accept();
                });
            open->click();
        });
        window->command(QLatin1String(command))->trigger();
        return texts;
    };
    const QString event = QDir(folderOf(dir)).absolutePath();
    EXPECT_EQ(exportOpening("actExportTrailplot"),
              QStringList({"Done!", QStringLiteral("Written to %1:\nrogainmap.rada\nrogainmap.txt").arg(event), "Open folder"}));
    EXPECT_EQ(opened, QStringList({event}));

    const QString chosen = folderOf(dir) + QStringLiteral("\u00f5ed.csv");
    whenModal<QFileDialog>([&](QFileDialog *dialog) { typeFileName(dialog, chosen); });
    opens = false;
    EXPECT_EQ(exportOpening("actExportParticipants"), QStringList({"Done!", QStringLiteral("Written: %1").arg(chosen), "Open",
                                                                   QStringLiteral("No program could be started to open %1").arg(chosen)}));
    EXPECT_EQ(opened.constLast(), chosen);
    Platform::setFileOpener(desktop);
}

TEST_F(MainWindowFixture, ClosingWhileTheServerRunsAsksFirst)
{
    auto window = open(true);
    window->show();
    ReadoutServer &server = window->findChild<TfServerMain *>()->server();
    server.start(0, 5);
    ASSERT_TRUE(server.isListening());
    QString question;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        question = box->text();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(question, QStringLiteral("The readout server is running (clients connected: 0). Stop it and close the program?"));

    whenModal<QMessageBox>([](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_TRUE(window->close());

    // A stopped server asks nothing.
    auto again = open(true);
    again->show();
    EXPECT_TRUE(again->close());
}

TEST_F(MainWindowFixture, TeamsButtonOpensTheTeamsWindowModally)
{
    auto window = open(true);
    const qint64 team = insertRow(*data, QStringLiteral("team"), {{"number", 7}, {"name", "Owls"}});
    insertRow(*data, QStringLiteral("runner"), {{"team_id", team}, {"lastname", "Tamm"}});
    window->show();
    QString shown;
    bool modal = false;
    int runners = -1;
    whenModal<QDialog>([&](QDialog *dialog) {
        shown = dialog->windowTitle();
        modal = dialog->isModal();
        runners = dialog->findChild<QTableView *>(QStringLiteral("dbgRunners"))->model()->rowCount();
        dialog->reject();
    });
    window->findChild<QAction *>("ToolButton2")->trigger();
    EXPECT_EQ(shown, QStringLiteral("Teams"));
    EXPECT_TRUE(modal);
    EXPECT_EQ(runners, 1);
}

TEST_F(MainWindowFixture, LoadStartedMarksTheRunnersOfTheChosenList)
{
    auto window = open(true);
    const qint64 team = insertRow(*data, QStringLiteral("team"), {{"number", 7}, {"name", "Owls"}});
    const qint64 runner = insertRow(*data, QStringLiteral("runner"), {{"team_id", team}, {"chipnr", "8001234"}});
    const QString list = folderOf(dir) + QStringLiteral("started.csv");
    writeFile(list, "101;8001234\r\n8001235\r\n");
    QString title;
    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        typeFileName(dialog, list);
    });
    QString summary;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        summary = box->text();
        box->accept();
    });
    window->command("actLoadStarted")->trigger();
    EXPECT_EQ(title, QStringLiteral("Open file"));
    EXPECT_EQ(summary, StartedImportSummaryText({1, 1}));
    EXPECT_EQ(findRow(*data, QStringLiteral("runner"), runner)->value("started").toInt(), 1);
}

TEST_F(MainWindowFixture, MarkStartedCommandsMarkTheChosenRunnersAndSayHowMany)
{
    auto window = open(true);
    const qint64 team = insertRow(*data, QStringLiteral("team"), {{"number", 7}, {"name", "Öökullid"}});
    const qint64 readOut = insertRow(*data, QStringLiteral("runner"), {{"team_id", team}, {"lastname", "Šmidt"}, {"chipnr", "101"}});
    const qint64 partner = insertRow(*data, QStringLiteral("runner"), {{"team_id", team}, {"lastname", "Väli"}});
    const qint64 other = insertRow(*data, QStringLiteral("runner"), {{"team_id", insertRow(*data, QStringLiteral("team"), {{"number", 8}})}});
    insertRow(*data, QStringLiteral("res_cp"), {{"team_id", team}, {"runner_id", readOut}, {"KP", "31"}});
    const auto started = [&](qint64 runner) { return findRow(*data, QStringLiteral("runner"), runner)->value("started").toInt(); };
    // Every box of the command, answering a question with the given button
    // (after No no other box comes).
    const auto run = [&](const char *command, QMessageBox::StandardButton answer) {
        QStringList texts;
        std::function<void(QMessageBox *)> handle = [&](QMessageBox *box) {
            texts.append(box->text());
            if (box->button(QMessageBox::Yes)) {
                if (answer == QMessageBox::Yes)
                    whenModal<QMessageBox>(handle);
                box->button(answer)->click();
            } else {
                box->accept();
            }
        };
        whenModal<QMessageBox>(handle);
        window->command(QLatin1String(command))->trigger();
        return texts;
    };
    // The event's default: one card per team, whose punches stand for every member.
    EXPECT_EQ(run("actMarkReadOutStarted", QMessageBox::Yes), QStringList({QStringLiteral("Marked 2 runners as started, 0 were already")}));
    EXPECT_EQ(std::make_pair(started(partner), started(other)), std::make_pair(1, 0));
    const QString question = QStringLiteral("Runners not yet started to mark as started: 1. This cannot be undone. Mark them?");
    EXPECT_EQ(run("actMarkAllStarted", QMessageBox::No), QStringList({question}));
    EXPECT_EQ(started(other), 0);
    EXPECT_EQ(run("actMarkAllStarted", QMessageBox::Yes), QStringList({question, QStringLiteral("Marked 1 runner as started, 2 were already")}));
    EXPECT_EQ(std::make_pair(started(partner), started(other)), std::make_pair(1, 1));
}
