#include "scoring/ExtraPointRules.h"

#include "db/Connection.h"

ExtraPointRules ExtraPointRules::load(db::Connection &connection)
{
    ExtraPointRules rules;
    QSqlQuery rows = connection.exec(QStringLiteral("SELECT \"from\", \"to\", points FROM extrapoint ORDER BY \"from\", id"));
    while (rows.next()) {
        TExtraPointList rule{rows.value(0).toString() + u'>' + rows.value(1).toString(), rows.value(2).toLongLong()};
        if (!rules.m_firstByKey.contains(rule.key))
            rules.m_firstByKey.insert(rule.key, rule.points);
        rules.m_rules.push_back(rule);
    }
    return rules;
}
