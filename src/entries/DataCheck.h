#pragma once

// The entry data check: organisers keep their checks as SQL queries in a rule
// file, one "title|SELECT ..." line each; every row a chosen query returns is
// a finding, listed under the check's title.
//
// The queries see the event tables and, as the temporary table `classtree`
// (one `name` per class), the classes of the class tree, which lives in a
// file of its own and not in the database.

#include "base/ProgramFiles.h"
#include "base/WorkProgress.h"
#include "store/ClassTable.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace db {
class Connection;
}

struct CheckRule
{
    QString title;     // the text before the first "|"; empty when there is none
    QString statement; // the text after it; the whole line when there is none
};

// The program's checklist.kvchk (the user's own first): the rule file offered first.
QString DataCheckRuleFileName(const ProgramFiles &program);

CheckRule CheckRuleOfLine(const QString &line);
// The rules of the file in file order (blank lines hold none); nullopt when
// the file does not exist.
std::optional<std::vector<CheckRule>> ReadCheckRules(const QString &fileName);

// Runs the rules chosen (chosen[i] for rules[i]) in file order. For each one
// that finds rows: "*** title ***", then a line per row with every column's
// text followed by ";" (db::SqlRowLine). Empty when nothing is found. A
// statement the engine rejects, or one that would change data, raises
// KorventError naming the check; nothing is changed. So do more than
// mostFindings rows in all: such a report would only fill the memory.
// Progress counts the chosen checks; Cancel, looked at between checks and
// between the rows a check finds, raises WorkCancelled.
inline constexpr qint64 DataCheckMostFindings = 1'000'000;
QStringList RunDataCheck(db::Connection &connection, const std::vector<CheckRule> &rules, const std::vector<bool> &chosen,
                         const ClassTree &classTree, qint64 mostFindings = DataCheckMostFindings, WorkProgress &progress = NoProgress());

// The rules named by title, in file order; a title no rule has raises
// KorventError naming it and the titles there are.
std::vector<bool> ChosenByTitle(const std::vector<CheckRule> &rules, const QStringList &titles);
