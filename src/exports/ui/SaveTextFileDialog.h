#pragma once

// A save dialog that also asks for the text encoding of the file: "Encoding:"
// offers the names of Platform::textFileEncodings(), the first one chosen.

#include <QFileDialog>

class QComboBox;

class TSaveTextFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    explicit TSaveTextFileDialog(QWidget *parent = nullptr);

    // The chosen encoding by name.
    QString encoding() const;

private:
    QComboBox *m_encodings;
};
