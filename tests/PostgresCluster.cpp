#include "PostgresCluster.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVersionNumber>

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// The folder of Debian's server programs (initdb and postgres), newest version first.
QString serverProgramFolder()
{
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString &a, const QString &b) {
        return QVersionNumber::fromString(a) > QVersionNumber::fromString(b);
    });
    for (const QString &version : versions) {
        const QString folder = QStringLiteral("/usr/lib/postgresql/%1/bin/").arg(version);
        if (QFile::exists(folder + QStringLiteral("initdb")) && QFile::exists(folder + QStringLiteral("postgres")))
            return folder;
    }
    return {};
}

// The server's user when the tests run as root (initdb refuses root).
const passwd *serverUser()
{
    return geteuid() == 0 ? getpwnam("postgres") : nullptr;
}

void giveToServerUser(const QString &path)
{
    if (const passwd *user = serverUser())
        if (chown(QFile::encodeName(path).constData(), user->pw_uid, user->pw_gid) != 0)
            throw std::runtime_error("cannot give " + path.toStdString() + " to the postgres user");
}

// Starts a program, as the server's user when `asServer`, with its output in `logFile`;
// it gets SIGQUIT (the server's immediate stop) when this program ends.
pid_t spawn(const QString &program, const QStringList &arguments, const QString &logFile, bool asServer)
{
    std::vector<QByteArray> texts{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        texts.push_back(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    const QByteArray log = QFile::encodeName(logFile);
    const passwd *user = asServer ? serverUser() : nullptr;
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    const int out = open(log.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out >= 0) {
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
    }
    if (user && (setgid(user->pw_gid) != 0 || setuid(user->pw_uid) != 0))
        _exit(126);
    // Set after the change of user, which clears it.
    prctl(PR_SET_PDEATHSIG, SIGQUIT);
    execv(argv[0], argv.data());
    _exit(127);
}

void runToEnd(const QString &program, const QStringList &arguments, const QString &logFile, bool asServer)
{
    const pid_t pid = spawn(program, arguments, logFile, asServer);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(program.toStdString() + " failed; see " + logFile.toStdString());
}

// A cluster initdb wrote once for this build, copied for each test program.
QString templateCluster(const QString &programs)
{
    const QString version = QDir(programs + QStringLiteral("..")).canonicalPath().section(u'/', -1);
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/postgres-template-") + version;
    QLockFile lock(folder + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    lock.lock();
    if (QFile::exists(folder + QStringLiteral("/PG_VERSION")))
        return folder;
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/korvent-initdb-XXXXXX"));
    giveToServerUser(work.path());
    runToEnd(programs + QStringLiteral("initdb"),
             {QStringLiteral("-D"), work.path() + QStringLiteral("/data"), QStringLiteral("-U"), PostgresCluster::superuser(),
              QStringLiteral("--auth=trust"), QStringLiteral("--no-sync"), QStringLiteral("--encoding=UTF8"), QStringLiteral("--locale=C.UTF-8")},
             work.path() + QStringLiteral("/initdb.log"), true);
    QDir(folder).removeRecursively();
    runToEnd(QStringLiteral("/bin/cp"), {QStringLiteral("-a"), work.path() + QStringLiteral("/data"), folder}, work.path() + QStringLiteral("/cp.log"), false);
    return folder;
}

QString clusterFailure;

} // namespace

PostgresCluster *PostgresCluster::instance()
{
    static std::unique_ptr<PostgresCluster> cluster = []() -> std::unique_ptr<PostgresCluster> {
        if (serverProgramFolder().isEmpty()) {
            clusterFailure = QStringLiteral("no initdb and postgres under /usr/lib/postgresql (Debian package postgresql)");
            return nullptr;
        }
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
            clusterFailure = QStringLiteral("no Qt driver QPSQL (Debian package libqt6sql6-psql)");
            return nullptr;
        }
        if (geteuid() == 0 && !serverUser()) {
            clusterFailure = QStringLiteral("running as root without the postgres user the server package creates");
            return nullptr;
        }
        return std::unique_ptr<PostgresCluster>(new PostgresCluster());
    }();
    return cluster.get();
}

QString PostgresCluster::missingReason()
{
    return clusterFailure;
}

PostgresCluster::PostgresCluster()
    : m_folder(std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/korvent-pg-XXXXXX")))
{
    const QString programs = serverProgramFolder();
    const QString data = m_folder->path() + QStringLiteral("/data");
    runToEnd(QStringLiteral("/bin/cp"), {QStringLiteral("-a"), templateCluster(programs), data}, m_folder->path() + QStringLiteral("/cp.log"), false);
    giveToServerUser(m_folder->path());
    start();
}

PostgresCluster::~PostgresCluster()
{
    stop();
}

void PostgresCluster::start()
{
    const QString data = m_folder->path() + QStringLiteral("/data");
    QFile::remove(data + QStringLiteral("/postmaster.pid"));
    // Speed over safety: the cluster is thrown away with the tests.
    m_serverPid = spawn(serverProgramFolder() + QStringLiteral("postgres"),
                        {QStringLiteral("-D"), data, QStringLiteral("-k"), m_folder->path(), QStringLiteral("-c"), QStringLiteral("listen_addresses="),
                         QStringLiteral("-c"), QStringLiteral("fsync=off"), QStringLiteral("-c"), QStringLiteral("full_page_writes=off"),
                         QStringLiteral("-c"), QStringLiteral("synchronous_commit=off"), QStringLiteral("-c"), QStringLiteral("max_connections=200")},
                        m_folder->path() + QStringLiteral("/server.log"), true);
    // The server writes "ready" into its pid file once it takes connections.
    for (int waited = 0; waited < 30'000; waited += 20) {
        QFile pidFile(data + QStringLiteral("/postmaster.pid"));
        if (pidFile.open(QIODevice::ReadOnly) && pidFile.readAll().split('\n').value(7).trimmed() == "ready")
            return;
        if (waitpid(static_cast<pid_t>(m_serverPid), nullptr, WNOHANG) == m_serverPid)
            break;
        QThread::msleep(20);
    }
    throw std::runtime_error("the test database server did not start; see " + m_folder->path().toStdString() + "/server.log");
}

void PostgresCluster::stop()
{
    if (m_serverPid <= 0)
        return;
    // A fast stop: sessions are ended, what was committed stays.
    kill(static_cast<pid_t>(m_serverPid), SIGINT);
    waitpid(static_cast<pid_t>(m_serverPid), nullptr, 0);
    m_serverPid = 0;
}

void PostgresCluster::addRoleWithPassword(const QString &role, const QString &password)
{
    run(QStringLiteral("postgres"), QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(role, password));
    // The first line that matches decides: this one before the cluster's "trust" for all.
    QFile rules(m_folder->path() + QStringLiteral("/data/pg_hba.conf"));
    if (!rules.open(QIODevice::ReadWrite))
        throw std::runtime_error("test cluster: cannot change " + rules.fileName().toStdString());
    const QByteArray rest = rules.readAll();
    rules.seek(0);
    rules.write("local all " + role.toUtf8() + " scram-sha-256\n" + rest);
    rules.close();
    run(QStringLiteral("postgres"), QStringLiteral("SELECT pg_reload_conf()"));
}

void PostgresCluster::run(const QString &databaseName, const QString &sql)
{
    const QString name = QStringLiteral("korvent-test-cluster");
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        database.setHostName(m_folder->path());
        database.setUserName(superuser());
        database.setDatabaseName(databaseName);
        if (!database.open())
            throw std::runtime_error("test cluster: " + database.lastError().text().toStdString());
        QSqlQuery query(database);
        if (!query.exec(sql))
            throw std::runtime_error("test cluster: " + query.lastError().text().toStdString());
    }
    QSqlDatabase::removeDatabase(name);
}

db::DatabaseAddress PostgresCluster::newDatabase()
{
    const QString name = QStringLiteral("event%1").arg(++m_databases);
    run(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE ") + name);
    db::DatabaseAddress address;
    address.engine = db::Engine::PostgreSQL;
    address.host = m_folder->path();
    address.user = superuser();
    address.databaseName = name;
    return address;
}
