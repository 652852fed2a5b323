#include "ModalDialogs.h"
#include "EventRows.h"
#include "TestFolder.h"
#include "dataeditor/XlsxReader.h"

#include "db/EditableTableModel.h"
#include "dataeditor/SqlResultModel.h"
#include "dataeditor/ui/uDataEditor.h"
#include "dataeditor/ui/uFieldSelection.h"
#include "store/uData.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextBlock>
#include <QToolButton>
#include <QUrl>
#include <sys/stat.h>

namespace {

// Stands in for the desktop's spreadsheet program: notes what it was asked to open.
class OpenedFiles : public QObject
{
    Q_OBJECT

public:
    QStringList files;

public slots:
    void open(const QUrl &url) { files.append(url.toLocalFile()); }
};

struct DataEditorFixture : ::testing::Test
{
    QTemporaryDir program;
    QTemporaryDir event;
    TdmData data{folderOf(event)};
    EventLocation location = [this] {
        EventLocation l;
        l.program = ProgramFiles::inProgramDirectory(folderOf(program));
        l.eventDirectory = folderOf(event);
        l.resultsDirectory = folderOf(event) + QStringLiteral("results/");
        l.confirmed = true;
        QDir().mkpath(l.resultsDirectory);
        return l;
    }();
    std::unique_ptr<TfDataEditor> editor = std::make_unique<TfDataEditor>(location, data);

    void SetUp() override { editor->show(); }

