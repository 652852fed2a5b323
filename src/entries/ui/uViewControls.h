#pragma once

// One runner's punches as stored, edited by hand: every change is written at
// once; a punch added here belongs to the runner and the team and is marked
// as entered by hand (Man). Created once; shown modally.

#include <QDialog>

class PickListDelegate;
class QLabel;
class QTableView;
class TDBNavigator;
class TdmData;
namespace db { class EditableTableModel; }

class TfViewControls : public QDialog
{
    Q_OBJECT

public:
    explicit TfViewControls(TdmData &data, QWidget *parent = nullptr);

    // The runner whose punches the next showing edits.
    void showRunner(qint64 teamId, const QString &teamName, qint64 runnerId, const QString &firstName, const QString &lastName,
                    const QString &chip);
    db::EditableTableModel *punchModel() const { return m_punches; }

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    TdmData &m_data;
    db::EditableTableModel *m_punches;
    PickListDelegate *m_codes;
    QLabel *lTeamName;
    QLabel *lFirstName;
    QLabel *lLastName;
    QLabel *lChip;
    QTableView *dbgControlTimes;
    TDBNavigator *m_navigator;
};
