#pragma once

// Finding teams at the counter: the team list narrowed to one field's value,
// and the teams of the runners whose field holds a piece of text. The
// operator's text is bound as a value, never made part of the statement.

#include <QString>
#include <QVariant>
#include <vector>

namespace db { class Connection; }

// The value the team list is narrowed to: for a number field the text read
// as a whole number (0 when it is not one), for other fields the text itself.
QVariant TeamFilterValue(const QString &field, const QString &text);

// The runner search: its hits are the teams of the matching runners, one per
// runner, stepped through one at a time.
class RunnerSearch
{
public:
    // A new search for runners whose field contains the text, in any letter
    // case; false (and no active search) when none does. Raises KorventError
    // for a field the runner table does not have.
    bool start(db::Connection &connection, const QString &field, const QString &text);
    bool active() const { return m_position >= 0; }
    // The next hit's team; at the last hit the last again.
    qint64 next();
    qint64 current() const;
    void reset();

private:
    std::vector<qint64> m_hits; // team ids in the order found
    int m_position = -1;
};
