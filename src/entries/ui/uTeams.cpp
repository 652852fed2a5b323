#include "entries/ui/uTeams.h"

#include "entries/ui/EntryFileDialog.h"
#include "entries/ui/uChooseSelect.h"
#include "entries/ui/uNumberTeams.h"
#include "entries/ui/uTeamControls.h"
#include "entries/ui/uViewControls.h"

#include "base/KorventError.h"
#include "base/ui/MessageBoxSink.h"
#include "base/ui/LongWork.h"
#include "base/ui/OverrideCursor.h"
#include "base/ui/PickListDelegate.h"
#include "base/ui/TDBNavigator.h"
#include "base/ui/TextFileDialog.h"
#include "db/EditableTableModel.h"
#include "entries/EntryImport.h"
#include "entries/ImportedClasses.h"
#include "entries/TeamDeletion.h"
#include "entries/TeamNumbering.h"
#include "entries/TeamPickLists.h"
#include "entries/TeamResultLines.h"
#include "reports/ui/uMDItekst.h"
#include "scoring/PunchCorrections.h"
#include "store/CountryList.h"
#include "store/EventSchema.h"
#include "store/EventSetup.h"
#include "store/FieldDisplay.h"
#include "store/uData.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString teamTable = QStringLiteral("team");
const QString runnerTable = QStringLiteral("runner");

// Team fields of the Results page: caption, field.
struct ResultField
{
    const char *caption;
    const char *field;
};
const ResultField resultFields[] = {
    {"Start", "start"},       {"Finish", "finis"},       {"Time in C", "inCenter"},    {"Points", "points"},
    {"Penalty", "penalty"},   {"Result (points)", "result"}, {"Time", "rtime"},       {"Status", "status"},
    {"Entrydate", "entrydate"}, {"EntryID", "entryID"},  {"Print Time", "printtime"}, {"Calc. Time", "calctime"},
    {"ID", "id"},
};

} // namespace

