#pragma once

// An open dialog that also asks for the text encoding of the file:
// "Encoding:" offers the names of Platform::textFileEncodings().

#include <QFileDialog>

class QComboBox;

class TOpenTextFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    explicit TOpenTextFileDialog(QWidget *parent = nullptr);

    // The chosen encoding by name; UTF-8 at first.
    QString encoding() const;
    void setEncoding(const QString &name);

private:
    QComboBox *m_encodings;
};
