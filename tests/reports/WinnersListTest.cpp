#include "reports/WinnersList.h"

#include "store/TeamRow.h"

#include <gtest/gtest.h>

namespace {

TeamRow team(qint64 number, const QString &name, qint64 result, qint64 rtime)
{
    TeamRow row;
    row.number = number;
    row.name = name;
    row.result = result;
    row.rtime = rtime;
    return row;
}

} // namespace

TEST(WinnersList, ALinePerRunnerAndMedal)
{
    WinnersList winners;
    const TeamRow owls = team(7, QStringLiteral("Owls; the fast"), 120, 14400);
    for (const char *first : {"Anna", "Mari"})
        winners.addRunner(owls, QStringLiteral("2"), {QString::fromLatin1(first), QStringLiteral("Tamm"), QStringLiteral("EST")},
                          QStringLiteral("MV;I|H12J;II|"));
    winners.addRunner(team(9, QStringLiteral("Hares"), 90, 14000), QStringLiteral("3"), {QStringLiteral("Jaan"), QStringLiteral("Kask"), QString()},
                      QString());
    // A line break keeps its line inside quotes.
    winners.addRunner(team(4, QStringLiteral("Elks"), 80, 14000), QStringLiteral("4"), {QStringLiteral("Jaan"), QStringLiteral("Ka\nsk"), QString()},
                      QStringLiteral("MV;III|"));
    EXPECT_EQ(winners.lines(), QStringList({
        "NR;Firstname;Lastname;Country;Teamname;Class;Place;Result;Time;TotalPlace",
        "7;Anna;Tamm;EST;\"Owls; the fast\";MV;I;120;4:00:00;2",
        "7;Anna;Tamm;EST;\"Owls; the fast\";H12J;II;120;4:00:00;2",
        "7;Mari;Tamm;EST;\"Owls; the fast\";MV;I;120;4:00:00;2",
        "7;Mari;Tamm;EST;\"Owls; the fast\";H12J;II;120;4:00:00;2",
        "4;Jaan;\"Ka\nsk\";;Elks;MV;III;80;3:53:20;4",
    }));
    EXPECT_TRUE(winners.bytes().startsWith("NR;Firstname;"));
    EXPECT_TRUE(winners.bytes().endsWith(";4\r\n"));
    EXPECT_EQ(winners.bytes().count("\r\n"), 6);
}
