#include "store/ui/ControlPersistence.h"

#include "base/IniFile.h"
#include "base/ui/TRadioGroup.h"
#include "store/ui/lmTimeEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextEdit>
#include <optional>

namespace {

// Line read when a list key is missing: the list ends there.
const QString listEnd = QStringLiteral("#!#");
// Date-times as IniFile writes them.
const QString dateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// The window's own controls in creation order; the parts Qt builds inside
// composite widgets (a spin box's line edit, ...) are left out.
QList<QWidget *> persistentControls(const QWidget *window)
{
    QList<QWidget *> controls;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        const QString name = widget->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        if (qobject_cast<QLineEdit *>(widget)
            && (qobject_cast<QAbstractSpinBox *>(widget->parentWidget()) || qobject_cast<QComboBox *>(widget->parentWidget())))
            continue;
        controls.append(widget);
    }
    return controls;
}

// List boxes and memos are kept as lines alike; nullopt for other controls.
std::optional<QStringList> linesOf(const QWidget *widget)
{
    if (auto *list = qobject_cast<const QListWidget *>(widget)) {
        QStringList lines;
        for (int i = 0; i < list->count(); ++i)
            lines.append(list->item(i)->text());
        return lines;
    }
    if (auto *plain = qobject_cast<const QPlainTextEdit *>(widget))
        return plain->toPlainText().split(u'\n');
    if (auto *rich = qobject_cast<const QTextEdit *>(widget))
        return rich->toPlainText().split(u'\n');
    return std::nullopt;
}

void setLines(QWidget *widget, const QStringList &lines)
{
    if (auto *list = qobject_cast<QListWidget *>(widget)) {
        list->clear();
        list->addItems(lines);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(widget)) {
        plain->setPlainText(lines.join(u'\n'));
    } else if (auto *rich = qobject_cast<QTextEdit *>(widget)) {
        rich->setPlainText(lines.join(u'\n'));
    }
}

QStringList readListLines(const IniFile &ini, const QString &section, const QString &name)
{
    QStringList lines;
    for (int i = 0;; ++i) {
        const QString line = ini.readString(section, name + u'_' + QString::number(i), listEnd);
        if (line == listEnd)
            return lines;
        lines.append(line);
    }
}

// A hand-edited grid size must not exhaust memory.
int gridSize(const IniFile &ini, const QString &section, const QString &key)
{
    return static_cast<int>(std::clamp<qint64>(ini.readInteger(section, key, 0), 0, 10000));
}

} // namespace

std::optional<QString> ControlText(const QWidget *widget)
{
    if (auto *time = qobject_cast<const TlmTimeEdit *>(widget))
        return QString::number(time->TimeInt());
    if (auto *edit = qobject_cast<const QLineEdit *>(widget))
        return edit->text();
    if (auto *spin = qobject_cast<const QSpinBox *>(widget))
        return QString::number(spin->value());
    if (auto *picker = qobject_cast<const QDateTimeEdit *>(widget))
        return picker->dateTime().toString(dateTimeFormat);
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
        if (const QDateTime value = QDateTime::fromString(text.trimmed(), dateTimeFormat); value.isValid())
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

void SaveControls(const QWidget *window, IniFile &ini, const QString &section)
{
    ini.eraseSection(section);
    for (QWidget *widget : persistentControls(window)) {
        const QString name = widget->objectName();
        if (const std::optional<QString> text = ControlText(widget)) {
            ini.writeString(section, name, *text);
        } else if (const std::optional<QStringList> lines = linesOf(widget)) {
            for (int i = 0; i < lines->size(); ++i)
                ini.writeString(section, name + u'_' + QString::number(i), lines->at(i));
        } else if (auto *grid = qobject_cast<QTableWidget *>(widget)) {
            ini.writeInteger(section, name + QStringLiteral("_rows"), grid->rowCount());
            ini.writeInteger(section, name + QStringLiteral("_cols"), grid->columnCount());
            for (int r = 0; r < grid->rowCount(); ++r)
                for (int c = 0; c < grid->columnCount(); ++c)
                    ini.writeString(section, QStringLiteral("%1_%2_%3").arg(name).arg(r).arg(c),
                                    grid->item(r, c) ? grid->item(r, c)->text() : QString());
        }
    }
}

void LoadControls(QWidget *window, const IniFile &ini, const QString &section)
{
    for (QWidget *widget : persistentControls(window)) {
        const QString name = widget->objectName();
        if (auto *time = qobject_cast<TlmTimeEdit *>(widget)) {
            time->setTimeInt(ini.readInteger(section, name, time->TimeInt()));
        } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
            edit->setText(ini.readString(section, name, edit->text()));
        } else if (auto *spin = qobject_cast<QSpinBox *>(widget)) {
            spin->setValue(static_cast<int>(ini.readInteger(section, name, spin->value())));
        } else if (auto *picker = qobject_cast<QDateTimeEdit *>(widget)) {
            picker->setDateTime(ini.readDateTime(section, name, picker->dateTime()));
        } else if (auto *check = qobject_cast<QCheckBox *>(widget)) {
            check->setChecked(ini.readBool(section, name, check->isChecked()));
        } else if (auto *radio = qobject_cast<TRadioGroup *>(widget)) {
            radio->setItemIndex(static_cast<int>(ini.readInteger(section, name, radio->itemIndex())));
        } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            combo->setCurrentIndex(static_cast<int>(ini.readInteger(section, name, combo->currentIndex())));
        } else if (linesOf(widget)) {
            setLines(widget, readListLines(ini, section, name));
        } else if (auto *grid = qobject_cast<QTableWidget *>(widget)) {
            grid->setRowCount(gridSize(ini, section, name + QStringLiteral("_rows")));
            grid->setColumnCount(gridSize(ini, section, name + QStringLiteral("_cols")));
            for (int r = 0; r < grid->rowCount(); ++r)
                for (int c = 0; c < grid->columnCount(); ++c)
                    grid->setItem(r, c, new QTableWidgetItem(ini.readString(section, QStringLiteral("%1_%2_%3").arg(name).arg(r).arg(c))));
        }
    }
}