    template<typename T>
    T *child(const char *name) const
    {
        T *found = editor->findChild<T *>(QLatin1String(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    QPlainTextEdit *sqlEditor() const { return child<QPlainTextEdit>("mSQLEditor"); }
    QTableView *grid() const { return child<QTableView>("DBGrid"); }
    QTabWidget *pages() const { return child<QTabWidget>("pcSQL"); }

    void addTeams(int count)
    {
        db::Transaction transaction(data.connection());
        for (int n = 1; n <= count; ++n)
            data.connection().exec(QStringLiteral("INSERT INTO team (number, name, rtime) VALUES (?, ?, ?)"),
                                   {n, QStringLiteral("Team %1").arg(n), 200'360'000});
        transaction.commit();
    }
    // Clicks Run and waits for the outcome to be shown.
    void run(const QString &text = QString())
    {
        if (!text.isNull())
            sqlEditor()->setPlainText(text);
        QTest::mouseClick(child<QPushButton>("btnExecute"), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([this] { return !editor->isRunning(); }, 30'000));
    }
    // The log's texts without their time stamps.
    QStringList logTexts() const
    {
        QStringList texts;
        static const QRegularExpression stamp(QStringLiteral("^\\[\\d+:\\d+:\\d+:\\d+\\] "));
        for (QString line : child<QPlainTextEdit>("mLog")->toPlainText().split(u'\n', Qt::SkipEmptyParts))
            texts.append(line.remove(stamp));
        return texts;
    }
    QString cell(int row, int column) const { return grid()->model()->index(row, column).data().toString(); }
};

QStringList menuTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

} // namespace

TEST_F(DataEditorFixture, WindowPartsAndTheirCaptions)
{
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Data editor"));
    EXPECT_EQ(child<QPushButton>("btnExecute")->text(), QStringLiteral("Run !"));
    EXPECT_EQ(child<QPushButton>("bbtnLoad")->toolTip(), QStringLiteral("Load query"));
    EXPECT_EQ(child<QPushButton>("bbtnSave")->toolTip(), QStringLiteral("Save query"));
    EXPECT_FALSE(child<QCheckBox>("cbRequestLive")->isChecked());
    EXPECT_EQ(child<QCheckBox>("cbRequestLive")->text(), QStringLiteral("Live results"));
    EXPECT_TRUE(child<QCheckBox>("cbWarning")->isChecked());
    EXPECT_EQ(child<QCheckBox>("cbWarning")->toolTip(), QStringLiteral("Show warning before editing data"));
    EXPECT_EQ(child<QPushButton>("btnPrinter")->toolTip(), QStringLiteral("Print table to default printer"));
    EXPECT_EQ(menuTexts(child<QMenu>("pmSaveTo")), QStringList({"Text file", "XML file", "MS Excel"}));
    EXPECT_EQ(pages()->tabText(0), QStringLiteral("Data"));
    EXPECT_EQ(pages()->tabText(1), QStringLiteral("Log"));
}

TEST_F(DataEditorFixture, ContextMenuInsertsTableAndFieldNames)
{
    QMenu *menu = child<QMenu>("pmDataBases");
    EXPECT_EQ(menuTexts(menu), QStringList({"&Undo", "&Copy", "&Cut", "&Paste", "Select &All", "Select &Line", "Clear selection",
                                            "Delete", "-", "ResultsDB", "RunnersDB"}));
    QMenu *results = child<QMenu>("ResultsDB");
    EXPECT_EQ(menuTexts(results), QStringList({"runner", "team", "control", "res_cp", "extrapoint"}));
    EXPECT_EQ(menuTexts(child<QMenu>("res_cp")),
              QStringList({"RES_CP", "-", "id", "team_id", "runner_id", "count", "KP", "time", "status", "note", "ctime"}));
    EXPECT_FALSE(child<QMenu>("RunnersDB")->isEnabled());
    EXPECT_EQ(menuTexts(child<QMenu>("RunnersDB")), QStringList({"RunnerDB"}));

    sqlEditor()->setPlainText(QStringLiteral("SELECT x FROM y"));
    QTextCursor cursor = sqlEditor()->textCursor();
    cursor.setPosition(7);
    cursor.setPosition(8, QTextCursor::KeepAnchor); // the "x"
    sqlEditor()->setTextCursor(cursor);
    child<QMenu>("runner")->actions().at(5)->trigger(); // lastname
    EXPECT_EQ(sqlEditor()->toPlainText(), QStringLiteral("SELECT lastname  FROM y"));
    child<QMenu>("runner")->actions().at(0)->trigger();
    EXPECT_EQ(sqlEditor()->toPlainText(), QStringLiteral("SELECT lastname RUNNER  FROM y"));
}

TEST_F(DataEditorFixture, UpdateInsideAStringConstantStillAsks)
{
    addTeams(1);
    QString question;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        question = box->text();
        box->button(QMessageBox::No)->click();
    });
    run(QStringLiteral("SELECT 'UPDATE' AS word FROM team"));
    EXPECT_EQ(question, QStringLiteral("Are you sure you want to change data?"));
    // Refused: nothing ran, nothing was logged.
    EXPECT_TRUE(logTexts().isEmpty());
    EXPECT_EQ(grid()->model(), nullptr);

    child<QCheckBox>("cbWarning")->setChecked(false);
    run();
    EXPECT_EQ(cell(0, 0), QStringLiteral("UPDATE"));
}

TEST_F(DataEditorFixture, ChangeWithoutTheWordsStillAsksBeforeItRuns)
{
    addTeams(2);
    const QString drop = QStringLiteral("SELECT count(*) FROM team; DROP TABLE extrapoint");
    int asked = 0;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        ++asked;
        EXPECT_EQ(box->text(), QStringLiteral("Are you sure you want to change data?"));
        box->button(QMessageBox::No)->click();
    });
    run(drop);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(data.connection().tableExists(QStringLiteral("extrapoint")));
    EXPECT_EQ(logTexts(), QStringList({drop}));

    whenModal<QMessageBox>([&](QMessageBox *box) {
        ++asked;
        box->button(QMessageBox::Yes)->click();
    });
    run(QStringLiteral("REPLACE INTO team (id, number, name) VALUES (1, 1, 'Replaced')"));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(findRow(data, QStringLiteral("team"), 1)->value(QStringLiteral("name")).toString(), QStringLiteral("Replaced"));
    EXPECT_EQ(logTexts().mid(1), QStringList({"REPLACE INTO team (id, number, name) VALUES (1, 1, 'Replaced')", "Ok.", " 1 rows affected."}));

