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
    ExtraPointRules() = default;
    // Rules in order of their first control.
    explicit ExtraPointRules(std::vector<TExtraPointList> rules);
    static ExtraPointRules load(db::Connection &connection);

    const std::vector<TExtraPointList> &rules() const { return m_rules; }
    bool empty() const { return m_rules.empty(); }

    // The code that stands before the first visit: no rule starts there.
    static QString startCode() { return QStringLiteral("-"); }
    // Points for visiting `code` right after `previousCode`: those of the
    // first rule "previousCode>code", 0 when there is none.
    qint64 legPoints(const QString &previousCode, const QString &code) const;

private:
    std::vector<TExtraPointList> m_rules;
    QHash<QString, qint64> m_firstByKey;
};
