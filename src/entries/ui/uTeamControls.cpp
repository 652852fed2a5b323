#include "entries/ui/uTeamControls.h"

#include "base/KorventError.h"
#include "base/ui/TextPage.h"
#include "base/ui/MessageBoxSink.h"
#include "entries/TeamControls.h"
#include "scoring/ResultExplanation.h"
#include "store/EventSetup.h"
#include "store/uData.h"
#include "reports/ui/TextPrinter.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

TfTeamControls::TfTeamControls(const QString &eventDirectory, TdmData &data, SharedEventSetup &setup, QWidget *parent)
    : QDialog(parent)
    , m_eventDirectory(eventDirectory)
    , m_data(data)
    , m_setup(setup)
    , m_model(new QStandardItemModel(this))
{
    setObjectName(QStringLiteral("fTeamControls"));
    setWindowTitle(tr("Team controls"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *menuBar = new QMenuBar(this);
    QMenu *actions = menuBar->addMenu(tr("Actions"));
    Print1 = actions->addAction(tr("&Print"), this, [this] {
        try {
            Print1Click();
        } catch (const KorventError &error) {
            MessageBoxSink(this).error(error.message());
        }
    });
    Print1->setObjectName(QStringLiteral("Print1"));
    Print1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    addAction(Print1);

    lTeamName = new QLabel(this);
    lTeamName->setObjectName(QStringLiteral("lTeamName"));
    QFont bold = lTeamName->font();
    bold.setBold(true);
    lTeamName->setFont(bold);
    dbgControlTimes = new QTableView(this);
    dbgControlTimes->setObjectName(QStringLiteral("dbgControlTimes"));
    dbgControlTimes->setModel(m_model);
    dbgControlTimes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgControlTimes->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgControlTimes->verticalHeader()->setDefaultSectionSize(22);
    dbgControlTimes->horizontalHeader()->setStretchLastSection(true);
    mWhy = new TextPage(QStringLiteral("mWhy"), this);
    pcControls = new QTabWidget(this);
    pcControls->setObjectName(QStringLiteral("pcControls"));
    pcControls->addTab(dbgControlTimes, tr("Punches"));
    pcControls->addTab(mWhy, tr("Why"));

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(lTeamName);
    layout->addWidget(pcControls, 1);
    resize(640, 420);
}

void TfTeamControls::showTeam(qint64 teamId, const QString &name)
{
    m_teamId = teamId;
    lTeamName->setText(name);
}

void TfTeamControls::showEvent(QShowEvent *event)
{
    m_model->clear();
    m_model->setHorizontalHeaderLabels(TeamControlTitles());
    try {
        m_rows = TeamControlRows(m_data.connection(), m_teamId);
    } catch (const KorventError &error) {
        m_rows.clear();
        MessageBoxSink(this).error(error.message());
    }
    for (const QStringList &row : m_rows) {
        QList<QStandardItem *> items;
        for (const QString &text : row)
            items.append(new QStandardItem(text));
        m_model->appendRow(items);
    }
    dbgControlTimes->resizeColumnsToContents();
    mWhy->showMade([this] { return ExplainTeamRow(m_data, m_setup.snapshot(), m_eventDirectory, m_teamId).lines.join(QStringLiteral("\n\n")); });
    QDialog::showEvent(event);
}

void TfTeamControls::done(int result)
{
    m_rows.clear();
    m_model->removeRows(0, m_model->rowCount());
    mWhy->clear();
    QDialog::done(result);
}

void TfTeamControls::Print1Click()
{
    QPrinter device(DefaultPrinter(), QPrinter::HighResolution);
    device.setDocName(QStringLiteral("KVT results"));
    device.setCopyCount(1);
    device.setPageOrientation(QPageLayout::Portrait);
    PrintTeamControls(device, TeamControlPrintLines(m_rows));
}
