#include "reports/ui/FindDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

FindDialog::FindDialog(QWidget *parent)
    : QDialog(parent)
    , m_text(new QLineEdit(this))
{
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(tr("Find"));
    setModal(false);
    m_text->setObjectName(QStringLiteral("FindText"));
    auto *label = new QLabel(tr("Fi&nd what:"), this);
    label->setBuddy(m_text);

    auto *buttons = new QDialogButtonBox(Qt::Vertical, this);
    m_findNext = buttons->addButton(tr("&Find Next"), QDialogButtonBox::ActionRole);
    m_findNext->setObjectName(QStringLiteral("FindNext"));
    m_findNext->setDefault(true);
    m_findNext->setEnabled(false);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_text, &QLineEdit::textChanged, this, [this](const QString &text) { m_findNext->setEnabled(!text.isEmpty()); });
    connect(m_findNext, &QPushButton::clicked, this, [this] { emit findNext(m_text->text()); });

    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_text);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(row, 1);
    layout->addWidget(buttons);
}

QString FindDialog::findText() const
{
    return m_text->text();
}

void FindDialog::popUp()
{
    show();
    raise();
    activateWindow();
    m_text->selectAll();
    m_text->setFocus();
}
