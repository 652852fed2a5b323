#include "entries/TeamSearch.h"

#include "base/KorventError.h"
#include "db/Connection.h"
#include "db/TextMatch.h"
#include "store/EventSchema.h"

#include <QCoreApplication>

QVariant TeamFilterValue(const QString &fieldName, const QString &text)
{
    const db::FieldDefinition *field = EventTable(QStringLiteral("team")).field(fieldName);
    if (!field)
        throw KorventError(QCoreApplication::translate("TeamSearch", "There is no field \"%1\" in table \"team\"").arg(fieldName));
    switch (field->kind) {
    case db::FieldKind::AutoIncrement:
    case db::FieldKind::Integer:
    case db::FieldKind::LargeInt: {
        bool isNumber = false;
        const qint64 number = text.trimmed().toLongLong(&isNumber);
        return isNumber ? number : 0;
    }
    default:
        return text;
    }
}

bool RunnerSearch::start(db::Connection &connection, const QString &fieldName, const QString &text)
{
    reset();
    const db::FieldDefinition *field = EventTable(QStringLiteral("runner")).field(fieldName);
    if (!field)
        throw KorventError(QCoreApplication::translate("TeamSearch", "There is no field \"%1\" in table \"runner\"").arg(fieldName));
    const db::TextCondition match = db::CaseInsensitiveMatch(connection.engine(), db::quoteIdentifier(field->name), text, true);
    QSqlQuery query = connection.exec(QStringLiteral("SELECT team_id FROM runner WHERE %1 ORDER BY id").arg(match.sql), {match.pattern});
    while (query.next())
        m_hits.push_back(query.value(0).toLongLong());
    if (!m_hits.empty())
        m_position = 0;
    return active();
}

qint64 RunnerSearch::next()
{
    if (m_position >= 0 && m_position + 1 < static_cast<int>(m_hits.size()))
        ++m_position;
    return current();
}

qint64 RunnerSearch::current() const
{
    return m_position >= 0 ? m_hits[static_cast<size_t>(m_position)] : 0;
}

void RunnerSearch::reset()
{
    m_hits.clear();
    m_position = -1;
}
