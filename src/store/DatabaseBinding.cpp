#include "store/DatabaseBinding.h"

#include "base/KorventError.h"
#include "base/TextFile.h"
#include "db/Connection.h"
#include "store/EventSchema.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QFile>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(DatabaseBinding)
};

} // namespace

QString DatabaseBindingFileName(const QString &eventDirectory)
{
    return eventDirectory + QStringLiteral("database.txt");
}

db::DatabaseAddress EventDatabaseAddress(const QString &eventDirectory)
{
    const QString fileName = DatabaseBindingFileName(eventDirectory);
    if (!QFile::exists(fileName))
        return db::DatabaseAddress::sqliteFile(TdmData::databaseFileName(eventDirectory));
    const std::optional<QStringList> lines = ReadTextLines(fileName);
    if (!lines)
        throw KorventError(Texts::tr("Cannot read the database address in %1").arg(fileName));
    for (const QString &line : *lines)
        if (!line.trimmed().isEmpty()) {
            try {
                return db::DatabaseAddress::fromUrl(line);
            } catch (const KorventError &error) {
                throw KorventError(fileName + QStringLiteral(": ") + error.message());
            }
        }
    throw KorventError(Texts::tr("%1 holds no database address: bind the event again with \"db use\"").arg(fileName));
}

void BindEventToServer(const QString &eventDirectory, const db::DatabaseAddress &address)
{
    CheckEventServer(address);
    BindEventToCheckedServer(eventDirectory, address);
}

void BindEventToCheckedServer(const QString &eventDirectory, const db::DatabaseAddress &address)
{
    WriteTextLines(DatabaseBindingFileName(eventDirectory), {address.url()});
}

void CheckEventServer(const db::DatabaseAddress &address)
{
    if (address.engine != db::Engine::PostgreSQL)
        throw KorventError(Texts::tr("An event is bound to a database server, not to a file"));
    const db::Connection check(address, EventDatabaseTables(), EventSchemaVersion);
}

void BindEventToOwnFile(const QString &eventDirectory)
{
    const QString fileName = DatabaseBindingFileName(eventDirectory);
    if (QFile::exists(fileName) && !QFile::remove(fileName))
        throw KorventError(Texts::tr("Cannot remove %1: the event stays bound to its server").arg(fileName));
}
