#pragma once

// Matching the operator's text in SQL without regard to letter case, for any
// alphabet: SQLite folds only ASCII letters, so the text is turned into a GLOB
// pattern that names both cases of every letter ([mM][äÄ][gG][iI]). The
// pattern is bound as a parameter; GLOB's own wildcards in the text match only
// themselves.

#include <QString>

namespace db {

// A pattern for `field GLOB ?`: the whole field equals the text, or, with
// anywhere, the field contains it.
QString CaseInsensitiveGlob(const QString &text, bool anywhere);

} // namespace db
