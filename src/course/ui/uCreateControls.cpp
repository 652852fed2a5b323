#include "course/ui/uCreateControls.h"

#include "course/ControlCreation.h"

#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox *numberEdit(const char *name, int value, QWidget *parent)
{
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(static_cast<int>(LowestControlNumber), static_cast<int>(HighestControlNumber));
    spin->setValue(value);
    return spin;
}

} // namespace

TfCreateControls::TfCreateControls(QWidget *parent)
    : QDialog(parent)
    , seFrom(numberEdit("seFrom", 20, this))
    , seTo(numberEdit("seTo", 59, this))
{
    setObjectName(QStringLiteral("fCreateControls"));
    setWindowTitle(tr("Create controls"));
    auto *form = new QFormLayout;
    form->addRow(tr("From:"), seFrom);
    form->addRow(tr("To:"), seTo);
    auto *ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

int TfCreateControls::from() const
{
    return seFrom->value();
}

int TfCreateControls::to() const
{
    return seTo->value();
}
