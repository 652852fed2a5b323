#include "output/ReportDirectory.h"

#include "base/GuardedFiles.h"
#include "base/KorventError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

void PrepareReportDirectory(const ProgramFiles &program, const QString &directory)
{
    if (QDir(directory).exists())
        return;
    if (!QDir().mkpath(directory))
        throw KorventError(QCoreApplication::translate("Reports", "Cannot create the folder %1").arg(directory));
    const QString target = directory.endsWith(u'/') ? directory : directory + u'/';
    for (const char *sheet : {"style.css", "style_p.css"}) {
        const QString name = QString::fromLatin1(sheet);
        const QString source = program.file(name);
        GuardedFiles::refuse(source, GuardedFiles::Access::Read);
        // QFile::copy never overwrites an existing target.
        QFile::copy(source, target + name);
    }
}
