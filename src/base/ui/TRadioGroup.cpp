#include "base/ui/TRadioGroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(const QString &caption, const QStringList &items, QWidget *parent)
    : QGroupBox(caption, parent)
    , m_buttons(new QButtonGroup(this))
{
    auto *layout = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), this);
        m_buttons->addButton(button, i);
        layout->addWidget(button);
    }
    setItemIndex(0);
}

int TRadioGroup::itemIndex() const
{
    return m_buttons->checkedId();
}

void TRadioGroup::setItemIndex(int index)
{
    if (QAbstractButton *button = m_buttons->button(index))
        button->setChecked(true);
}

void TRadioGroup::setItemEnabled(int index, bool enabled)
{
    if (QAbstractButton *button = m_buttons->button(index))
        button->setEnabled(enabled);
}