TfTeams::TfTeams(const EventLocation &location, TdmData &data, SharedEventSetup &setup, QWidget *parent)
    : QDialog(parent)
    , m_location(location)
    , m_data(data)
    , m_setup(setup)
    , m_teams(new db::EditableTableModel(data.connection(), EventTable(teamTable),
                                         {QStringLiteral("number"), QStringLiteral("class"), QStringLiteral("subclass"),
                                          QStringLiteral("name"), QStringLiteral("club"), QStringLiteral("country")},
                                         this))
    , m_runners(new db::EditableTableModel(data.connection(), EventTable(runnerTable),
                                           {QStringLiteral("firstname"), QStringLiteral("lastname"), QStringLiteral("sex"),
                                            QStringLiteral("club"), QStringLiteral("country"), QStringLiteral("birthdate"),
                                            QStringLiteral("chipnr"), QStringLiteral("rentchip"), QStringLiteral("started")},
                                           this))
    , m_teamControls(new TfTeamControls(location.eventDirectory, data, setup, this))
    , m_viewControls(new TfViewControls(data, this))
    , m_numberTeams(new TfNumberTeams(this))
{
    setObjectName(QStringLiteral("fTeams"));
    setWindowTitle(tr("Teams"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // Teams in number order; the runners of the current team by last name.
    m_teams->setOrder({QStringLiteral("number")});
    m_teams->setDisplayText([](const QString &field, const QVariant &value) { return FieldDisplayText(teamTable, field, value); });
    m_teams->setBeforeDelete(&DeleteRunnersOfTeams);
    m_runners->setOrder({QStringLiteral("lastname")});
    m_runners->setMaster(QStringLiteral("team_id"), QVariant());
    m_runners->setColumnTitle(QStringLiteral("rentchip"), tr("Rent"));
    m_runners->setColumnTitle(QStringLiteral("started"), tr("ST."));
    m_runners->setDisplayText([](const QString &field, const QVariant &value) { return FieldDisplayText(runnerTable, field, value); });

    mmTeams = new QMenuBar(this);
    mmTeams->setObjectName(QStringLiteral("mmTeams"));
    createMenus(mmTeams);
    QWidget *toolPanel = createToolPanel();
    dbgTeams = createGrid(QStringLiteral("dbgTeams"), m_teams);
    DBNavigator1 = new TDBNavigator(dbgTeams, m_teams, toolPanel);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    // The runners go with the team: the question says how many.
    DBNavigator1->setDeleteQuestion([this](int row) {
        return tr("Delete team %1 %2 with its runners (%3)?")
            .arg(m_teams->value(row, QStringLiteral("number")).toString(), m_teams->value(row, QStringLiteral("name")).toString())
            .arg(m_runners->rowCount());
    });
    static_cast<QHBoxLayout *>(toolPanel->layout())->insertWidget(0, DBNavigator1);
    cbFindField->addItems(fieldItems(m_teams));
    cbFindField->setCurrentIndex(-1);
    cbFindField->setPlaceholderText(tr("field"));
    setColumnWidths(dbgTeams, {{"number", 64}, {"class", 70}, {"subclass", 70}, {"name", 240}, {"club", 200}, {"country", 64}},
                    QStringLiteral("name"));

    m_countries = new PickListDelegate(dbgTeams);
    m_classes = new PickListDelegate(dbgTeams);
    m_extraClasses = new PickListDelegate(dbgTeams);
    dbgTeams->setItemDelegateForColumn(m_teams->columnOf(QStringLiteral("country")), m_countries);
    dbgTeams->setItemDelegateForColumn(m_teams->columnOf(QStringLiteral("class")), m_classes);
    dbgTeams->setItemDelegateForColumn(m_teams->columnOf(QStringLiteral("subclass")), m_extraClasses);

    pcTeams = new QTabWidget(this);
    pcTeams->setObjectName(QStringLiteral("pcTeams"));
    pcTeams->addTab(createRunnersPage(), tr("Runners"));
    pcTeams->addTab(createResultsPage(), tr("Results"));
    pcTeams->addTab(createNotesPage(), tr("Notes"));

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(mmTeams);
    layout->addWidget(toolPanel);
    layout->addWidget(dbgTeams, 3);
    layout->addWidget(pcTeams, 2);
    resize(900, 640);

    connect(dbgTeams->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { showTeam(current.row()); });
    // A new team row gets its key once a value is typed into it: its runners can then be added.
    connect(m_teams, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
        const int row = currentTeamRow();
        if (row >= topLeft.row() && row <= bottomRight.row())
            showTeam(row, true);
    });
    connect(m_teams, &QAbstractItemModel::rowsRemoved, this, [this] { showTeam(currentTeamRow(), true); });
}

void TfTeams::createMenus(QMenuBar *menuBar)
{
    QMenu *edit = menuBar->addMenu(tr("Edit"));
    Import1 = edit->addAction(tr("Import teams"), this, [this] { runCommand([this] { Import1Click(); }); });
    Import1->setObjectName(QStringLiteral("Import1"));
    Importchips1 = edit->addAction(tr("Import chips"), this, [this] { runCommand([this] { Importchips1Click(); }); });
    Importchips1->setObjectName(QStringLiteral("Importchips1"));
    NumberTeams1 = edit->addAction(tr("Number teams"), this, [this] { runCommand([this] { NumberTeams1Click(); }); });
    NumberTeams1->setObjectName(QStringLiteral("NumberTeams1"));
    NumberTeams1->setStatusTip(tr("Give the teams without a number the next free numbers"));
    edit->addSeparator();
    CheckData1 = edit->addAction(tr("Check Data"), this, [this] { runCommand([this] { CheckData1Click(); }); });
    CheckData1->setObjectName(QStringLiteral("CheckData1"));

    QMenu *view = menuBar->addMenu(tr("&View"));
    Controls1 = view->addAction(tr("Team &Controls (view)"), this, [this] { runCommand([this] { Controls1Click(); }); });
    Controls1->setObjectName(QStringLiteral("Controls1"));
    Controls1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    RunnerControls1 = view->addAction(tr("Runner Controls (edit) "), this, [this] { runCommand([this] { RunnerControls1Click(); }); });
    RunnerControls1->setObjectName(QStringLiteral("RunnerControls1"));
    RunnerControls1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    RunnerControls1->setStatusTip(tr("Selected runner controls"));
    RunnerControls1->setToolTip(tr("Selected runner controls"));
    Results1 = view->addAction(tr("Results (view)"), this, [this] { runCommand([this] { Results1Click(); }); });
    Results1->setObjectName(QStringLiteral("Results1"));
    Results1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    // The shortcuts work while the menu bar is closed.
    for (QAction *action : {Controls1, RunnerControls1, Results1})
        addAction(action);
}

QWidget *TfTeams::createToolPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnlTools"));
    cbFindField = new QComboBox(panel);
    cbFindField->setObjectName(QStringLiteral("cbFindField"));
    cbFindField->setMinimumContentsLength(14);
    auto *label = new QLabel(tr("&Filter team"), panel);
    label->setBuddy(cbFindField);
    eFind = new QLineEdit(panel);
    eFind->setObjectName(QStringLiteral("eFind"));
    sbtnFind = new QToolButton(panel);
    sbtnFind->setObjectName(QStringLiteral("sbtnFind"));
    sbtnFind->setText(tr("Filter"));
    sbtnFind->setToolTip(tr("Show only the teams whose field holds this value; an empty value shows all"));

    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addSpacing(16);
    layout->addWidget(label);
    layout->addWidget(cbFindField);
    layout->addWidget(eFind, 1);
    layout->addWidget(sbtnFind);

    // Choosing a field goes on to its value.
    connect(cbFindField, &QComboBox::activated, this, [this] { eFind->setFocus(Qt::OtherFocusReason); });
    connect(eFind, &QLineEdit::returnPressed, this, [this] { runCommand([this] { sbtnFindClick(); }); });
    connect(sbtnFind, &QToolButton::clicked, this, [this] { runCommand([this] { sbtnFindClick(); }); });
    return panel;
}

