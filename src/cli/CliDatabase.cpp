#include "cli/CliCommands.h"

#include "base/KorventError.h"
#include "db/Connection.h"
#include "store/DatabaseBinding.h"
#include "store/uData.h"

int CliDbCommand(CliContext &context, const QStringList &arguments)
{
    const QString &folder = context.location.eventDirectory;
    if (arguments.size() == 2 && arguments.at(0) == QLatin1String("use")) {
        if (arguments.at(1) == QLatin1String("sqlite"))
            BindEventToOwnFile(folder);
        else
            BindEventToServer(folder, db::DatabaseAddress::fromUrl(arguments.at(1)));
        context.out << cli::Texts::tr("The event uses the %1").arg(EventDatabaseAddress(folder).engine == db::Engine::SQLite
                                                                       ? cli::Texts::tr("database file %1").arg(TdmData::databaseFileName(folder))
                                                                       : EventDatabaseAddress(folder).displayName())
                    << '\n';
        return 0;
    }
    throw KorventError(cli::Texts::tr("db takes: use postgresql://USER@HOST[:PORT]/DBNAME | use sqlite; got \"%1\"").arg(arguments.join(u' ')));
}
