#pragma once

// The file dialog every window uses. It judges files by their names only:
// Qt's file types and icons, and the desktop's own dialogs, open files to
// look at their content, and a descriptor opened and closed on the event's
// database drops this process's locks on it (see GuardedFiles).

#include <QFileDialog>

class TFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    TFileDialog(QWidget *parent, const QString &caption, const QString &directory = QString(), const QString &filter = QString());
};

// A folder that exists, chosen in a TFileDialog; empty when cancelled.
QString ChooseExistingDirectory(QWidget *parent, const QString &caption, const QString &directory);
// A file name to write, chosen in a TFileDialog that asks nothing about an
// existing file; empty when cancelled.
QString ChooseSaveFileName(QWidget *parent, const QString &caption, const QString &directory, const QString &filter);
