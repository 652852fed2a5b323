#include "store/ui/ControlPersistence.h"

#include "base/IniFile.h"
#include "base/ui/TRadioGroup.h"
#include "store/ui/lmTimeEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QSpinBox>

std::optional<QString> ControlText(const QWidget *widget)
{
    if (auto *time = qobject_cast<const TlmTimeEdit *>(widget))
        return QString::number(time->TimeInt());
    if (auto *edit = qobject_cast<const QLineEdit *>(widget))
        return edit->text();
    if (auto *spin = qobject_cast<const QSpinBox *>(widget))
        return QString::number(spin->value());
    if (auto *picker = qobject_cast<const QDateTimeEdit *>(widget))
        return picker->dateTime().toString(IniFile::dateTimeFormat());
    if (auto *check = qobject_cast<const QCheckBox *>(widget))
        return check->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    if (auto *radio = qobject_cast<const TRadioGroup *>(widget))
        return QString::number(radio->itemIndex());
    if (auto *combo = qobject_cast<const QComboBox *>(widget))
        return QString::number(combo->currentIndex());
    return std::nullopt;
}

void SetControlText(QWidget *widget, const QString &text)
{
    bool ok = false;
    const qint64 number = text.trimmed().toLongLong(&ok);
    if (auto *time = qobject_cast<TlmTimeEdit *>(widget)) {
        if (ok)
            time->setTimeInt(number);
    } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        edit->setText(text);
    } else if (auto *spin = qobject_cast<QSpinBox *>(widget)) {
        if (ok)
            spin->setValue(static_cast<int>(std::clamp<qint64>(number, spin->minimum(), spin->maximum())));
    } else if (auto *picker = qobject_cast<QDateTimeEdit *>(widget)) {
        if (const QDateTime value = QDateTime::fromString(text.trimmed(), IniFile::dateTimeFormat()); value.isValid())
            picker->setDateTime(value);
    } else if (auto *check = qobject_cast<QCheckBox *>(widget)) {
        if (ok)
            check->setChecked(number != 0);
    } else if (auto *radio = qobject_cast<TRadioGroup *>(widget)) {
        if (ok)
            radio->setItemIndex(static_cast<int>(number));
    } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        if (ok)
            combo->setCurrentIndex(static_cast<int>(number));
    }
}
