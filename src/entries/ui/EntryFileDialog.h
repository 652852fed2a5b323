#pragma once

// The open dialog of "Import teams": the text file dialog with the entry
// file's columns described below it and a button that writes the example
// file to look at or to fill in.

#include "base/ProgramFiles.h"
#include "base/ui/TextFileDialog.h"

class QLabel;
class QPushButton;

class TEntryFileDialog : public TOpenTextFileDialog
{
    Q_OBJECT

public:
    TEntryFileDialog(const ProgramFiles &program, const FileQuestion &question, QWidget *parent = nullptr);

    // Writes the example as import-example.csv into the folder the dialog
    // shows and selects it there; says where, or why it could not.
    void btnWriteExampleClick();

private:
    ProgramFiles m_program;
    QLabel *lFormat;
    QPushButton *btnWriteExample;
};
