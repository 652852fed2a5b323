#include "store/TeamRow.h"

#include "db/Connection.h"
#include "db/StoredValue.h"

#include <QSqlQuery>
#include <QSqlRecord>

TeamRowReader::TeamRowReader(const QSqlRecord &columns)
    : m_id(columns.indexOf(QStringLiteral("id")))
    , m_number(columns.indexOf(QStringLiteral("number")))
    , m_name(columns.indexOf(QStringLiteral("name")))
    , m_club(columns.indexOf(QStringLiteral("club")))
    , m_country(columns.indexOf(QStringLiteral("country")))
    , m_class(columns.indexOf(QStringLiteral("class")))
    , m_subclass(columns.indexOf(QStringLiteral("subclass")))
    , m_status(columns.indexOf(QStringLiteral("status")))
    , m_start(columns.indexOf(QStringLiteral("start")))
    , m_finis(columns.indexOf(QStringLiteral("finis")))
    , m_points(columns.indexOf(QStringLiteral("points")))
    , m_penalty(columns.indexOf(QStringLiteral("penalty")))
    , m_result(columns.indexOf(QStringLiteral("result")))
    , m_rtime(columns.indexOf(QStringLiteral("rtime")))
    , m_inCenter(columns.indexOf(QStringLiteral("inCenter")))
    , m_calctime(columns.indexOf(QStringLiteral("calctime")))
{
}

TeamRowReader::TeamRowReader(const QSqlQuery &query)
    : TeamRowReader(query.record())
{
}

template <typename Source>
TeamRow TeamRowReader::readFrom(const Source &source) const
{
    const auto value = [&source](int column) { return column < 0 ? QVariant() : source.value(column); };
    TeamRow row;
    row.id = value(m_id).toLongLong();
    const QVariant number = value(m_number);
    row.number = number.toLongLong();
    row.numbered = !number.isNull();
    row.name = value(m_name).toString();
    row.club = value(m_club).toString();
    row.country = value(m_country).toString();
    row.className = value(m_class).toString();
    row.subclass = value(m_subclass).toString();
    row.status = value(m_status).toInt();
    row.start = DateTime::fromStored(value(m_start));
    row.finis = DateTime::fromStored(value(m_finis));
    row.points = value(m_points).toLongLong();
    row.penalty = value(m_penalty).toLongLong();
    row.result = value(m_result).toLongLong();
    row.rtime = value(m_rtime).toLongLong();
    row.inCenter = value(m_inCenter).toLongLong();
    row.calculated = db::StoredTimeIsSet(value(m_calctime));
    return row;
}

TeamRow TeamRowReader::read(const QSqlQuery &query) const
{
    return readFrom(query);
}

TeamRow TeamRowReader::read(const QSqlRecord &row) const
{
    return readFrom(row);
}

std::optional<qint64> FirstTeamNumbered(db::Connection &connection, qint64 number)
{
    const QVariant id = connection.scalar(QStringLiteral("SELECT id FROM team WHERE number=? ORDER BY id LIMIT 1"), {number});
    if (!id.isValid())
        return std::nullopt;
    return id.toLongLong();
}

QHash<qint64, std::vector<NumberSharer>> SharedTeamNumbers(db::Connection &connection)
{
    QHash<qint64, std::vector<NumberSharer>> shared;
    QSqlQuery rows = connection.exec(QStringLiteral("SELECT number, id, name, class FROM team WHERE number IN "
                                                    "(SELECT number FROM team GROUP BY number HAVING COUNT(*) > 1) ORDER BY number, id"));
    while (rows.next())
        shared[rows.value(0).toLongLong()].push_back({rows.value(1).toLongLong(), rows.value(2).toString(), rows.value(3).toString()});
    return shared;
}
