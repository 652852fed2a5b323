#include "db/SqlScript.h"

#include "db/Connection.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <optional>
#include <sqlite3.h>

namespace db {

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(SqlScript)
};

// A parameter where it stands in the text.
struct ParameterUse
{
    qsizetype position;   // character index in the text
    QString key;          // empty for a plain "?"
    size_t parameter;     // index into the SqlParameters list
};

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_' || c.unicode() > 0x7f;
}

bool isWordPart(QChar c)
{
    return isWordStart(c) || c.isDigit() || c == u'$';
}

// Walks the text as the engine's tokenizer does, as far as parameters and
// first words go: literals, quoted names and comments are passed over whole.
class SqlText
{
public:
    explicit SqlText(const QString &text) : m_text(text) {}

    std::vector<ParameterUse> parameterUses(std::vector<SqlParameter> *parameters) const
    {
        std::vector<ParameterUse> uses;
        QHash<QString, size_t> named;
        int plainCount = 0;
        qsizetype i = 0;
        while (i < m_text.size()) {
            const QChar c = m_text.at(i);
            if (skipOver(i))
                continue;
            // A cast (x::text) names no parameter.
            if (c == u':' && i + 1 < m_text.size() && m_text.at(i + 1) == u':') {
                i += 2;
                continue;
            }
            if (c == u'?' || ((c == u':' || c == u'@' || c == u'$') && i + 1 < m_text.size() && isWordPart(m_text.at(i + 1)))) {
                qsizetype end = i + 1;
                if (c == u'?') {
                    while (end < m_text.size() && m_text.at(end).isDigit())
                        ++end;
                } else {
                    while (end < m_text.size() && isWordPart(m_text.at(end)))
                        ++end;
                }
                const QString key = end > i + 1 ? m_text.mid(i, end - i) : QString();
                size_t index = parameters->size();
                if (key.isEmpty()) {
                    parameters->push_back({QString(), QString::number(++plainCount)});
                } else if (const auto found = named.constFind(key); found != named.constEnd()) {
                    index = *found;
                } else {
                    named.insert(key, index);
                    parameters->push_back({key, key.mid(1)});
                }
                uses.push_back({i, key, index});
                i = end;
                continue;
            }
            if (isWordStart(c) || c.isDigit()) {
                while (i < m_text.size() && (isWordPart(m_text.at(i)) || m_text.at(i) == u'.'))
                    ++i;
                continue;
            }
            ++i;
        }
        return uses;
    }

    // The first word from the position on, past blanks and comments, in capitals.
    QString firstWord(qsizetype from) const
    {
        const qsizetype i = startOf(from);
        qsizetype end = i;
        while (end < m_text.size() && isWordPart(m_text.at(end)))
            ++end;
        return m_text.mid(i, end - i).toUpper();
    }

    // Nothing but blanks, comments and semicolons from the position on: no statement follows.
    bool endsAt(qsizetype from) const
    {
        qsizetype i = startOf(from);
        while (i < m_text.size() && m_text.at(i) == u';')
            i = startOf(i + 1);
        return i >= m_text.size();
    }

    // Where the statement from the position on ends: at its semicolon (or the
    // end of the text), literals, quoted names and comments passed over whole.
    qsizetype statementEnd(qsizetype from) const
    {
        qsizetype i = from;
        while (i < m_text.size()) {
            if (skipOver(i))
                continue;
            if (m_text.at(i) == u';')
                return i;
            ++i;
        }
        return i;
    }

    // The position of the first character that is neither blank nor comment.
    qsizetype startOf(qsizetype from) const
    {
        qsizetype i = from;
        while (i < m_text.size()) {
            if (m_text.at(i).isSpace()) {
                ++i;
                continue;
            }
            if (isComment(i) && skipOver(i))
                continue;
            break;
        }
        return i;
    }

private:
    bool isComment(qsizetype i) const
    {
        const QStringView rest = QStringView(m_text).mid(i);
        return rest.startsWith(u"--") || rest.startsWith(u"/*");
    }

