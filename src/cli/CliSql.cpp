// korvent-cli sql: the data editor's Run, headless.

#include "cli/CliCommands.h"
#include "cli/CliArguments.h"

#include "base/KorventError.h"
#include "db/SqlScript.h"
#include "shell/SqlConsole.h"
#include "store/uData.h"

#include <QCoreApplication>

namespace {

using cli::tr;

const QString sqlUsage = QStringLiteral("sql needs one statement: sql [--yes] \"STATEMENT\"");

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
        throw KorventError(tr("The statement holds DELETE, INSERT or UPDATE and may change data; add --yes to run it"));
    if (!db::SqlParameters(sql).empty())
        throw KorventError(tr("The statement has parameters; korvent-cli sql cannot ask for their values"));

    // Rows only: a script reads each line as a row. A query's rows are printed
    // as the engine gives them, so that a result of any size goes through;
    // those of a run that changes data come after its commit: a reader of the
    // output would otherwise hold the writer lock.
    db::SqlRowSink printRow;
    if (!confirmed)
        printRow = [&](const std::vector<db::SqlColumn> &, QVariantList &&row) { context.out << db::SqlRowLine(row) << '\n'; };
    db::SqlOutcome outcome;
    try {
        outcome = db::RunSqlScript(context.data.connection(), sql, {}, confirmed ? db::SqlAccess::MayChange : db::SqlAccess::ReadOnly,
                                   nullptr, printRow);
    } catch (const db::SqlChangeRefused &refused) {
        // Changes that hold none of those words (DROP, CREATE, ...) are found by the engine.
        throw db::SqlError(tr("The statement would change data; add --yes to run it"), refused.line(), refused.column());
    }
    for (const QVariantList &row : outcome.rows)
        context.out << db::SqlRowLine(row) << '\n';
    if (outcome.rowsAffected != -1)
        context.out << RowsAffectedText(outcome.rowsAffected) << '\n';
    return 0;
}
