#include "scoring/ui/uEditControls.h"

#include "base/KorventError.h"
#include "base/ui/TextPage.h"
#include "base/ui/MessageBoxSink.h"
#include "scoring/ApplyCorrection.h"
#include "scoring/CorrectionLog.h"
#include "scoring/CourseDefinition.h"
#include "scoring/PunchCorrections.h"
#include "scoring/ResultExplanation.h"
#include "store/EventSetup.h"
#include "store/FieldDisplay.h"
#include "store/uData.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

enum Page { AddControlPage, RemovePage, ChangeStatusPage, TeamStatusPage };

QComboBox *dropDownList(const QString &name, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    list->setMinimumContentsLength(8);
    return list;
}

// The chosen item's text; empty while nothing is chosen.
QString chosen(const QComboBox *list)
{
    return list->currentIndex() < 0 ? QString() : list->currentText();
}

QLabel *teamLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(QStringLiteral(" - "), parent);
    label->setObjectName(name);
    return label;
}

} // namespace

TfEditControls::TfEditControls(const QString &eventDirectory, TdmData &data, SharedEventSetup &setup, QWidget *parent)
    : QDialog(parent)
    , m_eventDirectory(eventDirectory)
    , m_data(data)
    , m_setup(setup)
{
    setObjectName(QStringLiteral("fEditControls"));
    setWindowTitle(tr("Edit Controls"));

    eTeamNR = new QLineEdit(this);
    eTeamNR->setObjectName(QStringLiteral("eTeamNR"));
    QFont bold = eTeamNR->font();
    bold.setBold(true);
    eTeamNR->setFont(bold);
    auto *teamNumberLabel = new QLabel(tr("Team &number"), this);
    teamNumberLabel->setBuddy(eTeamNR);
    btnFind = new QPushButton(tr("&Find"), this);
    btnFind->setObjectName(QStringLiteral("btnFind"));
    lTeamName = teamLabel(QStringLiteral("lTeamName"), this);
    lTeamClass = teamLabel(QStringLiteral("lTeamClass"), this);
    lTeamStatus = teamLabel(QStringLiteral("lTeamStatus"), this);
    lSharedNumber = new QLabel(this);
    lSharedNumber->setObjectName(QStringLiteral("lSharedNumber"));
    lSharedNumber->setWordWrap(true);
    lSharedNumber->hide();
    cbCalcTeamResult = new QCheckBox(tr("&Calc.Team result"), this);
    cbCalcTeamResult->setObjectName(QStringLiteral("cbCalcTeamResult"));
    btnEnter = new QPushButton(tr("Enter"), this);
    btnEnter->setObjectName(QStringLiteral("btnEnter"));
    mLogi = new QPlainTextEdit(this);
    mLogi->setObjectName(QStringLiteral("mLogi"));
    mLogi->setLineWrapMode(QPlainTextEdit::NoWrap);
    mLogi->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mWhy = new TextPage(QStringLiteral("mWhy"), this);
    pcLog = new QTabWidget(this);
    pcLog->setObjectName(QStringLiteral("pcLog"));
    pcLog->addTab(mLogi, tr("Log"));
    pcLog->addTab(mWhy, tr("Why"));
    QWidget *pages = createPages();

    auto *find = new QHBoxLayout;
    find->addWidget(teamNumberLabel);
    find->addWidget(eTeamNR);
    find->addWidget(btnFind);
    find->addStretch();
    find->addWidget(cbCalcTeamResult);
    auto *team = new QHBoxLayout;
    team->addWidget(lTeamName, 2);
    team->addWidget(lTeamClass, 1);
    team->addWidget(lTeamStatus, 1);
    auto *correction = new QHBoxLayout;
    correction->addWidget(pages, 1);
    correction->addWidget(btnEnter, 0, Qt::AlignBottom);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(find);
    layout->addLayout(team);
    layout->addWidget(lSharedNumber);
    layout->addLayout(correction);
    layout->addWidget(pcLog, 1);
    resize(520, 420);

    m_nextOnEnter = {
        {cbFromCtrl, cbMissingControl}, {cbMissingControl, btnEnter},
        {cbRemoveControl, btnEnter},
        {cbControlNr, cbNewStatus}, {cbNewStatus, btnEnter},
        {cbNewTeamStatus, btnEnter},
    };
    eTeamNR->installEventFilter(this);
    for (auto it = m_nextOnEnter.cbegin(); it != m_nextOnEnter.cend(); ++it)
        it.key()->installEventFilter(this);
    connect(btnFind, &QPushButton::clicked, this, &TfEditControls::btnFindClick);
    connect(btnEnter, &QPushButton::clicked, this, &TfEditControls::btnEnterClick);
    setPagesEnabled(false);
}

