#pragma once

// A page of read-only text that still answers the keyboard (Ctrl+End, Page
// Down, selecting to copy), shown again without losing the reader's place.

#include <QPlainTextEdit>
#include <functional>

class TextPage : public QPlainTextEdit
{
public:
    TextPage(const QString &objectName, QWidget *parent);

    // Shows the text `make` gives, or the message of the error it raises,
    // scrolled where the reader was.
    void showMade(const std::function<QString()> &make);
};
