#include "base/ui/TextPage.h"

#include "base/KorventError.h"

#include <QScrollBar>

TextPage::TextPage(const QString &objectName, QWidget *parent)
    : QPlainTextEdit(parent)
{
    setObjectName(objectName);
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TextPage::showMade(const std::function<QString()> &make)
{
    const int scrolled = verticalScrollBar()->value();
    try {
        setPlainText(make());
    } catch (const KorventError &error) {
        setPlainText(error.message());
    }
    verticalScrollBar()->setValue(scrolled);
}
