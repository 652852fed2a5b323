#pragma once

// Extra-point rules: points for visiting one control right after another,
// keyed "from>to", in order of their first control; the first rule of a key counts.

#include <QHash>
#include <QString>
#include <vector>

namespace db { class Connection; }

struct TExtraPointList
{
    QString key; // from + ">" + to, e.g. "31>32"
    qint64 points = 0;
};

class ExtraPointRules
{
public:
    static ExtraPointRules load(db::Connection &connection);

    const std::vector<TExtraPointList> &rules() const { return m_rules; }
    bool empty() const { return m_rules.empty(); }
    // Points of the first rule with this key; 0 when none.
    qint64 points(const QString &key) const { return m_firstByKey.value(key, 0); }

private:
    std::vector<TExtraPointList> m_rules;
    QHash<QString, qint64> m_firstByKey;
};
