#include "entries/DataCheck.h"

#include "base/KorventError.h"
#include "base/TextFile.h"
#include "db/Connection.h"
#include "db/PortableSql.h"
#include "db/SqlScript.h"
#include "store/TextHelpers.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(DataCheck)
};

// The class tree as a table the queries can join: dropped again after the run.
QString classTreeTable(const db::Connection &connection)
{
    return db::TemporaryTableName(connection.engine(), QStringLiteral("classtree"));
}

void offerClassTree(db::Connection &connection, const ClassTree &classTree)
{
    connection.exec(QStringLiteral("DROP TABLE IF EXISTS ") + classTreeTable(connection));
    connection.exec(QStringLiteral("CREATE TEMP TABLE classtree (name TEXT)"));
    for (const TClassInfo &info : LoadClassTable(classTree))
        connection.exec(QStringLiteral("INSERT INTO %1 (name) VALUES (?)").arg(classTreeTable(connection)), {info.name});
}

} // namespace

QString DataCheckRuleFileName(const ProgramFiles &program)
{
    return program.file(QStringLiteral("checklist.kvchk"));
}

CheckRule CheckRuleOfLine(const QString &line)
{
    return {TextBefore(u'|', line), TextAfter(u'|', line)};
}

std::optional<std::vector<CheckRule>> ReadCheckRules(const QString &fileName)
{
    if (!QFileInfo(fileName).isFile())
        return std::nullopt;
    const std::optional<QStringList> lines = ReadTextLines(fileName);
    if (!lines)
        throw KorventError(Texts::tr("Cannot read the rule file %1").arg(fileName));
    std::vector<CheckRule> rules;
    for (const QString &line : *lines)
        if (!line.trimmed().isEmpty())
            rules.push_back(CheckRuleOfLine(line));
    return rules;
}

QStringList RunDataCheck(db::Connection &connection, const std::vector<CheckRule> &rules, const std::vector<bool> &chosen,
                         const ClassTree &classTree, qint64 mostFindings, WorkProgress &progress)
{
    QStringList report;
    if (std::find(chosen.begin(), chosen.end(), true) == chosen.end())
        return report;
    offerClassTree(connection, classTree);
    const auto dropClassTree = qScopeGuard([&connection] {
        try {
            connection.exec(QStringLiteral("DROP TABLE IF EXISTS ") + classTreeTable(connection));
        } catch (const KorventError &) {
            // a temporary table goes with the connection anyway
        }
    });
    // The findings become report lines as the engine gives them; a check that
    // finds more than anyone reads stops before it fills the memory.
    qint64 findings = 0;
    const qint64 checks = std::count(chosen.begin(), chosen.begin() + static_cast<qsizetype>(std::min(rules.size(), chosen.size())), true);
    qint64 checked = 0;
    for (size_t i = 0; i < rules.size() && i < chosen.size(); ++i) {
        if (!chosen[i])
            continue;
        const CheckRule &rule = rules[i];
        // The operator sees which check takes long.
        progress.step(Texts::tr("Checking \"%1\"").arg(rule.title), checked++, checks);
        progress.stopIfCancelled();
        bool headed = false;
        try {
            db::RunSqlScript(connection, rule.statement, {}, db::SqlAccess::ReadOnly, nullptr,
                             [&](const std::vector<db::SqlColumn> &, QVariantList &&row) {
                                 progress.stopIfCancelled();
                                 if (++findings > mostFindings)
                                     throw KorventError(Texts::tr("more than %1 findings; narrow the check").arg(mostFindings));
                                 if (!headed)
                                     report.append(QStringLiteral("*** ") + rule.title + QStringLiteral(" ***"));
                                 headed = true;
                                 report.append(db::SqlRowLine(row));
                             });
        } catch (const WorkCancelled &) {
            throw;
        } catch (const KorventError &error) {
            throw KorventError(Texts::tr("Check \"%1\": %2").arg(rule.title, error.message()));
        }
    }
    return report;
}

std::vector<bool> ChosenByTitle(const std::vector<CheckRule> &rules, const QStringList &titles)
{
    std::vector<bool> chosen(rules.size(), false);
    for (const QString &title : titles) {
        bool found = false;
        for (size_t i = 0; i < rules.size(); ++i) {
            if (rules[i].title == title) {
                chosen[i] = true;
                found = true;
            }
        }
        if (!found) {
            QStringList known;
            for (const CheckRule &rule : rules)
                known.append(u'"' + rule.title + u'"');
            throw KorventError(Texts::tr("There is no check \"%1\" in the rule file; its checks are %2").arg(title, known.join(QStringLiteral(", "))));
        }
    }
    return chosen;
}
