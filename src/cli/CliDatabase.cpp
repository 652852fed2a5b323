#include "cli/CliCommands.h"

#include "base/KorventError.h"
#include "db/Connection.h"
#include "store/DatabaseBinding.h"
#include "store/EventCopy.h"
#include "store/uData.h"

int CliDbCommand(const EventLocation &location, QTextStream &out, const QStringList &arguments)
{
    const QString &folder = location.eventDirectory;
    if (arguments.size() == 2 && arguments.at(0) == QLatin1String("use")) {
        if (arguments.at(1) == QLatin1String("sqlite"))
            BindEventToOwnFile(folder);
        else
            BindEventToServer(folder, db::DatabaseAddress::fromUrl(arguments.at(1)));
        out << cli::Texts::tr("The event uses the %1").arg(EventDatabaseAddress(folder).engine == db::Engine::SQLite
                                                                       ? cli::Texts::tr("database file %1").arg(TdmData::databaseFileName(folder))
                                                                       : EventDatabaseAddress(folder).displayName())
                    << '\n';
        return 0;
    }
    if (arguments.size() == 2 && (arguments.at(0) == QLatin1String("copy-to") || arguments.at(0) == QLatin1String("copy-from"))) {
        const db::DatabaseAddress ownFile = db::DatabaseAddress::sqliteFile(TdmData::databaseFileName(folder));
        const db::DatabaseAddress server = db::DatabaseAddress::fromUrl(arguments.at(1));
        const bool toServer = arguments.at(0) == QLatin1String("copy-to");
        const qint64 rows = toServer ? CopyEventDatabase(folder, ownFile, server) : CopyEventDatabase(folder, server, ownFile);
        out << cli::Texts::tr("%1 rows copied from the %2 to the %3")
                           .arg(rows)
                           .arg(toServer ? cli::Texts::tr("database file %1").arg(ownFile.fileName) : server.displayName(),
                                toServer ? server.displayName() : cli::Texts::tr("database file %1").arg(ownFile.fileName))
                    << '\n';
        return 0;
    }
    throw KorventError(cli::Texts::tr("db takes: use postgresql://USER@HOST[:PORT]/DBNAME | use sqlite | copy-to postgresql://... | "
                                      "copy-from postgresql://...; got \"%1\"").arg(arguments.join(u' ')));
}
