#pragma once

// Matching the operator's text in SQL without regard to letter case, for any
// alphabet: SQLite folds only ASCII letters and a server folds by its own
// locale, so the text is turned into a pattern that names both cases of every
// letter ([mM][äÄ][gG][iI]): a GLOB pattern on SQLite, a regular expression on
// PostgreSQL. The pattern is bound as a parameter; the pattern language's own
// wildcards in the text match only themselves.

#include "db/DatabaseAddress.h"

#include <QString>

namespace db {

// A pattern for `field GLOB ?`: the whole field equals the text, or, with
// anywhere, the field contains it.
QString CaseInsensitiveGlob(const QString &text, bool anywhere);

// The condition on `quotedField` with one parameter, and the value to bind to it.
struct TextCondition
{
    QString sql;
    QString pattern;
};
TextCondition CaseInsensitiveMatch(Engine engine, const QString &quotedField, const QString &text, bool anywhere);

} // namespace db
