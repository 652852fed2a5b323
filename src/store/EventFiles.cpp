#include "store/EventFiles.h"

#include "base/GuardedFiles.h"
#include "base/KorventError.h"
#include "store/ClassTable.h"
#include "store/EventSettings.h"
#include "store/uData.h"

#include <QCoreApplication>

void RefuseEventFileAsTarget(const QString &eventDirectory, const QString &target)
{
    const auto refuse = [&target](const char *reason) {
        throw KorventError(QCoreApplication::translate("EventFiles", "Cannot write %1: %2")
                               .arg(target, QCoreApplication::translate("EventFiles", reason)));
    };
    if (!GuardedFiles::sameFileAmong(target, GuardedFiles::databaseFiles(TdmData::databaseFileName(eventDirectory))).isEmpty())
        refuse("it is the event's database");
    if (GuardedFiles::sameFile(target, EventSettings::fileName(eventDirectory)))
        refuse("it is the event's settings file");
    if (GuardedFiles::sameFile(target, ClassTreeFileName(eventDirectory)))
        refuse("it is the event's class list");
    GuardedFiles::refuse(target, GuardedFiles::Access::Write);
}
