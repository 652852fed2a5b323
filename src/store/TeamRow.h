#pragma once

// A row of the team table as the calculation, the corrections, the results
// and the exports read it. Queries choose their columns; a column a query
// leaves out keeps its member's default.

#include "store/DateTime.h"

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

class QSqlQuery;
class QSqlRecord;
namespace db { class Connection; }

struct TeamRow
{
    qint64 id = 0;
    qint64 number = 0;
    bool numbered = false; // a number is stored: the calculation finds the team by it
    QString name, club, country, className, subclass;
    int status = 0;
    SerialDateTime start = 0, finis = 0;
    qint64 points = 0, penalty = 0, result = 0;
    qint64 rtime = 0;    // seconds
    qint64 inCenter = 0; // seconds in the administration area
    bool calculated = false; // calctime is set: calculated at least once
};

// Reads team rows by column name. The columns are looked up once, from the
// query's first result, so that a run over many rows reads by position.
class TeamRowReader
{
public:
    explicit TeamRowReader(const QSqlRecord &columns);
    explicit TeamRowReader(const QSqlQuery &query);

    TeamRow read(const QSqlQuery &query) const;
    TeamRow read(const QSqlRecord &row) const;

private:
    template <typename Source>
    TeamRow readFrom(const Source &source) const;

    int m_id, m_number, m_name, m_club, m_country, m_class, m_subclass, m_status;
    int m_start, m_finis, m_points, m_penalty, m_result, m_rtime, m_inCenter, m_calctime;
};

// The id of the first team with this number (teams may share numbers): the
// team the calculation, the corrections and the splits take for the number.
std::optional<qint64> FirstTeamNumbered(db::Connection &connection, qint64 number);

// A team that shares its number with another.
struct NumberSharer
{
    qint64 id = 0;
    QString name;
    QString className;
};
// The numbers two or more teams share, each with its teams in id order (the
// first is the one FirstTeamNumbered names).
QHash<qint64, std::vector<NumberSharer>> SharedTeamNumbers(db::Connection &connection);
