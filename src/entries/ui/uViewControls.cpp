#include "entries/ui/uViewControls.h"

#include "base/KorventError.h"
#include "base/ui/MessageBoxSink.h"
#include "base/ui/PickListDelegate.h"
#include "base/ui/TDBNavigator.h"
#include "db/EditableTableModel.h"
#include "scoring/CourseDefinition.h"
#include "store/EventSchema.h"
#include "store/FieldDisplay.h"
#include "store/StatusTexts.h"
#include "store/uData.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString punchTable = QStringLiteral("res_cp");

// The status column offers the punch statuses by their texts and stores their codes.
class PunchStatusDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *combo = new QComboBox(parent);
        for (const int code : {PunchOK, PunchMan, PunchOverInterval, PunchMissing, PunchDQ, PunchDouble, PunchReadOK, PunchUnknown})
            combo->addItem(PunchStatusText(code), code);
        return combo;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        auto *combo = static_cast<QComboBox *>(editor);
        combo->setCurrentIndex(combo->findData(index.data(Qt::EditRole).toInt()));
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        const auto *combo = static_cast<QComboBox *>(editor);
        if (combo->currentIndex() >= 0)
            model->setData(index, combo->currentData().toString());
    }
};

} // namespace

TfViewControls::TfViewControls(TdmData &data, QWidget *parent)
    : QDialog(parent)
    , m_data(data)
    , m_punches(new db::EditableTableModel(data.connection(), EventTable(punchTable),
                                           {QStringLiteral("KP"), QStringLiteral("ctime"), QStringLiteral("status")}, this))
{
    setObjectName(QStringLiteral("fViewControls"));
    setWindowTitle(tr("Controls"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // In the order of the punch table's own index: team, runner, time.
    m_punches->setOrder({QStringLiteral("team_id"), QStringLiteral("runner_id"), QStringLiteral("ctime")});
    m_punches->setMaster(QStringLiteral("runner_id"), QVariant());
    m_punches->setDisplayText([](const QString &field, const QVariant &value) { return FieldDisplayText(punchTable, field, value); });

    lTeamName = new QLabel(this);
    lTeamName->setObjectName(QStringLiteral("lTeamName"));
    QFont bold = lTeamName->font();
    bold.setBold(true);
    lTeamName->setFont(bold);
    lFirstName = new QLabel(this);
    lFirstName->setObjectName(QStringLiteral("lFirstName"));
    lLastName = new QLabel(this);
    lLastName->setObjectName(QStringLiteral("lLastName"));
    lChip = new QLabel(this);
    lChip->setObjectName(QStringLiteral("lChip"));

    dbgControlTimes = new QTableView(this);
    dbgControlTimes->setObjectName(QStringLiteral("dbgControlTimes"));
    dbgControlTimes->setModel(m_punches);
    dbgControlTimes->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgControlTimes->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgControlTimes->verticalHeader()->setDefaultSectionSize(22);
    dbgControlTimes->horizontalHeader()->setStretchLastSection(true);
    m_codes = new PickListDelegate(dbgControlTimes);
    dbgControlTimes->setItemDelegateForColumn(m_punches->columnOf(QStringLiteral("KP")), m_codes);
    dbgControlTimes->setItemDelegateForColumn(m_punches->columnOf(QStringLiteral("status")), new PunchStatusDelegate(dbgControlTimes));
    dbgControlTimes->setColumnWidth(m_punches->columnOf(QStringLiteral("ctime")), 170);
    m_navigator = new TDBNavigator(dbgControlTimes, m_punches, this);
    m_navigator->setObjectName(QStringLiteral("navControlTimes"));

    auto *runner = new QHBoxLayout;
    runner->addWidget(lFirstName);
    runner->addWidget(lLastName);
    runner->addStretch();
    runner->addWidget(lChip);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lTeamName);
    layout->addLayout(runner);
    layout->addWidget(dbgControlTimes, 1);
    layout->addWidget(m_navigator);
    resize(420, 460);
}

void TfViewControls::showRunner(qint64 teamId, const QString &teamName, qint64 runnerId, const QString &firstName,
                                const QString &lastName, const QString &chip)
{
    lTeamName->setText(teamName);
    lFirstName->setText(firstName);
    lLastName->setText(lastName);
    lChip->setText(chip);
    m_punches->setMaster(QStringLiteral("runner_id"), runnerId);
    m_punches->setNewRowValues({{QStringLiteral("team_id"), teamId}, {QStringLiteral("status"), PunchMan}});
}

void TfViewControls::showEvent(QShowEvent *event)
{
    try {
        m_codes->setItems(ControlCodeList(m_data.connection()));
        m_punches->select();
    } catch (const KorventError &error) {
        MessageBoxSink(this).error(error.message());
    }
    if (m_punches->rowCount() > 0)
        dbgControlTimes->setCurrentIndex(m_punches->index(0, 0));
    QDialog::showEvent(event);
}

void TfViewControls::done(int result)
{
    if (!m_navigator->post())
        return;
    m_punches->dropNewRows();
    QDialog::done(result);
}
