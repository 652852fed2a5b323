#pragma once

// The file dialog every window uses. It judges files by their names only:
// Qt's file types and icons, and the desktop's own dialogs, open files to
// look at their content, and a descriptor opened and closed on the event's
// database drops this process's locks on it (see GuardedFiles).

#include <QFileDialog>

// What a file dialog asks for.
struct FileQuestion
{
    enum Kind {
        ExistingFile,  // a file to read, which must be there
        AnyFileToOpen, // a name to read; the caller answers one that is not there
        FileToWrite,   // a name to write, asking before an existing file is replaced
        FileToReplace, // a name to write, asking nothing about an existing file
        Folder,        // a folder that exists
    };
    Kind kind = ExistingFile;
    QString caption = {};
    // A folder to start in, or a file name: its folder with that file chosen.
    QString start = {};
    // Name filters separated by ";;"; the first is chosen unless selectedFilter names another.
    QString filters = {};
    QString selectedFilter = {};
    QString defaultSuffix = {};
    QString objectName = {};
};

class TFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    TFileDialog(QWidget *parent, const FileQuestion &question);

    // Shows the dialog; the chosen name, or empty when cancelled.
    QString ask();
};

// Asks the question in a TFileDialog; the chosen name, or empty when cancelled.
QString ChooseFileName(QWidget *parent, const FileQuestion &question);
