#include "entries/ui/uNumberTeams.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <limits>

TfNumberTeams::TfNumberTeams(QWidget *parent)
    : QDialog(parent)
    , seFrom(new QSpinBox(this))
    , cbClass(new QComboBox(this))
{
    setObjectName(QStringLiteral("fNumberTeams"));
    setWindowTitle(tr("Number teams"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    seFrom->setObjectName(QStringLiteral("seFrom"));
    seFrom->setRange(0, std::numeric_limits<qint32>::max());
    // 0 stands for "on from the highest number in use".
    seFrom->setSpecialValueText(tr("above the highest used"));
    cbClass->setObjectName(QStringLiteral("cbClass"));
    auto *note = new QLabel(tr("Teams without a number get the next free numbers in the order they were entered; "
                               "numbers other teams hold are skipped."),
                            this);
    note->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *layout = new QFormLayout(this);
    layout->addRow(note);
    layout->addRow(tr("&From number"), seFrom);
    layout->addRow(tr("&Class"), cbClass);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TfNumberTeams::reset(const QStringList &classes)
{
    seFrom->setValue(0);
    cbClass->clear();
    cbClass->addItem(tr("All classes"));
    cbClass->addItems(classes);
    cbClass->setCurrentIndex(0);
}

std::optional<qint64> TfNumberTeams::from() const
{
    return seFrom->value() > 0 ? std::optional<qint64>(seFrom->value()) : std::nullopt;
}

QString TfNumberTeams::className() const
{
    return cbClass->currentIndex() > 0 ? cbClass->currentText() : QString();
}