QWidget *TfEditControls::createPages()
{
    pcTeamStatus = new QTabWidget(this);
    pcTeamStatus->setObjectName(QStringLiteral("pcTeamStatus"));
    const auto addPage = [this](const QString &caption, const QString &name) {
        auto *page = new QWidget(pcTeamStatus);
        page->setObjectName(name);
        pcTeamStatus->addTab(page, caption);
        return new QFormLayout(page);
    };

    QFormLayout *add = addPage(tr("Add control"), QStringLiteral("tsAddControl"));
    cbFromCtrl = dropDownList(QStringLiteral("cbFromCtrl"), this);
    cbMissingControl = dropDownList(QStringLiteral("cbMissingControl"), this);
    add->addRow(tr("From control"), cbFromCtrl);
    add->addRow(tr("To (missing) control"), cbMissingControl);

    QFormLayout *remove = addPage(tr("Remove"), QStringLiteral("tsRemove"));
    cbRemoveControl = dropDownList(QStringLiteral("cbRemoveControl"), this);
    remove->addRow(tr("Control NR:"), cbRemoveControl);

    QFormLayout *change = addPage(tr("Change status"), QStringLiteral("tsChangeStatus"));
    cbControlNr = dropDownList(QStringLiteral("cbControlNr"), this);
    cbNewStatus = dropDownList(QStringLiteral("cbNewStatus"), this);
    cbNewStatus->addItems(ChoiceTexts(NewPunchStatusChoices()));
    cbNewStatus->setCurrentIndex(-1);
    change->addRow(tr("Control NR:"), cbControlNr);
    change->addRow(tr("New Status"), cbNewStatus);

    QFormLayout *teamStatus = addPage(tr("Team Status"), QStringLiteral("tsTeamStatus"));
    cbNewTeamStatus = dropDownList(QStringLiteral("cbNewTeamStatus"), this);
    cbNewTeamStatus->addItems(ChoiceTexts(NewTeamStatusChoices()));
    cbNewTeamStatus->setCurrentIndex(-1);
    teamStatus->addRow(tr("New Status"), cbNewTeamStatus);
    return pcTeamStatus;
}

void TfEditControls::showEvent(QShowEvent *event)
{
    try {
        // On a server the shared log, also at a seat that has no file of its own yet.
        setLogLines(LoadCorrectionLog(m_eventDirectory));
        const QStringList codes = ControlCodeList(m_data.connection());
        for (QComboBox *list : {cbFromCtrl, cbMissingControl, cbRemoveControl, cbControlNr}) {
            list->clear();
            list->addItems(codes);
            list->setCurrentIndex(-1);
        }
    } catch (const KorventError &error) {
        showError(error.message());
    }
    QDialog::showEvent(event);
}

void TfEditControls::done(int result)
{
    // Corrections are in the file already; only the operator's own edits of the memo are left to write.
    if (mLogi->document()->isModified())
        saveLog();
    QDialog::done(result);
}

