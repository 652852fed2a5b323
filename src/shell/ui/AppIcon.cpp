#include "shell/ui/AppIcon.h"

#include <QDirIterator>

QIcon ProgramIcon()
{
    QIcon icon;
    for (QDirIterator file(QStringLiteral(":/icons"), QDir::Files, QDirIterator::Subdirectories); file.hasNext();)
        icon.addFile(file.next());
    return icon;
}

QPixmap ProgramPixmap(int size)
{
    return ProgramIcon().pixmap(size);
}
