#include "base/BirthDate.h"

#include "base/Platform.h"

#include <QCoreApplication>

BirthDateReading readBirthDate(const QString &text, const QDate &today)
{
    const auto refuse = [](const char *why) { return BirthDateReading{QDate(), QCoreApplication::translate("BirthDate", why)}; };
    const Platform::DateReading reading = Platform::readDateText(text, Platform::TwoDigitYear::NeverAhead);
    if (reading.noSuchDay)
        return refuse("is not a date: no such day");
    if (!reading.date)
        return {QDate(), QCoreApplication::translate("BirthDate", "is not a date of the form %1").arg(Platform::dateForms())};
    if (*reading.date < QDate(1900, 1, 1))
        return refuse("is before 1900-01-01");
    if (*reading.date > today)
        return refuse("is after today");
    return {*reading.date, QString()};
}