    // Without "Warning" nothing is asked.
    child<QCheckBox>("cbWarning")->setChecked(false);
    run(drop);
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(data.connection().tableExists(QStringLiteral("extrapoint")));
}

TEST_F(DataEditorFixture, WithASelectionOnlyTheSelectedTextRuns)
{
    addTeams(3);
    sqlEditor()->setPlainText(QStringLiteral("DELETE FROM team;\nSELECT number, name FROM team ORDER BY number DESC"));
    QTextCursor cursor = sqlEditor()->textCursor();
    cursor.setPosition(18);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    sqlEditor()->setTextCursor(cursor);
    run();
    const QStringList log = logTexts();
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log[0], QStringLiteral("SELECT number, name FROM team ORDER BY number DESC"));
    EXPECT_EQ(log[1], QStringLiteral("3"));
    EXPECT_TRUE(log[2].startsWith(QLatin1String("Ok.>>")));
    EXPECT_EQ(pages()->currentWidget()->objectName(), QStringLiteral("tsData"));
    EXPECT_EQ(grid()->model()->rowCount(), 3);
    EXPECT_EQ(cell(0, 0), QStringLiteral("3"));
    EXPECT_EQ(grid()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("name"));
}

TEST_F(DataEditorFixture, UpdateOfFiveRowsLogsOkAndTheRowsAffected)
{
    addTeams(5);
    whenModal<QMessageBox>([](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
    run(QStringLiteral("UPDATE team SET name = 'x'"));
    EXPECT_EQ(logTexts(), QStringList({"UPDATE team SET name = 'x'", "Ok.", " 5 rows affected."}));
    EXPECT_EQ(pages()->currentWidget()->objectName(), QStringLiteral("tsLog"));
    EXPECT_EQ(selectRows(data, QStringLiteral("team"), {{"name", "x"}}).size(), 5u);
}

TEST_F(DataEditorFixture, ParametersAreAskedInOrder)
{
    QStringList prompts;
    const auto answer = [&](const QString &value) {
        return [&prompts, value](QInputDialog *dialog) {
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Insert value"));
            prompts.append(dialog->labelText());
            dialog->setTextValue(value);
            dialog->accept();
        };
    };
    whenModal<QInputDialog>([&](QInputDialog *dialog) {
        answer(QStringLiteral("1"))(dialog);
        whenModal<QInputDialog>(answer(QString()));
    });
    run(QStringLiteral("SELECT :first AS a, :second AS b, :first AS c"));
    EXPECT_EQ(prompts, QStringList({"Value for :first", "Value for :second"}));
    EXPECT_EQ(cell(0, 0), QStringLiteral("1"));
    EXPECT_EQ(cell(0, 1), QString());
    EXPECT_EQ(cell(0, 2), QStringLiteral("1"));
}

TEST_F(DataEditorFixture, CancelOfAParameterRunsNothingAndLogsNothing)
{
    addTeams(2);
    whenModal<QInputDialog>([](QInputDialog *dialog) {
        dialog->setTextValue(QStringLiteral("New"));
        dialog->accept();
        whenModal<QInputDialog>([](QInputDialog *dialog) { dialog->reject(); });
    });
    child<QCheckBox>("cbWarning")->setChecked(false);
    run(QStringLiteral("UPDATE team SET name = :name WHERE number = :number"));
    EXPECT_TRUE(logTexts().isEmpty()) << logTexts().join(u'|').toStdString();
    EXPECT_EQ(selectRows(data, QStringLiteral("team"), {{"name", "New"}}).size(), 0u);
    EXPECT_EQ(grid()->model(), nullptr);
}

TEST_F(DataEditorFixture, EngineErrorPutsTheCaretWhereItNamesAndLogsTheMessage)
{
    run(QStringLiteral("SELECT id\nFROM team\nWHERE id = 1 +nosuch"));
    const QTextCursor caret = sqlEditor()->textCursor();
    EXPECT_EQ(caret.blockNumber(), 2);
    EXPECT_EQ(caret.positionInBlock(), 14); // before the fifteenth character
    EXPECT_EQ(logTexts().last(), QStringLiteral("no such column: nosuch (line 3, column 15)"));
    EXPECT_EQ(pages()->currentWidget()->objectName(), QStringLiteral("tsLog"));

    // The place is found in the editor when only a selection ran.
    sqlEditor()->setPlainText(QStringLiteral("SELECT 1;\nSELECT 2;\nSELECT\n nosuch"));
    QTextCursor selection = sqlEditor()->textCursor();
    selection.setPosition(20);
    selection.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    sqlEditor()->setTextCursor(selection);
    run();
    EXPECT_EQ(sqlEditor()->textCursor().blockNumber(), 3);
    EXPECT_EQ(sqlEditor()->textCursor().positionInBlock(), 1);
}

TEST_F(DataEditorFixture, EmptyResultSavesNothing)
{
    run(QStringLiteral("SELECT number, name FROM team"));
    EXPECT_EQ(grid()->model()->rowCount(), 0);
    bool asked = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            asked = true;
            static_cast<QDialog *>(dialog)->reject();
        }
    });
    watch.start(10);
    child<QToolButton>("btnSaveToFile")->click();
    for (QAction *action : child<QMenu>("pmSaveTo")->actions())
        action->trigger();
    QTest::qWait(50);
    EXPECT_FALSE(asked);
    EXPECT_TRUE(QDir(location.resultsDirectory).isEmpty());
}