    // Moves past a literal, a quoted name, a comment or a dollar-quoted text
    // starting at i; false when none starts there.
    bool skipOver(qsizetype &i) const
    {
        const QChar c = m_text.at(i);
        const QStringView rest = QStringView(m_text).mid(i);
        if (rest.startsWith(u"--")) {
            const qsizetype end = m_text.indexOf(u'\n', i);
            i = end < 0 ? m_text.size() : end + 1;
            return true;
        }
        if (rest.startsWith(u"/*")) {
            const qsizetype end = m_text.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? m_text.size() : end + 2;
            return true;
        }
        if (c == u'$') {
            // A server's dollar-quoted text: $$ ... $$ or $tag$ ... $tag$.
            qsizetype tagEnd = i + 1;
            while (tagEnd < m_text.size() && (m_text.at(tagEnd).isLetter() || m_text.at(tagEnd) == u'_'
                                              || (tagEnd > i + 1 && m_text.at(tagEnd).isDigit())))
                ++tagEnd;
            if (tagEnd >= m_text.size() || m_text.at(tagEnd) != u'$')
                return false;
            const QString tag = m_text.mid(i, tagEnd - i + 1);
            const qsizetype end = m_text.indexOf(tag, tagEnd + 1);
            i = end < 0 ? m_text.size() : end + tag.size();
            return true;
        }
        QChar close;
        if (c == u'\'' || c == u'"' || c == u'`')
            close = c;
        else if (c == u'[')
            close = u']';
        else
            return false;
        qsizetype j = i + 1;
        while (j < m_text.size()) {
            if (m_text.at(j) == close) {
                // A doubled quote stands for one inside the literal.
                if (close != u']' && j + 1 < m_text.size() && m_text.at(j + 1) == close) {
                    j += 2;
                    continue;
                }
                break;
            }
            ++j;
        }
        i = std::min(j + 1, m_text.size());
        return true;
    }

    const QString &m_text;
};

// Character positions of UTF-8 byte offsets, and lines and columns of characters.
class TextPlaces
{
public:
    TextPlaces(const QString &text, const QByteArray &utf8) : m_text(text), m_utf8(utf8) {}

    // The statements are walked forwards: each offset is counted on from the
    // one before, so that a script of many statements is not read again for each.
    qsizetype characterAt(qsizetype byteOffset) const
    {
        byteOffset = std::clamp<qsizetype>(byteOffset, 0, m_utf8.size());
        if (byteOffset < m_countedBytes) {
            m_countedBytes = 0;
            m_countedCharacters = 0;
        }
        m_countedCharacters += QString::fromUtf8(m_utf8.constData() + m_countedBytes, byteOffset - m_countedBytes).size();
        m_countedBytes = byteOffset;
        return m_countedCharacters;
    }

    SqlError error(const QString &reason, qsizetype position) const
    {
        const auto [line, column] = lineAndColumn(position);
        return SqlError(reason, line, column);
    }
    SqlChangeRefused refusal(const QString &reason, qsizetype position) const
    {
        const auto [line, column] = lineAndColumn(position);
        return SqlChangeRefused(reason, line, column);
    }

private:
    std::pair<int, int> lineAndColumn(qsizetype position) const
    {
        const qsizetype at = std::clamp<qsizetype>(position, 0, m_text.size());
        // (a negative start would search from the end)
        const qsizetype lineStart = at == 0 ? 0 : m_text.lastIndexOf(u'\n', at - 1) + 1;
        const int line = static_cast<int>(QStringView(m_text).left(at).count(u'\n')) + 1;
        return {line, static_cast<int>(at - lineStart) + 1};
    }

    const QString &m_text;
    const QByteArray &m_utf8;
    mutable qsizetype m_countedBytes = 0;
    mutable qsizetype m_countedCharacters = 0;
};

