#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

// A captioned group of radio buttons whose value is the index of the chosen item.
class TRadioGroup : public QGroupBox
{
    Q_OBJECT
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex)

public:
    TRadioGroup(const QString &caption, const QStringList &items, QWidget *parent = nullptr);

    int itemIndex() const;
    void setItemIndex(int index);
    void setItemEnabled(int index, bool enabled);

private:
    QButtonGroup *m_buttons;
};