TEST_F(DataEditorFixture, ResultIsSavedAsTextAndAsXml)
{
    insertRow(data, QStringLiteral("team"), {{"number", 1}, {"name", "A<B & C"}});
    run(QStringLiteral("SELECT number, name FROM team"));
    const QString text = location.resultsDirectory + QStringLiteral("rows.txt");
    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        EXPECT_EQ(dialog->directory().absolutePath() + u'/', location.resultsDirectory);
        EXPECT_EQ(dialog->nameFilters(), QStringList({"Text files (*.txt)", "All files (*.*)"}));
        typeFileName(dialog, QStringLiteral("rows"));
    });
    child<QToolButton>("btnSaveToFile")->click();
    EXPECT_EQ(readFile(text), QByteArray("number;name;\r\n1;A<B & C;\r\n"));

    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save table as XML file."));
        typeFileName(dialog, QStringLiteral("rows"));
    });
    child<QMenu>("pmSaveTo")->actions().at(1)->trigger();
    XmlDocument xml;
    xml.load(location.resultsDirectory + QStringLiteral("rows.xml"));
    EXPECT_EQ(xml.documentElement().child(QStringLiteral("record")).child(QStringLiteral("name")).text(), QStringLiteral("A<B & C"));
}

TEST_F(DataEditorFixture, TheEventsOwnFilesAreNeverOverwrittenByASavedResult)
{
    const QString settings = location.eventDirectory + QStringLiteral("setup.ini");
    writeFile(settings, "[fEventInfo]\r\nleName=Rogain 2026\r\n");
    insertRow(data, QStringLiteral("team"), {{"number", 1}, {"name", "Owls"}});
    run(QStringLiteral("SELECT number, name FROM team"));
    for (const QString &target : {settings, location.eventDirectory + QStringLiteral("rogain.abs")}) {
        QString shown;
        // The dialog asks first whether to replace the file; the error follows.
        std::function<void(QMessageBox *)> answer = [&](QMessageBox *box) {
            if (box->text().contains(QLatin1String("already exists"))) {
                box->button(QMessageBox::Yes)->click();
                whenModal<QMessageBox>(answer);
                return;
            }
            shown = box->text();
            box->accept();
        };
        whenModal<QFileDialog>([&](QFileDialog *dialog) {
            whenModal<QMessageBox>(answer);
            typeFileName(dialog, target);
        });
        child<QToolButton>("btnSaveToFile")->click();
        EXPECT_TRUE(shown.startsWith(QStringLiteral("Cannot write %1: it is the event's").arg(target))) << shown.toStdString();
    }
    EXPECT_EQ(readFile(settings), QByteArray("[fEventInfo]\r\nleName=Rogain 2026\r\n"));
    EXPECT_EQ(data.rowCount(QStringLiteral("team")), 1);
}

TEST_F(DataEditorFixture, DoubleClickOnALargeIntegerShowsItsTimeCode)
{
    addTeams(1);
    run(QStringLiteral("SELECT number, rtime FROM team"));
    QString shown;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        shown = box->text();
        box->accept();
    });
    grid()->scrollTo(grid()->model()->index(0, 1));
    const QRect rtime = grid()->visualRect(grid()->model()->index(0, 1));
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, rtime.center());
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, rtime.center());
    EXPECT_EQ(shown, QStringLiteral("01:00.00,00*"));
}

