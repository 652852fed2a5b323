#pragma once

#include <QString>

// Creates a report folder that does not exist yet and gives it copies of the
// program's style sheets (common/style.css and common/style_p.css). An
// existing folder is left alone; a copy that fails leaves the pages unstyled.
// Raises KorventError when the folder cannot be created.
void PrepareReportDirectory(const QString &programDirectory, const QString &directory);
