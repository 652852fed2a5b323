#include "scoring/ExtraPointRules.h"

#include "db/Connection.h"

ExtraPointRules::ExtraPointRules(std::vector<TExtraPointList> rules)
    : m_rules(std::move(rules))
{
    for (const TExtraPointList &rule : m_rules)
        if (!m_firstByKey.contains(rule.key))
            m_firstByKey.insert(rule.key, rule.points);
}

ExtraPointRules ExtraPointRules::load(db::Connection &connection)
{
    std::vector<TExtraPointList> rules;
    QSqlQuery rows = connection.exec(QStringLiteral("SELECT \"from\", \"to\", points FROM extrapoint ORDER BY \"from\", id"));
    while (rows.next())
        rules.push_back({rows.value(0).toString() + u'>' + rows.value(1).toString(), rows.value(2).toLongLong()});
    return ExtraPointRules(std::move(rules));
}

qint64 ExtraPointRules::legPoints(const QString &previousCode, const QString &code) const
{
    if (m_firstByKey.isEmpty())
        return 0;
    return m_firstByKey.value(previousCode + u'>' + code, 0);
}