QTableView *TfTeams::createGrid(const QString &name, db::EditableTableModel *model)
{
    auto *view = new QTableView(this);
    view->setObjectName(name);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    view->verticalHeader()->setDefaultSectionSize(22);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

void TfTeams::setColumnWidths(QTableView *view, std::initializer_list<std::pair<const char *, int>> widths, const QString &stretched)
{
    const auto *model = static_cast<const db::EditableTableModel *>(view->model());
    QHeaderView *header = view->horizontalHeader();
    header->setStretchLastSection(false);
    for (const auto &[field, width] : widths)
        view->setColumnWidth(model->columnOf(QLatin1String(field)), width);
    // The column of long texts takes the room the window has to spare.
    header->setSectionResizeMode(model->columnOf(stretched), QHeaderView::Stretch);
}

QWidget *TfTeams::createRunnersPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tsRunners"));
    dbgRunners = createGrid(QStringLiteral("dbgRunners"), m_runners);
    DBNavigator2 = new TDBNavigator(dbgRunners, m_runners, page);
    DBNavigator2->setObjectName(QStringLiteral("DBNavigator2"));
    // Insert, delete, edit, post, cancel and refresh: the runners of one team need no moving buttons.
    for (const char *button : {"nbFirst", "nbPrior", "nbNext", "nbLast"})
        DBNavigator2->findChild<QWidget *>(QLatin1String(button))->hide();
    auto *sex = new PickListDelegate(dbgRunners);
    sex->setItems({QStringLiteral("M"), QStringLiteral("W")});
    dbgRunners->setItemDelegateForColumn(m_runners->columnOf(QStringLiteral("sex")), sex);
    setColumnWidths(dbgRunners, {{"firstname", 110}, {"lastname", 120}, {"sex", 40}, {"club", 180}, {"country", 64},
                                 {"birthdate", 90}, {"chipnr", 80}, {"rentchip", 44}, {"started", 44}},
                    QStringLiteral("club"));

    cbFindRunner = new QComboBox(page);
    cbFindRunner->setObjectName(QStringLiteral("cbFindRunner"));
    cbFindRunner->setMinimumContentsLength(14);
    cbFindRunner->addItems(fieldItems(m_runners));
    cbFindRunner->setCurrentIndex(cbFindRunner->findText(QStringLiteral("Lastname|lastname")));
    eFindRunner = new QLineEdit(page);
    eFindRunner->setObjectName(QStringLiteral("eFindRunner"));
    auto *label = new QLabel(tr("F&ind runner"), page);
    label->setBuddy(eFindRunner);
    btnFindRunner = new QPushButton(tr("Find"), page);
    btnFindRunner->setObjectName(QStringLiteral("btnFindRunner"));
    btnFindRunner->setAutoDefault(false);
    btnFindRunner->setToolTip(tr("The team of the next runner whose field holds the text"));

    auto *bar = new QHBoxLayout;
    bar->addWidget(DBNavigator2);
    bar->addSpacing(16);
    bar->addWidget(label);
    bar->addWidget(cbFindRunner);
    bar->addWidget(eFindRunner, 1);
    bar->addWidget(btnFindRunner);
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(bar);
    layout->addWidget(dbgRunners, 1);

    connect(eFindRunner, &QLineEdit::returnPressed, this, [this] { runCommand([this] { btnFindRunnerClick(); }); });
    connect(btnFindRunner, &QPushButton::clicked, this, [this] { runCommand([this] { btnFindRunnerClick(); }); });
    // Editing the text ends the search: the next click starts a new one.
    connect(eFindRunner, &QLineEdit::textChanged, this, [this] { m_runnerSearch.reset(); });
    connect(cbFindRunner, &QComboBox::currentIndexChanged, this, [this] { m_runnerSearch.reset(); });
    return page;
}

