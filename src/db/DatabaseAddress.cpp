#include "db/DatabaseAddress.h"

#include "base/KorventError.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QUrl>

namespace db {

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Database)
};

const QLatin1String scheme("postgresql://");

} // namespace

DatabaseAddress DatabaseAddress::sqliteFile(const QString &fileName)
{
    DatabaseAddress address;
    address.fileName = fileName;
    return address;
}

DatabaseAddress DatabaseAddress::fromUrl(const QString &text)
{
    const QString trimmed = text.trimmed();
    // USER@HOST[:PORT]/DBNAME, each part without the separators of the others.
    // An IPv6 address as HOST stands in brackets, as in a web address.
    static const QRegularExpression form(QStringLiteral("^postgresql://([^@/:]+)(:[^@/]*)?@(\\[[0-9A-Fa-f:.]+\\]|[^/:\\[\\]]+)(?::([0-9]+))?/([^/?#]+)$"));
    const QRegularExpressionMatch match = form.match(trimmed);
    if (!trimmed.startsWith(scheme, Qt::CaseInsensitive) || !match.hasMatch())
        throw KorventError(Texts::tr("\"%1\" is not a database address: write postgresql://USER@HOST[:PORT]/DBNAME").arg(text));
    if (match.capturedLength(2) > 0) {
        // Named without the password itself: messages end up in logs and on screens.
        const QString withoutPassword = QString(trimmed).replace(match.capturedStart(2), match.capturedLength(2), QStringLiteral(":…"));
        throw KorventError(Texts::tr("The database address \"%1\" holds a password: give it in the environment PGPASSWORD or in ~/.pgpass, "
                                     "never in the event folder").arg(withoutPassword));
    }
    DatabaseAddress address;
    address.engine = Engine::PostgreSQL;
    address.user = QUrl::fromPercentEncoding(match.captured(1).toUtf8());
    address.host = QUrl::fromPercentEncoding(match.captured(3).toUtf8());
    if (address.host.startsWith(u'['))
        address.host = address.host.mid(1, address.host.size() - 2);
    address.databaseName = QUrl::fromPercentEncoding(match.captured(5).toUtf8());
    if (match.capturedLength(4) > 0) {
        bool ok = false;
        address.port = match.captured(4).toInt(&ok);
        if (!ok || address.port < 1 || address.port > 65535)
            throw KorventError(Texts::tr("The database address \"%1\" has no port %2: a port is 1 to 65535").arg(text, match.captured(4)));
    }
    return address;
}

QString DatabaseAddress::url() const
{
    if (engine == Engine::SQLite)
        return fileName;
    const auto part = [](const QString &text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); };
    const QString server = host.contains(u':') ? u'[' + host + u']' : part(host);
    return scheme + part(user) + u'@' + server + (port == 5432 ? QString() : u':' + QString::number(port)) + u'/' + part(databaseName);
}

QString DatabaseAddress::displayName() const
{
    if (engine == Engine::SQLite)
        return fileName;
    return Texts::tr("database %1 on %2 (port %3, user %4)").arg(databaseName, host).arg(port).arg(user);
}

} // namespace db
