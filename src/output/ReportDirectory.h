#pragma once

#include "base/ProgramFiles.h"

#include <QString>

// Creates a report folder that does not exist yet and gives it copies of the
// program's style sheets (style.css and style_p.css, the user's own first). An
// existing folder is left alone; a copy that fails leaves the pages unstyled.
// Raises KorventError when the folder cannot be created.
void PrepareReportDirectory(const ProgramFiles &program, const QString &directory);
