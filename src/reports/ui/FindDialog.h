#pragma once

// A find dialog that stays open beside its window: the text to find and
// "Find Next". The search goes downwards and matches case, so it offers no
// options. It keeps its text between openings.

#include <QDialog>

class QLineEdit;
class QPushButton;

class FindDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FindDialog(QWidget *parent);

    QString findText() const;
    // Shows the dialog with its text selected, ready to be typed over.
    void popUp();

signals:
    void findNext(const QString &text);

private:
    QLineEdit *m_text;
    QPushButton *m_findNext;
};