QString engineMessage(sqlite3 *engine)
{
    return QString::fromUtf8(sqlite3_errmsg(engine));
}

QString utf8Text(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

QVariant columnValue(sqlite3_stmt *statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qint64>(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
                                          sqlite3_column_bytes(statement, column)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, column)),
                                   sqlite3_column_bytes(statement, column)));
    default:
        return QVariant();
    }
}

// Binds the uses of one statement to the indexes the engine gives them:
// a plain "?" takes the next number, "?NNN" that number, a name the number
// of its first use in the statement or else the next one.
void bindParameters(sqlite3_stmt *statement, const std::vector<ParameterUse> &uses, const QVariantList &values)
{
    int numbered = 0;
    QHash<QString, int> named;
    for (const ParameterUse &use : uses) {
        int index = 0;
        if (use.key.isEmpty()) {
            index = ++numbered;
        } else if (use.key.startsWith(u'?')) {
            index = use.key.mid(1).toInt();
            numbered = std::max(numbered, index);
            named.insert(use.key, index);
        } else if (const auto found = named.constFind(use.key); found != named.constEnd()) {
            index = *found;
        } else {
            index = sqlite3_bind_parameter_index(statement, use.key.toUtf8().constData());
            if (index == 0)
                index = numbered + 1;
            numbered = std::max(numbered, index);
            named.insert(use.key, index);
        }
        const QByteArray text = values.at(static_cast<qsizetype>(use.parameter)).toString().toUtf8();
        sqlite3_bind_text(statement, index, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
}

int stopWhenCancelled(void *cancel)
{
    return static_cast<const std::atomic<bool> *>(cancel)->load() ? 1 : 0;
}

// Pragmas whose argument names what they read (a table, an index, a number of errors).
bool readsWithArgument(const QByteArray &pragma)
{
    static const QByteArrayList reading{"table_info", "table_xinfo", "table_list", "index_info", "index_xinfo",
                                        "index_list", "foreign_key_list", "foreign_key_check", "integrity_check", "quick_check"};
    return reading.contains(pragma);
}

// A pragma may only read. One that sets something would change the connection
// the program goes on using (its locking, its timeout, whether it may write),
// the whole process (heap limits) or the shared file (its journal); "optimize"
// writes statistics into the database.
int authorizePragma(void *refusedPragma, int action, const char *name, const char *value, const char *, const char *)
{
    if (action != SQLITE_PRAGMA)
        return SQLITE_OK;
    const QByteArray pragma = QByteArray(name).toLower();
    if (pragma != "optimize" && (!value || readsWithArgument(pragma)))
        return SQLITE_OK;
    *static_cast<QString *>(refusedPragma) = QString::fromUtf8(name);
    return SQLITE_DENY;
}

} // namespace

SqlError::SqlError(const QString &reason, int line, int column)
    : KorventError(line > 0 ? reason + Texts::tr(" (line %1, column %2)").arg(line).arg(column) : reason)
    , m_reason(reason)
    , m_line(line)
    , m_column(column)
{
}

std::vector<SqlParameter> SqlParameters(const QString &sql)
{
    std::vector<SqlParameter> parameters;
    SqlText(sql).parameterUses(&parameters);
    return parameters;
}

QString SqlValueText(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return QString();
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    if (value.typeId() == QMetaType::QByteArray)
        return QString::fromLatin1(value.toByteArray().toHex());
    return value.toString();
}

QString SqlFieldText(const QString &text)
{
    for (const QChar c : text)
        if (c == u';' || c == u'"' || c == u'\n' || c == u'\r')
            return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
    return text;
}

QString SqlRowLine(const QVariantList &row)
{
    QString line;
    for (const QVariant &value : row)
        line += SqlFieldText(SqlValueText(value)) + u';';
    return line;
}

namespace {

const QStringList transactionWords{QStringLiteral("BEGIN"), QStringLiteral("COMMIT"), QStringLiteral("END"),
                                   QStringLiteral("ROLLBACK"), QStringLiteral("SAVEPOINT"), QStringLiteral("RELEASE"),
                                   QStringLiteral("START"), QStringLiteral("ABORT"), QStringLiteral("PREPARE")};

QString transactionRefusal()
{
    return Texts::tr("Each run is one transaction of its own; BEGIN, COMMIT, ROLLBACK, END, SAVEPOINT and RELEASE are not taken");
}

// A server's value as the outcome holds it: whole numbers as qint64.
QVariant serverValue(const QVariant &value)
{
    if (value.isNull())
        return QVariant();
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: return QVariant(value.toLongLong());
    default: return value;
    }
}

// The operator's SQL on a PostgreSQL server. Statements are split at their
// semicolons; a read-only run goes in a read-only transaction, which the
// server itself keeps from changing anything; a run that changes data does so
// in one transaction with the event's writer lock, from its first statement
// that does not only read.
SqlOutcome runOnServer(Connection &connection, const QString &sql, const SqlText &text, const std::vector<ParameterUse> &uses,
                       const QVariantList &values, SqlAccess access, const std::atomic<bool> *cancel, const SqlRowSink &rowSink)
{
    static const QStringList readingWords{QStringLiteral("SELECT"), QStringLiteral("VALUES"), QStringLiteral("TABLE"),
                                          QStringLiteral("SHOW"), QStringLiteral("EXPLAIN")};
    const QByteArray utf8 = sql.toUtf8();
    const TextPlaces places(sql, utf8);
    const auto stopped = [] { return Texts::tr("Stopped before the end; the run changed nothing"); };
    QSqlDatabase database = connection.database();
    std::optional<Transaction> transaction;
    bool readOnly = false;
    const auto endReadOnly = qScopeGuard([&] {
        if (readOnly)
            QSqlQuery(database).exec(QStringLiteral("ROLLBACK"));
    });
    if (access == SqlAccess::ReadOnly) {
        connection.exec(QStringLiteral("BEGIN TRANSACTION READ ONLY"));
        readOnly = true;
    }
    SqlOutcome outcome;
    size_t nextUse = 0;
    qsizetype begin = 0;
    while (begin < sql.size() && !text.endsAt(begin)) {
        if (cancel && cancel->load())
            throw SqlError(stopped(), 0, 0);
        const qsizetype statementStart = text.startOf(begin);
        const qsizetype end = text.statementEnd(statementStart);
        const auto nextStatement = qScopeGuard([&] { begin = end + 1; });
        if (statementStart >= end)
            continue;
        const QString word = text.firstWord(statementStart);
        if (transactionWords.contains(word))
            throw places.error(transactionRefusal(), statementStart);
        const bool reads = readingWords.contains(word) || (word == QLatin1String("WITH") && !QStringView(sql).mid(statementStart, end - statementStart).contains(QRegularExpression(QStringLiteral("\\b(insert|update|delete|merge)\\b"), QRegularExpression::CaseInsensitiveOption)));
        if (!reads) {
            if (access == SqlAccess::ReadOnly)
                throw places.refusal(Texts::tr("Only queries are taken here; this statement would change data"), statementStart);
            if (!transaction)
                transaction.emplace(connection);
        }
        // Every parameter becomes a plain one, bound in the order it stands.
        QString statement;
        QVariantList bound;
        qsizetype copied = statementStart;
        while (nextUse < uses.size() && uses[nextUse].position < end) {
            const ParameterUse &use = uses[nextUse++];
            if (use.position < statementStart)
                continue;
            statement += QStringView(sql).mid(copied, use.position - copied) + u'?';
            copied = use.position + std::max<qsizetype>(use.key.size(), 1);
            bound.append(values.at(static_cast<qsizetype>(use.parameter)));
        }
        statement += QStringView(sql).mid(copied, end - copied);
        QSqlQuery query(database);
        query.setForwardOnly(true);
        bool ran = false;
        if (bound.isEmpty()) {
            ran = query.exec(statement);
        } else if (query.prepare(statement)) {
            for (qsizetype i = 0; i < bound.size(); ++i)
                query.bindValue(static_cast<int>(i), bound.at(i));
            ran = query.exec();
        }
        if (!ran) {
            const QSqlError error = query.lastError();
            // 25006: a read-only transaction met a change.
            if (error.nativeErrorCode() == QLatin1String("25006"))
                throw places.refusal(Texts::tr("Only queries are taken here; this statement would change data"), statementStart);
            throw places.error(error.databaseText().isEmpty() ? error.text() : error.databaseText(), statementStart);
        }
        const bool last = text.endsAt(end + 1);
        const QSqlRecord record = query.record();
        std::vector<SqlColumn> columns;
        for (int c = 0; c < record.count(); ++c) {
            const QSqlField field = record.field(c);
            columns.push_back({field.name(), QString(), field.tableName(), field.tableName().isEmpty() ? QString() : field.name()});
        }
        std::vector<QVariantList> rows;
        while (query.isSelect() && query.next()) {
            if (!last)
                continue;
            QVariantList row;
            for (int c = 0; c < record.count(); ++c)
                row.append(serverValue(query.value(c)));
            if (rowSink)
                rowSink(columns, std::move(row));
            else
                rows.push_back(std::move(row));
        }
        if (!reads)
            outcome.rowsAffected = std::max<qint64>(outcome.rowsAffected, 0) + std::max(query.numRowsAffected(), 0);
        outcome.returnsRows = query.isSelect();
        outcome.columns = std::move(columns);
        outcome.rows = std::move(rows);
    }
    if (transaction) {
        connection.catchUpKeys();
        transaction->commit();
    }
    return outcome;
}

} // namespace