QWidget *TfTeams::createResultsPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tsResults"));
    auto *grid = new QGridLayout(page);
    int index = 0;
    for (const ResultField &field : resultFields) {
        auto *value = new QLineEdit(page);
        const QString name = QLatin1String(field.field);
        value->setObjectName(QStringLiteral("dbe_") + name);
        value->setReadOnly(true);
        value->setFocusPolicy(Qt::ClickFocus);
        auto *label = new QLabel(tr(field.caption), page);
        label->setBuddy(value);
        if (name == QLatin1String("result")) {
            QFont font = value->font();
            font.setPointSizeF(font.pointSizeF() * 1.5);
            font.setBold(true);
            value->setFont(font);
            QPalette palette = value->palette();
            palette.setColor(QPalette::Text, Qt::red);
            value->setPalette(palette);
            label->setStyleSheet(QStringLiteral("color: red"));
        }
        // Results on the left, the entry's plain facts on the right.
        const int column = index < 8 ? 0 : 2;
        const int row = index < 8 ? index : index - 8;
        grid->addWidget(label, row, column);
        grid->addWidget(value, row, column + 1);
        m_resultFields.insert(name, value);
        ++index;
    }
    btnCalcTeam = new QPushButton(tr("Calculate Team"), page);
    btnCalcTeam->setObjectName(QStringLiteral("btnCalcTeam"));
    btnCalcTeam->setAutoDefault(false);
    grid->addWidget(btnCalcTeam, 6, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(8, 1);
    connect(btnCalcTeam, &QPushButton::clicked, this, [this] { runCommand([this] { btnCalcTeamClick(); }); });
    return page;
}

QWidget *TfTeams::createNotesPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tsNotes"));
    teamNote = new QPlainTextEdit(page);
    teamNote->setObjectName(QStringLiteral("teamNote"));
    auto *label = new QLabel(tr("Note"), page);
    label->setBuddy(teamNote);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(label);
    layout->addWidget(teamNote, 1);
    // The note is written when the operator leaves it.
    teamNote->installEventFilter(this);
    return page;
}

QStringList TfTeams::fieldItems(const db::EditableTableModel *model)
{
    QStringList items;
    for (int column = 0; column < model->columnCount(); ++column) {
        const QString title = model->headerData(column, Qt::Horizontal).toString();
        // The field behind the column.
        for (const db::FieldDefinition &field : model->table().fields)
            if (model->columnOf(field.name) == column)
                items.append(title + u'|' + field.name);
    }
    return items;
}

void TfTeams::runCommand(const std::function<void()> &command)
{
    try {
        command();
    } catch (const KorventError &error) {
        MessageBoxSink(this).error(error.message());
    }
}

LongWork TfTeams::longWork(const QString &caption)
{
    return LongWork(this, m_location.eventDirectory, caption);
}

void TfTeams::showEvent(QShowEvent *event)
{
    runCommand([this] { fillPickLists(); });
    runCommand([this] { selectTeams(m_shownTeamId > 0 ? m_shownTeamId : 0); });
    QDialog::showEvent(event);
    dbgTeams->setFocus(Qt::OtherFocusReason);
}

void TfTeams::fillPickLists()
{
    const auto setup = m_setup.snapshot();
    m_countries->setItems(CountryPickList(LoadCountryList(CountryListFileName(m_location.program))));
    m_classes->setItems(ClassPickList(setup->classTree));
    m_extraClasses->setItems(ExtraClassPickList(setup->settings.extraClasses));
}

void TfTeams::done(int result)
{
    if (!storeEdits())
        return;
    // The filter lasts while the window is open; the next showing reads every team.
    m_teams->setFilter({}, {});
    eFind->clear();
    QDialog::done(result);
}