TEST_F(DataEditorFixture, LiveResultOfOneTableWithItsKeyIsEditedInPlace)
{
    addTeams(2);
    child<QCheckBox>("cbRequestLive")->setChecked(true);
    run(QStringLiteral("SELECT id, name AS team FROM team WHERE number = 2"));
    auto *live = qobject_cast<db::EditableTableModel *>(grid()->model());
    ASSERT_TRUE(live);
    EXPECT_TRUE(child<QWidget>("DBNavigator")->isVisible());
    EXPECT_EQ(live->headerData(1, Qt::Horizontal).toString(), QStringLiteral("team"));
    ASSERT_TRUE(live->setData(live->index(0, 1), QStringLiteral("Renamed")));
    EXPECT_EQ(findRow(data, QStringLiteral("team"), 2)->value(QStringLiteral("name")).toString(), QStringLiteral("Renamed"));

    // Other results are shown read-only, and the log says so.
    run(QStringLiteral("SELECT name FROM team"));
    EXPECT_TRUE(qobject_cast<SqlResultModel *>(grid()->model()));
    EXPECT_EQ(editor->findChild<QWidget *>(QStringLiteral("DBNavigator")), nullptr);
    EXPECT_TRUE(logTexts().contains(QStringLiteral("Live results need the rows of one table with its id; these rows are shown read-only.")));
}

TEST_F(DataEditorFixture, RunningStatementLeavesTheWindowFreeAndCanBeStopped)
{
    sqlEditor()->setPlainText(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c) SELECT count(*) FROM c"));
    QTest::keyClick(sqlEditor(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(editor->isRunning());
    EXPECT_FALSE(child<QPushButton>("btnExecute")->isEnabled());
    // The window answers meanwhile.
    QTest::keyClicks(child<QPlainTextEdit>("mSQLEditor"), QStringLiteral("--"));
    QTest::qWait(20);
    EXPECT_TRUE(editor->isRunning());
    QTest::mouseClick(child<QPushButton>("btnStop"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !editor->isRunning(); }, 30'000));
    EXPECT_TRUE(logTexts().last().startsWith(QLatin1String("Stopped"))) << logTexts().last().toStdString();
    EXPECT_TRUE(child<QPushButton>("btnExecute")->isEnabled());
}

TEST_F(DataEditorFixture, EditorTextIsKeptBetweenOpenings)
{
    sqlEditor()->setPlainText(QStringLiteral("SELECT *\nFROM runner"));
    editor->reject();
    EXPECT_EQ(readFile(location.eventDirectory + QStringLiteral("sqlhistory.sql")), QByteArray("SELECT *\r\nFROM runner\r\n"));
    TfDataEditor again(location, data);
    again.show();
    EXPECT_EQ(again.findChild<QPlainTextEdit *>(QStringLiteral("mSQLEditor"))->toPlainText(), QStringLiteral("SELECT *\nFROM runner"));
}

TEST_F(DataEditorFixture, HistoryThatIsNoPlainFileIsNamedAndDoesNotHoldTheWindow)
{
    editor->hide();
    sqlEditor()->setPlainText(QStringLiteral("SELECT 1"));
    // Reading a pipe would wait for a writer that never comes.
    const QString history = location.eventDirectory + QStringLiteral("sqlhistory.sql");
    ASSERT_EQ(::mkfifo(QFile::encodeName(history).constData(), 0600), 0);
    QString shown;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        shown = box->text();
        box->accept();
    });
    editor->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.isEmpty(); }, 10'000));
    EXPECT_EQ(shown, QStringLiteral("Cannot read %1: it is not a plain file").arg(history));
    EXPECT_EQ(sqlEditor()->toPlainText(), QStringLiteral("SELECT 1"));
}

