#pragma once

#include <QDate>
#include <QString>

// A runner's birth date as typed in the grid or read from an entry file: the
// forms Platform::readDate takes, a two-digit year never placed ahead of
// today, and only days from 1900-01-01 to today.
struct BirthDateReading
{
    QDate date;      // invalid when refused
    QString refusal; // why the text is no birth date, to follow the quoted value
};

BirthDateReading readBirthDate(const QString &text, const QDate &today = QDate::currentDate());
