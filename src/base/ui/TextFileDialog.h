#pragma once

// Open and save dialogs that also ask for the text encoding of the file:
// "Encoding:" offers the names of Platform::textFileEncodings().

#include "base/ui/FileDialogs.h"

class QComboBox;

class TTextFileDialog : public TFileDialog
{
    Q_OBJECT

public:
    // The chosen encoding by name.
    QString encoding() const;
    void setEncoding(const QString &name);

protected:
    TTextFileDialog(QWidget *parent, const FileQuestion &question);

private:
    QComboBox *m_encodings;
};

// Opens an existing file; UTF-8 chosen at first, as entry systems write it today.
class TOpenTextFileDialog : public TTextFileDialog
{
    Q_OBJECT

public:
    // The question's kind is always an existing file.
    explicit TOpenTextFileDialog(FileQuestion question = {}, QWidget *parent = nullptr);
};

// Names a file to write; the first encoding chosen at first.
class TSaveTextFileDialog : public TTextFileDialog
{
    Q_OBJECT

public:
    // The question's kind says whether replacing a file is asked about.
    explicit TSaveTextFileDialog(const FileQuestion &question, QWidget *parent = nullptr);
};