bool TfEditControls::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == eTeamNR) {
                btnFindClick();
                return true;
            }
            if (QWidget *next = m_nextOnEnter.value(watched)) {
                next->setFocus(Qt::OtherFocusReason);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfEditControls::btnFindClick()
{
    try {
        bool isNumber = false;
        const qint64 number = eTeamNR->text().trimmed().toLongLong(&isNumber);
        const std::optional<TeamRow> team = isNumber ? FindTeamByNumber(m_data.connection(), number) : std::nullopt;
        const QString shared = team ? SharedNumberWarning(m_data.connection(), number) : QString();
        lSharedNumber->setText(shared);
        lSharedNumber->setVisible(!shared.isEmpty());
        if (!team) {
            m_teamId.reset();
            setPagesEnabled(false);
            mWhy->clear();
            return;
        }
        if (m_teamId != team->id)
            mWhy->clear(); // another team is read from the top
        m_teamId = team->id;
        showTeam(*team);
        showWhy();
        setPagesEnabled(true);
        firstListOfPage(pcTeamStatus->currentIndex())->setFocus(Qt::OtherFocusReason);
    } catch (const KorventError &error) {
        showError(error.message());
    }
}

void TfEditControls::btnEnterClick()
{
    if (!m_teamId)
        return;
    // Removed punches cannot be had back but by a new readout.
    if (pcTeamStatus->currentIndex() == RemovePage && !chosen(cbRemoveControl).isEmpty()) {
        const QString question = tr("Remove the punches of team %1 (%2) at control %3?")
                                     .arg(eTeamNR->text().trimmed(), lTeamName->text(), chosen(cbRemoveControl));
        if (QMessageBox::question(this, tr("Confirm"), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
    }
    try {
        // What the operator typed into the memo goes to the log first, so the reload after the correction keeps it.
        if (mLogi->document()->isModified())
            setLogLines(MergeCorrectionLog(m_eventDirectory, m_shownLog, logLines()));
        MessageBoxSink messages(this);
        const CorrectionOutcome outcome = ApplyCorrection(m_data, m_eventDirectory, m_setup.snapshot(), chosenCorrection(),
                                                          cbCalcTeamResult->isChecked(), messages);
        showLoggedLine(outcome);
        if (outcome.team)
            showTeam(*outcome.team);
    } catch (const KorventError &error) {
        showError(error.message());
    }
    showWhy();
    eTeamNR->setFocus(Qt::OtherFocusReason);
    eTeamNR->selectAll();
}

Correction TfEditControls::chosenCorrection() const
{
    Correction correction;
    correction.teamId = *m_teamId;
    switch (pcTeamStatus->currentIndex()) {
    case AddControlPage:
        correction.kind = CorrectionKind::AddControl;
        correction.control = chosen(cbFromCtrl);
        correction.missing = chosen(cbMissingControl);
        break;
    case RemovePage:
        correction.kind = CorrectionKind::RemoveControl;
        correction.control = chosen(cbRemoveControl);
        break;
    case ChangeStatusPage:
        correction.kind = CorrectionKind::ChangeStatus;
        correction.control = chosen(cbControlNr);
        correction.choice = cbNewStatus->currentIndex();
        break;
    case TeamStatusPage:
        correction.kind = CorrectionKind::TeamStatus;
        correction.choice = cbNewTeamStatus->currentIndex();
        break;
    }
    return correction;
}

void TfEditControls::showTeam(const TeamRow &team)
{
    const QString table = QStringLiteral("team");
    lTeamName->setText(team.name);
    lTeamClass->setText(team.className);
    lTeamStatus->setText(FieldDisplayText(table, QStringLiteral("status"), team.status) + u' '
                         + FieldDisplayText(table, QStringLiteral("rtime"), team.rtime));
}

void TfEditControls::showWhy()
{
    if (!m_teamId)
        return;
    // Each correction tells the same team again: the reader stays where they were.
    mWhy->showMade([this] { return ExplainTeamRow(m_data, m_setup.snapshot(), m_eventDirectory, *m_teamId).lines.join(QStringLiteral("\n\n")); });
}

void TfEditControls::setPagesEnabled(bool enabled)
{
    pcTeamStatus->setEnabled(enabled);
    // Enter works on the team found; with none there is nothing to correct.
    btnEnter->setEnabled(enabled);
}

QWidget *TfEditControls::firstListOfPage(int page) const
{
    switch (page) {
    case RemovePage: return cbRemoveControl;
    case ChangeStatusPage: return cbControlNr;
    case TeamStatusPage: return cbNewTeamStatus;
    default: return cbFromCtrl;
    }
}

QStringList TfEditControls::logLines() const
{
    // Every line ends with a line break, so an empty log and a log of one empty line differ.
    QStringList lines = mLogi->toPlainText().split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void TfEditControls::setLogLines(const QStringList &lines)
{
    mLogi->setPlainText(lines.isEmpty() ? QString() : lines.join(u'\n') + u'\n');
    mLogi->document()->setModified(false);
    m_shownLog = lines;
}

void TfEditControls::insertLogLine(const QString &line)
{
    QTextCursor top(mLogi->document());
    top.movePosition(QTextCursor::Start);
    top.insertText(line + u'\n');
}

void TfEditControls::showLoggedLine(const CorrectionOutcome &outcome)
{
    // The log as it is now: lines that korvent-cli edit added while the window
    // was open show too.
    if (!outcome.logged) {
        // Shown though not written (ApplyCorrection said why): closing the window tries again.
        insertLogLine(outcome.line);
        return;
    }
    try {
        setLogLines(LoadCorrectionLog(m_eventDirectory));
    } catch (const KorventError &error) {
        showError(error.message());
    }
}

void TfEditControls::saveLog()
{
    try {
        setLogLines(MergeCorrectionLog(m_eventDirectory, m_shownLog, logLines()));
    } catch (const KorventError &error) {
        showError(error.message());
    }
}

void TfEditControls::showError(const QString &message)
{
    QMessageBox::critical(this, tr("Korvent"), message);
}
