#pragma once

#include <QDialog>

// The About box: program version and the database engine's version.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    TAboutBox(const QString &databaseVersion, QWidget *parent = nullptr);
};
