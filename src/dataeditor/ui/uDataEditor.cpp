#include "dataeditor/ui/uDataEditor.h"

#include "base/KorventError.h"
#include "base/ui/MessageBoxSink.h"
#include "base/ui/TDBNavigator.h"
#include "db/EditableTableModel.h"
#include "base/TextPrinting.h"
#include "dataeditor/SqlConsole.h"
#include "dataeditor/SqlResultModel.h"
#include "dataeditor/SqlRunner.h"
#include "dataeditor/ui/uFieldSelection.h"
#include "store/DatabaseBinding.h"
#include "store/EventSchema.h"
#include "store/TimeHelpers.h"
#include "store/EventFiles.h"
#include "store/uData.h"
#include "reports/ui/TextPrinter.h"
#include "base/ui/FileDialogs.h"

#include <QDir>
#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The tables offered in the editor's menu, each with its fields in stored order.
const char *const menuTables[] = {"runner", "team", "control", "res_cp", "extrapoint"};

// A selection holds paragraph separators where the text has line feeds.
QString plainText(QString text)
{
    return text.replace(QChar::ParagraphSeparator, u'\n');
}

} // namespace

TfDataEditor::TfDataEditor(const EventLocation &location, TdmData &data, QWidget *parent)
    : QDialog(parent)
    , m_location(location)
    , m_data(data)
    , m_runner(std::make_unique<SqlRunner>(EventDatabaseAddress(location.eventDirectory)))
    , m_fieldSelection(new TfrmFieldSelection(this))
{
    setObjectName(QStringLiteral("fDataEditor"));
    setWindowTitle(tr("Data editor"));
    connect(m_runner.get(), &SqlRunner::finished, this, &TfDataEditor::runFinished);

    mSQLEditor = new QPlainTextEdit(this);
    mSQLEditor->setObjectName(QStringLiteral("mSQLEditor"));
    mSQLEditor->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed(QStringLiteral("Courier New"), 10);
    fixed.setStyleHint(QFont::TypeWriter);
    mSQLEditor->setFont(fixed);
    mSQLEditor->installEventFilter(this);
    mSQLEditor->setContextMenuPolicy(Qt::CustomContextMenu);
    pmDataBases = createDataBasesMenu();
    connect(mSQLEditor, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { pmDataBases->popup(mSQLEditor->viewport()->mapToGlobal(at)); });

    const auto button = [this](const char *name, const QString &caption, const QString &hint) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        return b;
    };
    btnExecute = button("btnExecute", tr("Run !"), tr("Run the statement (Ctrl+Enter)"));
    btnStop = button("btnStop", tr("Stop"), tr("Stop the running statement"));
    btnStop->setEnabled(false);
    bbtnLoad = button("bbtnLoad", tr("Open"), tr("Load query"));
    bbtnSave = button("bbtnSave", tr("Save"), tr("Save query"));
    cbRequestLive = new QCheckBox(tr("Live results"), this);
    cbRequestLive->setObjectName(QStringLiteral("cbRequestLive"));
    cbRequestLive->setToolTip(tr("Results of one table with its id are edited in place"));
    cbWarning = new QCheckBox(tr("Warning"), this);
    cbWarning->setObjectName(QStringLiteral("cbWarning"));
    cbWarning->setToolTip(tr("Show warning before editing data"));
    cbWarning->setChecked(true);
    connect(btnExecute, &QPushButton::clicked, this, [this] { runCommand([this] { btnExecuteClick(); }); });
    connect(btnStop, &QPushButton::clicked, this, &TfDataEditor::btnStopClick);
    connect(bbtnLoad, &QPushButton::clicked, this, [this] { runCommand([this] { bbtnLoadClick(); }); });
    connect(bbtnSave, &QPushButton::clicked, this, [this] { runCommand([this] { bbtnSaveClick(); }); });

    DBGrid = new QTableView(this);
    DBGrid->setObjectName(QStringLiteral("DBGrid"));
    DBGrid->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    connect(DBGrid, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) { DBGridDblClick(index); });
    mLog = new QPlainTextEdit(this);
    mLog->setObjectName(QStringLiteral("mLog"));
    mLog->setReadOnly(true);
    mLog->setLineWrapMode(QPlainTextEdit::NoWrap);

    pcSQL = new QTabWidget(this);
    pcSQL->setObjectName(QStringLiteral("pcSQL"));
    tsData = new QWidget(pcSQL);
    tsData->setObjectName(QStringLiteral("tsData"));
    m_dataLayout = new QVBoxLayout(tsData);
    m_dataLayout->addWidget(DBGrid);
    tsLog = new QWidget(pcSQL);
    tsLog->setObjectName(QStringLiteral("tsLog"));
    (new QVBoxLayout(tsLog))->addWidget(mLog);
    pcSQL->addTab(tsData, tr("Data"));
    pcSQL->addTab(tsLog, tr("Log"));

    btnPrinter = button("btnPrinter", tr("Print"), tr("Print table to default printer"));
    btnSaveToFile = new QToolButton(this);
    btnSaveToFile->setObjectName(QStringLiteral("btnSaveToFile"));
    btnSaveToFile->setText(tr("Save"));
    btnSaveToFile->setToolTip(tr("Save the result to a file"));
    btnSaveToFile->setPopupMode(QToolButton::MenuButtonPopup);
    pmSaveTo = new QMenu(btnSaveToFile);
    pmSaveTo->setObjectName(QStringLiteral("pmSaveTo"));
    const auto saveItem = [this](const char *name, const QString &caption, void (TfDataEditor::*handler)()) {
        QAction *action = pmSaveTo->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
    };
    saveItem("TextFile1", tr("Text file"), &TfDataEditor::saveTextFileClick);
    saveItem("XMLFile1", tr("XML file"), &TfDataEditor::saveXmlFileClick);
    saveItem("MSExcel1", tr("MS Excel"), &TfDataEditor::saveToExcelClick);
    btnSaveToFile->setMenu(pmSaveTo);
    connect(btnSaveToFile, &QToolButton::clicked, this, [this] { runCommand([this] { saveTextFileClick(); }); });
    connect(btnPrinter, &QPushButton::clicked, this, [this] { runCommand([this] { btnPrinterClick(); }); });

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);

    auto *commands = new QVBoxLayout;
    for (QWidget *widget : std::initializer_list<QWidget *>{btnExecute, btnStop, bbtnLoad, bbtnSave, cbRequestLive, cbWarning})
        commands->addWidget(widget);
    commands->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(mSQLEditor, 1);
    top->addLayout(commands);
    auto *resultCommands = new QHBoxLayout;
    resultCommands->addStretch();
    resultCommands->addWidget(btnPrinter);
    resultCommands->addWidget(btnSaveToFile);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 2);
    layout->addWidget(pcSQL, 3);
    layout->addLayout(resultCommands);
    layout->addWidget(StatusBar);
    resize(820, 640);
}

