// korvent-cli sql: the data editor's Run, headless.

#include "cli/CliCommands.h"
#include "cli/CliArguments.h"

#include "base/KorventError.h"
#include "db/SqlScript.h"
#include "dataeditor/SqlConsole.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QTemporaryFile>
#include <QTextStream>
#include <optional>

namespace {

using cli::Texts;

const QString sqlUsage = QStringLiteral("sql needs one statement: sql [--yes] \"STATEMENT\"");

// The rows of a run that may change data wait for its commit in a temporary
// file, not in memory: a result of any size goes through.
class RowSpool
{
public:
    RowSpool()
    {
        if (!m_file.open())
            fail();
        m_stream.setDevice(&m_file);
        m_stream.setEncoding(QStringConverter::Utf8);
    }

    // Raising stops the run, which then changes nothing.
    void add(const QVariantList &row)
    {
        m_stream << db::SqlRowLine(row) << '\n';
        if (m_stream.status() != QTextStream::Ok)
            fail();
    }

    void copyTo(QTextStream &out)
    {
        m_stream.flush();
        if (m_stream.status() != QTextStream::Ok || !m_file.flush() || !m_file.seek(0))
            fail();
        QTextStream in(&m_file);
        in.setEncoding(QStringConverter::Utf8);
        while (!in.atEnd())
            out << in.read(64 * 1024);
    }

private:
    [[noreturn]] void fail() const
    {
        throw KorventError(Texts::tr("Cannot keep the rows in a temporary file %1: %2").arg(m_file.fileName(), m_file.errorString()));
    }

    QTemporaryFile m_file;
    QTextStream m_stream;
};

} // namespace

int CliSqlCommand(CliContext &context, const QStringList &arguments)
{
    CliArguments options(arguments);
    const bool confirmed = options.takeFlag(QStringLiteral("--yes"));
    const QStringList &words = options.rest();
    if (words.size() != 1)
        throw KorventError(sqlUsage);
    const QString &sql = words.first();
    // The counterpart of the editor's question: nothing that may change data runs unconfirmed.
    if (!confirmed && AsksBeforeChange(sql))
        throw KorventError(Texts::tr("The statement holds DELETE, INSERT or UPDATE and may change data; add --yes to run it"));
    if (!db::SqlParameters(sql).empty())
        throw KorventError(Texts::tr("The statement has parameters; korvent-cli sql cannot ask for their values"));

    // Rows only: a script reads each line as a row. A query's rows are printed
    // as the engine gives them, so that a result of any size goes through;
    // those of a run that may change data come after its commit, from a
    // temporary file: a reader of the output would otherwise hold the writer
    // lock, and rows of a run that is then rolled back would be shown as done.
    std::optional<RowSpool> spool;
    db::SqlRowSink takeRow;
    if (confirmed) {
        spool.emplace();
        takeRow = [&](const std::vector<db::SqlColumn> &, QVariantList &&row) { spool->add(row); };
    } else {
        takeRow = [&](const std::vector<db::SqlColumn> &, QVariantList &&row) { context.out << db::SqlRowLine(row) << '\n'; };
    }
    db::SqlOutcome outcome;
    try {
        outcome = db::RunSqlScript(context.data.connection(), sql, {}, confirmed ? db::SqlAccess::MayChange : db::SqlAccess::ReadOnly,
                                   nullptr, takeRow);
    } catch (const db::SqlChangeRefused &refused) {
        // Changes that hold none of those words (DROP, CREATE, ...) are found by the engine.
        throw db::SqlError(Texts::tr("The statement would change data; add --yes to run it"), refused.line(), refused.column());
    }
    if (spool) {
        try {
            spool->copyTo(context.out);
        } catch (const KorventError &error) {
            throw KorventError(Texts::tr("The run was committed, but its rows cannot be shown. %1").arg(error.message()));
        }
    }
    if (outcome.rowsAffected != -1)
        context.out << RowsAffectedText(outcome.rowsAffected) << '\n';
    return 0;
}
