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

struct WinnerTeam
{
    qint64 number = 0;
    QString name;
    qint64 result = 0;
    qint64 rtime = 0;
    QString placeText; // the overall place
};

class WinnersList
{
public:
    WinnersList();

    // medalList as SubClassPlaces fills it: "name;I|name;II|...".
    void addRunner(const WinnerTeam &team, const WinnerRunner &runner, const QString &medalList);
    const QStringList &lines() const { return m_lines; }
    // The program's text encoding, CR LF after every line.
    QByteArray bytes() const;

private:
    QStringList m_lines;
};