void TfTeams::CheckData1Click()
{
    // The checks read what is stored: edits in progress are written first.
    if (!storeEdits())
        return;
    showAllTeams();
    CheckData(this, m_location.eventDirectory, m_location.program, m_setup.snapshot()->classTree);
}

bool TfTeams::storeEdits()
{
    if (!DBNavigator1->post() || !DBNavigator2->post())
        return false;
    saveNote();
    return true;
}

bool TfTeams::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == teamNote && event->type() == QEvent::FocusOut)
        saveNote();
    return QDialog::eventFilter(watched, event);
}

int TfTeams::currentTeamRow() const
{
    const QModelIndex current = dbgTeams->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TfTeams::showAllTeams()
{
    m_teams->setFilter({}, {});
    selectTeams(m_shownTeamId);
}

void TfTeams::selectTeams(qint64 teamId)
{
    m_teams->select();
    m_shownTeamId = -1;
    moveToTeam(teamId);
}

void TfTeams::moveToTeam(qint64 teamId)
{
    int row = teamId > 0 ? m_teams->rowOf(teamId) : 0;
    if (row < 0 || row >= m_teams->rowCount())
        row = m_teams->rowCount() > 0 ? 0 : -1;
    if (row >= 0) {
        const int column = qMax(0, dbgTeams->currentIndex().column());
        dbgTeams->setCurrentIndex(m_teams->index(row, column));
        dbgTeams->scrollTo(m_teams->index(row, column));
    }
    showTeam(row);
}

void TfTeams::showTeam(int row, bool force)
{
    const qint64 teamId = row >= 0 && row < m_teams->rowCount() ? m_teams->rowId(row) : 0;
    if (teamId == m_shownTeamId && !force)
        return;
    if (teamId != m_shownTeamId)
        saveNote();
    m_shownTeamId = teamId;
    m_runners->setMaster(QStringLiteral("team_id"), teamId > 0 ? QVariant(teamId) : QVariant());
    runCommand([this] { m_runners->select(); });
    showResults(teamId > 0 ? row : -1);
    const QSignalBlocker blocker(teamNote);
    teamNote->setPlainText(teamId > 0 ? m_teams->value(row, QStringLiteral("teamNote")).toString() : QString());
    teamNote->setEnabled(teamId > 0);
    btnCalcTeam->setEnabled(teamId > 0);
}

void TfTeams::showResults(int row)
{
    for (const ResultField &field : resultFields)
        m_resultFields.value(QLatin1String(field.field))
            ->setText(row >= 0 ? FieldDisplayText(teamTable, QLatin1String(field.field), m_teams->value(row, QLatin1String(field.field)))
                               : QString());
}

void TfTeams::saveNote()
{
    if (m_shownTeamId <= 0)
        return;
    const int row = m_teams->rowOf(m_shownTeamId);
    if (row < 0)
        return;
    const QString text = teamNote->toPlainText();
    if (text == m_teams->value(row, QStringLiteral("teamNote")).toString())
        return;
    runCommand([&] { m_teams->setValue(row, QStringLiteral("teamNote"), text); });
}

void TfTeams::sbtnFindClick()
{
    if (!storeEdits())
        return;
    const qint64 keep = m_shownTeamId;
    if (eFind->text().isEmpty() || cbFindField->currentText().isEmpty()) {
        m_teams->setFilter({}, {});
    } else {
        const QString field = cbFindField->currentText().section(u'|', 1);
        m_teams->setFilter(field, TeamFilterValue(field, eFind->text()));
    }
    selectTeams(keep);
}

void TfTeams::btnFindRunnerClick()
{
    if (eFindRunner->text().isEmpty() || cbFindRunner->currentText().isEmpty())
        return;
    if (m_runnerSearch.active()) {
        moveToTeam(m_runnerSearch.next());
        return;
    }
    const QString field = cbFindRunner->currentText().section(u'|', 1);
    if (!m_runnerSearch.start(m_data.connection(), field, eFindRunner->text())) {
        QMessageBox::information(this, tr("Teams"), tr("No record"));
        return;
    }
    moveToTeam(m_runnerSearch.current());
}

void TfTeams::btnCalcTeamClick()
{
    const int row = currentTeamRow();
    if (row < 0 || m_teams->rowId(row) == 0)
        return;
    const QVariant number = m_teams->value(row, QStringLiteral("number"));
    if (number.isNull())
        throw KorventError(tr("The team has no number: the calculation finds teams by their number"));
    MessageBoxSink messages(this);
    {
        const OverrideCursor wait(Qt::WaitCursor);
        RecalculateTeam(m_data, m_setup.snapshot(), messages, number.toLongLong());
    }
    // The window follows the row the calculation wrote.
    m_teams->refreshRow(row);
}

void TfTeams::Controls1Click()
{
    if (m_shownTeamId <= 0)
        return;
    m_teamControls->showTeam(m_shownTeamId, m_teams->value(currentTeamRow(), QStringLiteral("name")).toString());
    m_teamControls->exec();
}

void TfTeams::RunnerControls1Click()
{
    const QModelIndex current = dbgRunners->currentIndex();
    if (m_shownTeamId <= 0 || !current.isValid() || m_runners->rowId(current.row()) == 0)
        return;
    const int runner = current.row();
    const auto value = [&](const char *field) { return m_runners->value(runner, QLatin1String(field)).toString(); };
    m_viewControls->showRunner(m_shownTeamId, m_teams->value(currentTeamRow(), QStringLiteral("name")).toString(),
                               m_runners->rowId(runner), value("firstname"), value("lastname"), value("chipnr"));
    m_viewControls->exec();
}

void TfTeams::Results1Click()
{
    if (m_shownTeamId <= 0)
        return;
    const QVariant number = m_teams->value(currentTeamRow(), QStringLiteral("number"));
    MessageBoxSink messages(this);
    // A team without a number has no punch list the calculation can find.
    ShowTextWindow(number.isNull() ? QStringList() : TeamResultLines(m_data, m_setup.snapshot(), messages, number.toLongLong()), this);
}

void TfTeams::Import1Click()
{
    TEntryFileDialog dialog(m_location.program,
                            {.caption = tr("Import teams from file"),
                             .start = m_location.eventDirectory + QStringLiteral("import.csv"),
                             .filters = tr("All files (*.*);;CSV files (*.csv);;Text files (*.txt)"),
                             .defaultSuffix = QStringLiteral("csv")},
                            this);
    const QString fileName = dialog.ask();
    if (fileName.isEmpty())
        return;
    if (!storeEdits())
        return;
    const QString encoding = dialog.encoding();
    // One transaction: Cancel leaves the event as it was.
    const std::optional<TeamImportSummary> summary =
        longWork(tr("Import teams from file")).run([&](LongWorkTools &work) {
            return ImportTeams(work.data.connection(), ReadImportLines(fileName, encoding), work.progress);
        });
    if (!summary)
        return;
    // The imported teams are all shown.
    showAllTeams();
    // What the import warns of belongs in its summary, not in boxes of its own.
    QMessageBox::information(this, tr("Import teams from file"),
                             (QStringList{TeamImportSummaryText(*summary)} + ImportedClassesUnknown(*summary, *m_setup.snapshot()))
                                 .join(QStringLiteral("\n\n")));
}

void TfTeams::NumberTeams1Click()
{
    if (!storeEdits())
        return;
    m_numberTeams->reset(TeamClassNames(m_data.connection()));
    if (m_numberTeams->exec() != QDialog::Accepted)
        return;
    const NumberingSummary summary = NumberTeams(m_data.connection(), m_numberTeams->from(), m_numberTeams->className());
    showAllTeams();
    QMessageBox::information(this, tr("Number teams"), NumberingSummaryText(summary));
}

void TfTeams::Importchips1Click()
{
    const QString fileName = ChooseFileName(this, {.caption = tr("Open file"),
                                                   .start = m_location.eventDirectory,
                                                   .filters = QStringLiteral("*.txt"),
                                                   .defaultSuffix = QStringLiteral("txt"),
                                                   .objectName = QStringLiteral("OpenDialog1")});
    if (fileName.isEmpty())
        return;
    if (!storeEdits())
        return;
    const std::optional<ChipImportSummary> summary = longWork(tr("Import chips")).run([&](LongWorkTools &work) {
        return ImportChips(work.data.connection(), ReadImportLines(fileName, QStringLiteral("ANSI")), m_setup.snapshot()->settings.controlCard,
                           work.progress);
    });
    if (!summary)
        return;
    showAllTeams();
    if (summary->listUsedUp)
        MessageBoxSink(this).error(tr("List is empty"));
}
