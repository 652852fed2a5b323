// Free SQL as the data editor runs it: a script of N one-row INSERTs with
// parameters (a pasted dump) as one transaction, and a query of many rows.
// The script's time should grow with N, not with its square: the run holds
// the writer lock meanwhile, and readouts wait for it.
//
//   sql_script_bench [--statements N] [--rows N]

#include "BenchOptions.h"

#include "db/SqlScript.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (printedUsage(args, "usage: sql_script_bench [--statements N] [--rows N]\n"))
        return 0;
    const int statements = option(args, "--statements", 50'000);
    const int rows = option(args, "--rows", 1'000'000);

    QTemporaryDir dir;
    TdmData data(dir.path() + u'/');
    for (int n = statements / 4; n <= statements; n *= 2) {
        QString sql;
        for (int i = 0; i < n; ++i)
            sql += QStringLiteral("INSERT INTO extrapoint (\"from\", \"to\", points) VALUES (%1, ?, :points);\n").arg(i);
        QElapsedTimer timer;
        timer.start();
        db::RunSqlScript(data.connection(), sql, QVariantList(n + 1, QStringLiteral("5")), db::SqlAccess::MayChange);
        std::printf("script of %d statements (%lld KB): %.2f s\n", n, static_cast<long long>(sql.size() / 1024), timer.nsecsElapsed() / 1e9);
        data.connection().exec(QStringLiteral("DELETE FROM extrapoint"));
    }

    QElapsedTimer timer;
    timer.start();
    const db::SqlOutcome outcome = db::RunSqlScript(
        data.connection(),
        QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c LIMIT %1) SELECT n, 'row ' || n FROM c").arg(rows), {},
        db::SqlAccess::ReadOnly);
    std::printf("query of %zu rows: %.2f s\n", outcome.rows.size(), timer.nsecsElapsed() / 1e9);
    return 0;
}
