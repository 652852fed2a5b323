#pragma once

// winners.csv: one line per started runner of a team and per medal the team
// won in a sub-class, for the prize giving.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct WinnerRunner
{
    QString firstname;
    QString lastname;
    QString country;
};

struct TeamRow;

class WinnersList
{
public:
    WinnersList();

    // placeText is the team's overall place; medalList as SubClassPlaces fills it: "name;I|name;II|...".
    void addRunner(const TeamRow &team, const QString &placeText, const WinnerRunner &runner, const QString &medalList);
    const QStringList &lines() const { return m_lines; }
    // The program's text encoding, CR LF after every line.
    QByteArray bytes() const;

private:
    QStringList m_lines;
};
