#pragma once

#include <QCoreApplication>

// "1 team", "3 teams": the singular or the plural source text with %n
// replaced by the count, through the translator like every other text.
inline QString CountText(const char *context, const char *singular, const char *plural, qint64 count)
{
    return QCoreApplication::translate(context, count == 1 ? singular : plural, nullptr, static_cast<int>(count));
}