SqlOutcome RunSqlScript(Connection &connection, const QString &sql, const QVariantList &values, SqlAccess access,
                        const std::atomic<bool> *cancel, const SqlRowSink &rowSink)
{
    const SqlText text(sql);
    std::vector<SqlParameter> parameters;
    const std::vector<ParameterUse> uses = text.parameterUses(&parameters);
    if (static_cast<size_t>(values.size()) != parameters.size())
        throw KorventError(Texts::tr("The statement has %1 parameters, %2 values were given").arg(parameters.size()).arg(values.size()));
    if (connection.engine() == Engine::PostgreSQL)
        return runOnServer(connection, sql, text, uses, values, access, cancel, rowSink);

    sqlite3 *engine = connection.nativeHandle();
    if (cancel)
        sqlite3_progress_handler(engine, 1000, stopWhenCancelled, const_cast<std::atomic<bool> *>(cancel));
    const auto removeHandler = qScopeGuard([&] {
        if (cancel)
            sqlite3_progress_handler(engine, 0, nullptr, nullptr);
    });
    const auto stopped = [] { return Texts::tr("Stopped before the end; the run changed nothing"); };
    QString refusedPragma;
    sqlite3_set_authorizer(engine, authorizePragma, &refusedPragma);
    const auto removeAuthorizer = qScopeGuard([engine] { sqlite3_set_authorizer(engine, nullptr, nullptr); });
    // The engine's "not authorized" said as what it is.
    const auto engineError = [&] {
        return refusedPragma.isEmpty() ? engineMessage(engine)
                                       : Texts::tr("PRAGMA %1 is not taken here: pragmas may only read, not change the settings of "
                                            "the database or of the program's connection").arg(refusedPragma);
    };

    const QByteArray utf8 = sql.toUtf8();
    const TextPlaces places(sql, utf8);
    // The engine reads a text only as far as its first NUL, and would find no statement there.
    if (const qsizetype nul = sql.indexOf(QChar(0)); nul >= 0)
        throw places.error(Texts::tr("The text holds a NUL character (code 0), which SQL cannot hold"), nul);
    std::optional<Transaction> transaction;
    SqlOutcome outcome;
    qsizetype offset = 0;
    size_t nextUse = 0;
    while (offset < utf8.size()) {
        if (cancel && cancel->load())
            throw SqlError(stopped(), 0, 0);
        const char *start = utf8.constData() + offset;
        const char *tail = nullptr;
        sqlite3_stmt *statement = nullptr;
        // The length takes in the closing NUL: without it the engine copies the rest of the text for every statement.
        if (sqlite3_prepare_v2(engine, start, static_cast<int>(utf8.size() - offset + 1), &statement, &tail) != SQLITE_OK) {
            const int at = sqlite3_error_offset(engine);
            const qsizetype position = at >= 0 ? places.characterAt(offset + at) : text.startOf(places.characterAt(offset));
            throw places.error(engineError(), position);
        }
        const qsizetype begin = places.characterAt(offset);
        const qsizetype next = tail - utf8.constData();
        if (!statement) { // blanks and comments only
            offset = next;
            continue;
        }
        const auto finalize = qScopeGuard([statement] { sqlite3_finalize(statement); });
        const qsizetype statementStart = text.startOf(begin);

        if (transactionWords.contains(text.firstWord(begin)))
            throw places.error(transactionRefusal(), statementStart);
        const bool changesData = !sqlite3_stmt_readonly(statement);
        // ATTACH counts as reading, yet it creates a missing file.
        static const QStringList connectionWords{QStringLiteral("ATTACH"), QStringLiteral("DETACH")};
        if (access == SqlAccess::ReadOnly && connectionWords.contains(text.firstWord(begin)))
            throw places.refusal(Texts::tr("Only queries are taken here; ATTACH and DETACH are not"), statementStart);
        if (changesData) {
            if (access == SqlAccess::ReadOnly)
                throw places.refusal(Texts::tr("Only queries are taken here; this statement would change data"), statementStart);
            if (!transaction)
                transaction.emplace(connection);
        }

        // The uses are in text order: those of this statement follow the ones already bound.
        std::vector<ParameterUse> statementUses;
        const qsizetype end = places.characterAt(next);
        while (nextUse < uses.size() && uses[nextUse].position < end) {
            if (uses[nextUse].position >= begin)
                statementUses.push_back(uses[nextUse]);
            ++nextUse;
        }
        bindParameters(statement, statementUses, values);

        const int columnCount = sqlite3_column_count(statement);
        std::vector<SqlColumn> columns;
        for (int c = 0; c < columnCount; ++c)
            columns.push_back({utf8Text(sqlite3_column_name(statement, c)), utf8Text(sqlite3_column_decltype(statement, c)),
                               utf8Text(sqlite3_column_table_name(statement, c)), utf8Text(sqlite3_column_origin_name(statement, c))});
        // Only the last statement's rows are shown; those of the others are not kept.
        const bool last = text.endsAt(end);
        std::vector<QVariantList> rows;
        const sqlite3_int64 changesBefore = sqlite3_total_changes64(engine);
        int result = SQLITE_OK;
        while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
            if (!last)
                continue;
            QVariantList row;
            row.reserve(columnCount);
            for (int c = 0; c < columnCount; ++c)
                row.append(columnValue(statement, c));
            if (rowSink)
                rowSink(columns, std::move(row));
            else
                rows.push_back(std::move(row));
        }
        if (result == SQLITE_INTERRUPT)
            throw SqlError(stopped(), 0, 0);
        if (result != SQLITE_DONE)
            throw places.error(engineError(), statementStart);
        if (changesData)
            outcome.rowsAffected = std::max<qint64>(outcome.rowsAffected, 0) + (sqlite3_total_changes64(engine) - changesBefore);
        // The last statement decides what the run shows.
        outcome.returnsRows = columnCount > 0;
        outcome.columns = std::move(columns);
        outcome.rows = std::move(rows);
        offset = next;
    }
    if (transaction) {
        connection.catchUpKeys();
        transaction->commit();
    }
    return outcome;
}

} // namespace db
