#include "entries/TeamNumbering.h"

#include "base/CountText.h"
#include "base/KorventError.h"
#include "db/Connection.h"

#include <QCoreApplication>
#include <QSet>
#include <limits>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(TeamNumbering)
};

// Team numbers are shown, typed and sent to readout stations as 32-bit integers.
constexpr qint64 largestNumber = std::numeric_limits<qint32>::max();

} // namespace

NumberingSummary NumberTeams(db::Connection &connection, std::optional<qint64> from, const QString &className)
{
    if (from && (*from < 1 || *from > largestNumber))
        throw KorventError(Texts::tr("The first number must lie between 1 and %1, not %2").arg(largestNumber).arg(*from));

    db::Transaction transaction(connection);
    // A class no team stands in is a mistyped name, not a class already numbered.
    if (!className.isEmpty() && connection.scalar(QStringLiteral("SELECT COUNT(*) FROM team WHERE class=?"), {className}).toInt() == 0)
        throw KorventError(Texts::tr("There is no team in class %1").arg(className));
    QSet<qint64> used;
    qint64 highest = 0;
    QSqlQuery numbers = connection.exec(QStringLiteral("SELECT DISTINCT number FROM team WHERE number > 0"));
    while (numbers.next()) {
        const qint64 number = numbers.value(0).toLongLong();
        used.insert(number);
        highest = qMax(highest, number);
    }
    numbers.finish();

    QList<qint64> teams;
    QSqlQuery unnumbered = className.isEmpty()
        ? connection.exec(QStringLiteral("SELECT id FROM team WHERE number IS NULL OR number <= 0 ORDER BY id"))
        : connection.exec(QStringLiteral("SELECT id FROM team WHERE (number IS NULL OR number <= 0) AND class=? ORDER BY id"), {className});
    while (unnumbered.next())
        teams.append(unnumbered.value(0).toLongLong());
    unnumbered.finish();

    NumberingSummary summary;
    QSqlQuery give = connection.prepare(QStringLiteral("UPDATE team SET number=? WHERE id=?"));
    qint64 next = from.value_or(highest + 1);
    for (const qint64 teamId : std::as_const(teams)) {
        for (; used.contains(next); ++next)
            summary.skipped += summary.numbered > 0;
        if (next > largestNumber)
            throw KorventError(Texts::tr("%1 teams need numbers, but the free numbers from %2 run out at %3")
                                   .arg(teams.size())
                                   .arg(from.value_or(highest + 1))
                                   .arg(largestNumber));
        connection.exec(give, {next, teamId});
        if (summary.numbered++ == 0)
            summary.first = next;
        summary.last = next++;
    }
    transaction.commit();
    return summary;
}

QStringList TeamClassNames(db::Connection &connection)
{
    return connection.texts(QStringLiteral("SELECT DISTINCT class FROM team WHERE class > '' ORDER BY class"));
}

QString NumberingSummaryText(const NumberingSummary &summary)
{
    if (summary.numbered == 0)
        return Texts::tr("Numbered 0 teams: no team is without a number");
    QString text = CountText("TeamNumbering", "Numbered %n team: ", "Numbered %n teams: ", summary.numbered)
        + (summary.first == summary.last ? QString::number(summary.first) : Texts::tr("%1-%2").arg(summary.first).arg(summary.last));
    if (summary.skipped > 0)
        text += CountText("TeamNumbering", ", %n number in use skipped", ", %n numbers in use skipped", summary.skipped);
    return text;
}
