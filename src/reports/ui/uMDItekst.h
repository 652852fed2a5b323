#pragma once

// The text window: an editable plain-text list (check results, a team's
// punches) with save, print, font, and find with Find next (F3). Several
// may be open at once.

#include <QMainWindow>

class FindDialog;
class QPlainTextEdit;

class TfMDItekst : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfMDItekst(QWidget *parent = nullptr);

    QPlainTextEdit *editor() const { return m_editor; }
    FindDialog *findDialog() const { return m_find; }
    void setLines(const QStringList &lines);

    // Writes the text to the file, asking first when it exists; false when
    // the operator declined (the modified flag then stays as it was).
    bool saveTo(const QString &fileName);
    // Case-sensitive, downwards from the end of the selection (from the
    // start when nothing is selected). Selects the hit; false when none.
    bool findNext(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool saveClick();
    void printClick();
    void fontClick();
    void findClick();
    void findNextClick();

    QPlainTextEdit *m_editor;
    FindDialog *m_find;
};

// Opens a new text window with the lines.
TfMDItekst *ShowTextWindow(const QStringList &lines, QWidget *parent = nullptr);
