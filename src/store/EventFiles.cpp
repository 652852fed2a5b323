#include "store/EventFiles.h"

#include "base/GuardedFiles.h"
#include "base/KorventError.h"
#include "store/ClassTable.h"
#include "store/EventSettings.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// SQLite takes a file at one of the database's names for its own even before
// it exists (a "-journal" it finds is rolled back and removed), so those names
// are refused in the event folder whether or not a file is there, also when
// `target` is a link to one of them.
bool namesDatabaseFile(const QString &eventDirectory, const QString &target)
{
    const QStringList names = GuardedFiles::databaseFiles(QFileInfo(TdmData::databaseFileName(eventDirectory)).fileName());
    QFileInfo file(QDir::cleanPath(QFileInfo(target).absoluteFilePath()));
    for (int links = 0; links < 40; ++links) {
        if (names.contains(file.fileName()) && GuardedFiles::sameFile(file.absolutePath(), eventDirectory))
            return true;
        if (!file.isSymLink())
            return false;
        file = QFileInfo(QDir::cleanPath(QFileInfo(file.absolutePath(), file.symLinkTarget()).absoluteFilePath()));
    }
    return false;
}

} // namespace

void RefuseEventFileAsTarget(const QString &eventDirectory, const QString &target)
{
    const auto refuse = [&target](const char *reason) {
        throw KorventError(QCoreApplication::translate("EventFiles", "Cannot write %1: %2")
                               .arg(target, QCoreApplication::translate("EventFiles", reason)));
    };
    if (!GuardedFiles::sameFileAmong(target, GuardedFiles::databaseFiles(TdmData::databaseFileName(eventDirectory))).isEmpty()
        || namesDatabaseFile(eventDirectory, target))
        refuse("it is the event's database");
    if (GuardedFiles::sameFile(target, EventSettings::fileName(eventDirectory)))
        refuse("it is the event's settings file");
    if (GuardedFiles::sameFile(target, ClassTreeFileName(eventDirectory)))
        refuse("it is the event's class list");
    GuardedFiles::refuse(target, GuardedFiles::Access::Write);
}