TfDataEditor::~TfDataEditor() = default;

QMenu *TfDataEditor::createDataBasesMenu()
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("pmDataBases"));
    const auto item = [menu](const QString &caption, auto slot) {
        QAction *action = menu->addAction(caption);
        connect(action, &QAction::triggered, menu, slot);
        return action;
    };
    item(tr("&Undo"), [this] { mSQLEditor->undo(); });
    item(tr("&Copy"), [this] { mSQLEditor->copy(); });
    item(tr("&Cut"), [this] { mSQLEditor->cut(); });
    item(tr("&Paste"), [this] { mSQLEditor->paste(); });
    item(tr("Select &All"), [this] { mSQLEditor->selectAll(); });
    item(tr("Select &Line"), [this] {
        QTextCursor cursor = mSQLEditor->textCursor();
        cursor.movePosition(QTextCursor::StartOfBlock);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        mSQLEditor->setTextCursor(cursor);
    });
    item(tr("Clear selection"), [this] {
        QTextCursor cursor = mSQLEditor->textCursor();
        cursor.clearSelection();
        mSQLEditor->setTextCursor(cursor);
    });
    item(tr("Delete"), [this] { mSQLEditor->clear(); });
    menu->addSeparator();

    QMenu *results = menu->addMenu(tr("ResultsDB"));
    results->setObjectName(QStringLiteral("ResultsDB"));
    for (const char *name : menuTables) {
        const db::TableDefinition &table = EventTable(QLatin1String(name));
        QMenu *tableMenu = results->addMenu(table.name);
        tableMenu->setObjectName(table.name);
        QStringList captions{table.name.toUpper()};
        for (const db::FieldDefinition &field : table.fields)
            captions.append(field.name);
        for (qsizetype i = 0; i < captions.size(); ++i) {
            if (i == 1)
                tableMenu->addSeparator();
            QAction *action = tableMenu->addAction(captions[i]);
            connect(action, &QAction::triggered, this, [this, caption = captions[i]] { insertCaption(caption); });
        }
    }
    QMenu *runners = menu->addMenu(tr("RunnersDB"));
    runners->setObjectName(QStringLiteral("RunnersDB"));
    runners->addAction(tr("RunnerDB"));
    runners->setEnabled(false);
    return menu;
}

