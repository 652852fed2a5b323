#pragma once

// Free SQL typed by the operator (the data editor, the rule files of the data
// check, korvent-cli sql): one or more statements run in order on a
// connection, with their parameters, the rows of the last one, the number of
// rows changed, and errors that say where in the text they lie.

#include "base/KorventError.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <atomic>
#include <functional>
#include <vector>

namespace db {

class Connection;

// A parameter of the text, in the order of first appearance: ":name",
// "@name", "$name" and "?NNN" once per name, each plain "?" on its own.
struct SqlParameter
{
    QString key;  // as the text writes it (":chip"); empty for a plain "?"
    QString name; // for the operator: the name without its sign, or the number
};
std::vector<SqlParameter> SqlParameters(const QString &sql);

// A column of a result, and where it comes from when it is a table's field.
struct SqlColumn
{
    QString name;         // as the statement names it
    QString declaredType; // of the field it comes from; empty for an expression
    QString table;        // the field's table; empty for an expression
    QString field;        // the field's name in that table
};

struct SqlOutcome
{
    std::vector<SqlColumn> columns;
    std::vector<QVariantList> rows; // integers as qint64, reals as double, texts, NULL as a null QVariant; none when a sink took them
    bool returnsRows = false;       // the last statement is one that returns rows (it may return none)
    qint64 rowsAffected = -1;       // rows changed by the run; -1 when no statement changes data
};

// An error of the engine, or a refusal, with the place in the text it names:
// line and column counted from 1, 0 when it names none.
class SqlError : public KorventError
{
public:
    SqlError(const QString &reason, int line, int column);

    const QString &reason() const { return m_reason; }
    int line() const { return m_line; }
    int column() const { return m_column; }

private:
    QString m_reason;
    int m_line;
    int m_column;
};

// A read-only run's refusal of a statement that would change data or attach a file.
class SqlChangeRefused : public SqlError
{
public:
    using SqlError::SqlError;
};

enum class SqlAccess {
    ReadOnly,   // a statement that would change data (or attach a file) is refused before it runs
    MayChange,  // statements that change data run in one transaction, kept only when all succeed
};

// Takes the rows of the last statement one by one as the engine gives them,
// with the statement's columns, instead of the outcome keeping them all. An
// error raised from it stops the run like an error of the engine.
using SqlRowSink = std::function<void(const std::vector<SqlColumn> &columns, QVariantList &&row)>;

// Runs every statement of the text in order. `values` holds one text per
// SqlParameters entry, bound wherever that parameter stands. Transaction
// statements (BEGIN, COMMIT, ROLLBACK, END, SAVEPOINT, RELEASE) are refused:
// a run is one transaction of its own. A pragma may only read: one that sets
// a value (or "optimize") is refused, so that the connection, the process and
// the shared file keep what the program set. Setting `cancel` stops the run at the
// engine's next step; what it changed is rolled back. Raises SqlError
// (SqlChangeRefused when a read-only run meets a change).
SqlOutcome RunSqlScript(Connection &connection, const QString &sql, const QVariantList &values, SqlAccess access,
                        const std::atomic<bool> *cancel = nullptr, const SqlRowSink &rowSink = {});

// The text a value shows: empty for NULL, numbers as the engine writes them.
QString SqlValueText(const QVariant &value);
// A value's text or a column's name as a field of a ";"-separated line: one
// that holds ";", a double quote or a line break is enclosed in double quotes,
// its quotes doubled (as in CSV), so that it cannot pass for more fields or rows.
QString SqlFieldText(const QString &text);
// A row as one line: every value's field text followed by ";".
QString SqlRowLine(const QVariantList &row);

} // namespace db