TEST_F(DataEditorFixture, SpreadsheetExportOfAHundredRowsOpensTheWorkbook)
{
    addTeams(150);
    run(QStringLiteral("SELECT number, name, rtime FROM team ORDER BY number"));
    OpenedFiles opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    const auto unsetHandler = qScopeGuard([] { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); });

    whenModal<TfrmFieldSelection>([&](TfrmFieldSelection *selection) {
        EXPECT_EQ(selection->windowTitle(), QStringLiteral("Field Selection"));
        auto *fields = selection->findChild<QListWidget *>(QStringLiteral("clbFields"));
        EXPECT_EQ(fields->count(), 3);
        EXPECT_EQ(fields->item(2)->checkState(), Qt::Checked);
        auto *limit = selection->findChild<QComboBox *>(QStringLiteral("cbRecordLimit"));
        EXPECT_EQ(limit->currentText(), QStringLiteral("All"));
        selection->findChild<QPushButton *>(QStringLiteral("btnUnselectAll"))->click();
        fields->item(0)->setCheckState(Qt::Checked);
        selection->findChild<QAction *>(QStringLiteral("actInvertSelection"))->trigger(); // name and rtime
        limit->setCurrentIndex(limit->findText(QStringLiteral("100")));
        whenModal<QFileDialog>([](QFileDialog *dialog) { typeFileName(dialog, QStringLiteral("teams")); });
        selection->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    });
    child<QMenu>("pmSaveTo")->actions().at(2)->trigger();

    const QString workbook = location.resultsDirectory + QStringLiteral("teams.xlsx");
    EXPECT_EQ(opened.files, QStringList({workbook}));
    EXPECT_EQ(child<QStatusBar>("StatusBar")->currentMessage(), QStringLiteral(" Successfully exported 100 records to Excel"));
    const XlsxReader book(workbook);
    ASSERT_TRUE(book.isValid());
    EXPECT_EQ(book.rows().size(), 101);
    EXPECT_EQ(book.rows().last(), 101);
    const auto cells = book.cells();
    EXPECT_EQ(cells.value(QStringLiteral("A1")).value, QStringLiteral("name"));
    EXPECT_EQ(cells.value(QStringLiteral("B101")).value, QStringLiteral("200360000"));
    EXPECT_FALSE(cells.contains(QStringLiteral("C1")));
}

TEST_F(DataEditorFixture, ATypedLimitIsTakenAsTypedAndAnUnopenedWorkbookIsNoSuccess)
{
    addTeams(5);
    run(QStringLiteral("SELECT number FROM team ORDER BY number"));
    // No program takes the file.
    QDesktopServices::setUrlHandler(QStringLiteral("file"), nullptr, "");
    QString message;
    whenModal<TfrmFieldSelection>([&](TfrmFieldSelection *selection) {
        auto *limit = selection->findChild<QComboBox *>(QStringLiteral("cbRecordLimit"));
        limit->lineEdit()->selectAll();
        QTest::keyClicks(limit->lineEdit(), QStringLiteral("2"));
        EXPECT_EQ(limit->currentText(), QStringLiteral("2"));
        whenModal<QFileDialog>([](QFileDialog *dialog) { typeFileName(dialog, QStringLiteral("two")); });
        whenModal<QMessageBox>([&](QMessageBox *box) {
            message = box->text();
            box->accept();
        });
        selection->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    });
    child<QMenu>("pmSaveTo")->actions().at(2)->trigger();

    const QString workbook = location.resultsDirectory + QStringLiteral("two.xlsx");
    const XlsxReader book(workbook);
    ASSERT_TRUE(book.isValid());
    EXPECT_EQ(book.rows().size(), 3); // the header and two records
    EXPECT_EQ(message, QStringLiteral("2 records were written to %1, but no program could be started to open it").arg(workbook)) << message.toStdString();
    const QString status = child<QStatusBar>("StatusBar")->currentMessage();
    EXPECT_FALSE(status.contains(QStringLiteral("Successfully"))) << status.toStdString();
    EXPECT_TRUE(status.contains(workbook)) << status.toStdString();
}

TEST_F(DataEditorFixture, InvalidRecordLimitIsRefused)
{
    addTeams(2);
    run(QStringLiteral("SELECT number FROM team"));
    QString message;
    whenModal<TfrmFieldSelection>([&](TfrmFieldSelection *selection) {
        selection->findChild<QComboBox *>(QStringLiteral("cbRecordLimit"))->setEditText(QStringLiteral("ten"));
        whenModal<QMessageBox>([&](QMessageBox *box) {
            message = box->text();
            box->accept();
        });
        selection->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    });
    child<QMenu>("pmSaveTo")->actions().at(2)->trigger();
    EXPECT_EQ(message, QStringLiteral("You specified an invalid number of records to export!"));
    EXPECT_TRUE(QDir(location.resultsDirectory).isEmpty());
}

#include "uDataEditorTest.moc"