void TfDataEditor::insertCaption(const QString &caption)
{
    mSQLEditor->textCursor().insertText(caption + u' ');
}

void TfDataEditor::log(const QString &text)
{
    mLog->appendPlainText(LogLine(text));
}

void TfDataEditor::runCommand(const std::function<void()> &command)
{
    try {
        command();
    } catch (const KorventError &error) {
        MessageBoxSink(this).error(error.message());
    }
}

void TfDataEditor::showEvent(QShowEvent *event)
{
    const QString history = SqlHistoryFileName(m_location.eventDirectory);
    if (QFileInfo::exists(history))
        runCommand([&] { mSQLEditor->setPlainText(LoadSqlText(history)); });
    QDialog::showEvent(event);
}

void TfDataEditor::done(int result)
{
    // A statement still running is stopped; what it changed is rolled back.
    if (m_running) {
        m_runner->cancel();
        m_runner->wait();
    }
    runCommand([this] { SaveSqlText(SqlHistoryFileName(m_location.eventDirectory), mSQLEditor->toPlainText()); });
    QDialog::done(result);
}

bool TfDataEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mSQLEditor && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool runKey = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_E;
        if (runKey && (key->modifiers() & Qt::ControlModifier)) {
            runCommand([this] { btnExecuteClick(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfDataEditor::btnExecuteClick()
{
    if (m_running)
        return;
    const QTextCursor cursor = mSQLEditor->textCursor();
    const QString text = cursor.hasSelection() ? plainText(cursor.selectedText()) : mSQLEditor->toPlainText();
    const bool asked = cbWarning->isChecked() && AsksBeforeChange(text);
    if (asked && !changeConfirmed())
        return;
    QVariantList values;
    for (const db::SqlParameter &parameter : db::SqlParameters(text)) {
        bool answered = false;
        const QString value = QInputDialog::getText(this, tr("Insert value"), tr("Value for :") + parameter.name, QLineEdit::Normal,
                                                    QString(), &answered);
        // Cancel runs nothing and, like a refused question, logs nothing.
        if (!answered)
            return;
        values.append(value);
    }
    log(text);
    m_runStart = cursor.hasSelection() ? cursor.selectionStart() : 0;
    m_runLive = cbRequestLive->isChecked();
    m_runText = text;
    m_runValues = values;
    // Not asked, the run may only read: a statement that changes data without
    // those words (DROP, REPLACE, ALTER, ...) stops it before anything changed, and is asked about then.
    startRun(cbWarning->isChecked() && !asked ? db::SqlAccess::ReadOnly : db::SqlAccess::MayChange);
}

bool TfDataEditor::changeConfirmed()
{
    return QMessageBox::warning(this, tr("Warning"), tr("Are you sure you want to change data?"), QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

void TfDataEditor::startRun(db::SqlAccess access)
{
    m_running = true;
    btnExecute->setEnabled(false);
    btnStop->setEnabled(true);
    setCursor(Qt::BusyCursor);
    m_runner->start(m_runText, m_runValues, access);
}

void TfDataEditor::btnStopClick()
{
    m_runner->cancel();
}

void TfDataEditor::runFinished(const SqlRunResult &result)
{
    m_running = false;
    btnExecute->setEnabled(true);
    btnStop->setEnabled(false);
    unsetCursor();
    if (!result.ok && result.changeRefused) {
        if (changeConfirmed())
            startRun(db::SqlAccess::MayChange);
        return;
    }
    if (!result.ok) {
        clearResult();
        if (result.errorLine > 0)
            placeCaret(result.errorLine, result.errorColumn);
        log(result.error);
        pcSQL->setCurrentWidget(tsLog);
        emit runShown();
        return;
    }
    if (result.outcome.returnsRows)
        showResult(result.outcome);
    else
        clearResult();
    for (const QString &text : RunLogTexts(result.outcome, result.elapsedMilliseconds))
        log(text);
    pcSQL->setCurrentWidget(result.outcome.returnsRows ? tsData : tsLog);
    emit runShown();
}

void TfDataEditor::clearResult()
{
    showResult(db::SqlOutcome{});
}

void TfDataEditor::showResult(const db::SqlOutcome &outcome)
{
    delete DBNavigator;
    DBNavigator = nullptr;
    QAbstractItemModel *old = m_model;
    m_liveModel = nullptr;
    m_columns = outcome.columns;

    const std::optional<LiveRows> live = m_runLive ? LiveRowsOf(outcome) : std::nullopt;
    if (m_runLive && outcome.returnsRows && !live)
        log(tr("Live results need the rows of one table with its id; these rows are shown read-only."));
    if (live) {
        auto *model = new db::EditableTableModel(m_data.connection(), EventTable(live->table), live->fields, this);
        // The grid's titles are the result's names.
        for (size_t c = 0; c < outcome.columns.size(); ++c)
            model->setColumnTitle(live->fields[static_cast<qsizetype>(c)], outcome.columns[c].name);
        model->setKeys(live->keys);
        model->select();
        m_liveModel = model;
        m_liveFields = live->fields;
        m_model = model;
        QItemSelectionModel *oldSelection = DBGrid->selectionModel();
        DBGrid->setModel(model);
        delete oldSelection;
        DBNavigator = new TDBNavigator(DBGrid, model, tsData);
        DBNavigator->setObjectName(QStringLiteral("DBNavigator"));
        m_dataLayout->insertWidget(0, DBNavigator);
        DBNavigator->show();
    } else {
        m_model = new SqlResultModel(outcome, this);
        QItemSelectionModel *oldSelection = DBGrid->selectionModel();
        DBGrid->setModel(m_model);
        delete oldSelection;
    }
    delete old;
}

void TfDataEditor::placeCaret(int line, int column)
{
    // The place is counted in the text that ran: a selection starts further on.
    const QString text = mSQLEditor->toPlainText();
    qsizetype at = m_runStart;
    for (int l = 1; l < line && at < text.size(); ++l) {
        const qsizetype next = text.indexOf(u'\n', at);
        at = next < 0 ? text.size() : next + 1;
    }
    const qsizetype lineEnd = text.indexOf(u'\n', at);
    at = std::min(at + column - 1, lineEnd < 0 ? text.size() : lineEnd);
    QTextCursor cursor = mSQLEditor->textCursor();
    cursor.setPosition(static_cast<int>(at));
    mSQLEditor->setTextCursor(cursor);
    mSQLEditor->setFocus();
}

db::SqlOutcome TfDataEditor::shownRows()
{
    if (!m_liveModel)
        return m_model ? static_cast<SqlResultModel *>(m_model)->outcome() : db::SqlOutcome{};
    while (m_liveModel->canFetchMore())
        m_liveModel->fetchMore();
    db::SqlOutcome outcome;
    outcome.returnsRows = true;
    outcome.columns = m_columns;
    for (int row = 0; row < m_liveModel->rowCount(); ++row) {
        if (m_liveModel->rowId(row) == 0)
            continue; // a new row nothing was typed into
        QVariantList values;
        for (const QString &field : std::as_const(m_liveFields))
            values.append(m_liveModel->value(row, field));
        outcome.rows.push_back(values);
    }
    return outcome;
}

void TfDataEditor::bbtnLoadClick()
{
    const QString fileName = ChooseFileName(this, {.caption = tr("Open query from.."),
                                                   .start = queriesFolder(),
                                                   .filters = tr("SQL files (*.sql)"),
                                                   .defaultSuffix = QStringLiteral("sql"),
                                                   .objectName = QStringLiteral("OpenDialog")});
    if (!fileName.isEmpty())
        mSQLEditor->setPlainText(LoadSqlText(fileName));
}

QString TfDataEditor::queriesFolder() const
{
    QDir().mkpath(m_location.program.userFolder);
    return m_location.program.userFolder;
}

QString TfDataEditor::eventFileRefused(const QString &target) const
{
    RefuseEventFileAsTarget(m_location.eventDirectory, target);
    return target;
}

void TfDataEditor::bbtnSaveClick()
{
    if (mSQLEditor->toPlainText().isEmpty())
        return;
    const QString fileName = ChooseFileName(this, {.kind = FileQuestion::FileToWrite,
                                                   .caption = tr("Save query as.."),
                                                   .start = queriesFolder(),
                                                   .filters = tr("SQL files (*.sql)"),
                                                   .defaultSuffix = QStringLiteral("sql"),
                                                   .objectName = QStringLiteral("SaveDialog")});
    if (!fileName.isEmpty())
        SaveSqlText(eventFileRefused(fileName), mSQLEditor->toPlainText());
}

void TfDataEditor::saveTextFileClick()
{
    const db::SqlOutcome rows = shownRows();
    if (rows.rows.empty())
        return;
    const QString fileName = ChooseFileName(this, {.kind = FileQuestion::FileToWrite,
                                                   .start = m_location.resultsDirectory,
                                                   .filters = tr("Text files (*.txt);;All files (*.*)"),
                                                   .defaultSuffix = QStringLiteral("txt"),
                                                   .objectName = QStringLiteral("SaveDialogText")});
    if (!fileName.isEmpty())
        SaveResultAsText(eventFileRefused(fileName), rows);
}

void TfDataEditor::saveXmlFileClick()
{
    const db::SqlOutcome rows = shownRows();
    if (rows.rows.empty())
        return;
    const QString fileName = ChooseFileName(this, {.kind = FileQuestion::FileToWrite,
                                                   .caption = tr("Save table as XML file."),
                                                   .start = m_location.resultsDirectory,
                                                   .filters = tr("XML files (*.xml)"),
                                                   .defaultSuffix = QStringLiteral("xml"),
                                                   .objectName = QStringLiteral("SaveDialogXml")});
    if (!fileName.isEmpty())
        SaveResultAsXml(eventFileRefused(fileName), rows);
}

void TfDataEditor::saveToExcelClick()
{
    ExportDataSetToExcel(shownRows(), true, StatusBar, *m_fieldSelection, m_location.resultsDirectory, this);
}

void TfDataEditor::btnPrinterClick()
{
    const db::SqlOutcome rows = shownRows();
    if (rows.columns.empty())
        return;
    QPrinter printer(DefaultPrinter(), QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("K*V SQL Print"));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setCopyCount(1);
    PrintListing(printer, ResultPrintLines(rows));
}

void TfDataEditor::DBGridDblClick(const QModelIndex &index)
{
    if (!index.isValid() || static_cast<size_t>(index.column()) >= m_columns.size())
        return;
    if (IsLargeIntegerColumn(m_columns[static_cast<size_t>(index.column())])) {
        const qint64 value = index.data(Qt::EditRole).toString().toLongLong();
        QMessageBox::information(this, tr("Korvent"), TimeCodeText(value, 2));
        return;
    }
    if (m_liveModel)
        DBGrid->edit(index);
}
