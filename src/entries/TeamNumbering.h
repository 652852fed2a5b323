#pragma once

// Start numbers for the teams that have none, as imported teams arrive: the
// calculation, the corrections and the readout find a team by its number.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace db { class Connection; }

struct NumberingSummary
{
    int numbered = 0;
    qint64 first = 0; // the lowest number given; 0 when none was
    qint64 last = 0;  // the highest number given
    int skipped = 0;  // numbers between them that other teams hold
};

// Gives every team without a number (none, or 0 and below) of the class
// (every class when empty) the next free number, in the order the teams were
// entered: from `from` on, or from one above the highest number in use.
// Numbers any team holds are skipped. One transaction; raises KorventError,
// with nothing changed, when `from` is below 1 or the numbers would run past
// the largest a team number may be.
NumberingSummary NumberTeams(db::Connection &connection, std::optional<qint64> from, const QString &className);

// The classes teams are in, sorted, for choosing the teams to number.
QStringList TeamClassNames(db::Connection &connection);

// "Numbered 60 teams: 1-62, 2 numbers in use skipped", or that no team was
// without a number.
QString NumberingSummaryText(const NumberingSummary &summary);
