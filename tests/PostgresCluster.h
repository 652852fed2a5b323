#pragma once

// A throwaway PostgreSQL server for the tests of one test program: Debian's
// initdb and postgres run in a temporary folder, reached through a Unix socket
// in that folder, no TCP port. initdb refuses to run as root, so a test run as
// root (as in CI) runs the server as the `postgres` user the package creates.
//
// The cluster is made once per build from a template initdb wrote (initdb is
// slow; ctest runs every test in a program of its own), started on first use
// and stopped when the program ends; it dies with the program when that
// crashes. Each test gets a database of its own.

#include "db/DatabaseAddress.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

#include <gtest/gtest.h>

class PostgresCluster
{
public:
    // The cluster of this test program, started on first use; null when the
    // server programs are missing (missingReason says which).
    static PostgresCluster *instance();
    static QString missingReason();

    ~PostgresCluster();

    // A new empty database and its address.
    db::DatabaseAddress newDatabase();
    // Runs SQL as the cluster's superuser on the database `databaseName`.
    void run(const QString &databaseName, const QString &sql);

    // A role that the server lets in only with its password (the others
    // come in without one).
    void addRoleWithPassword(const QString &role, const QString &password);

    // Stops and starts the server again (the database server going away under the program).
    void stop();
    void start();

    QString socketFolder() const { return m_folder->path(); }
    static QString superuser() { return QStringLiteral("korvent"); }

private:
    PostgresCluster();

    std::unique_ptr<QTemporaryDir> m_folder;
    qint64 m_serverPid = 0;
    int m_databases = 0;
};

// Skips the rest of a test when the server programs are missing.
#define SKIP_WITHOUT_POSTGRES()                                                                          \
    do {                                                                                                 \
        if (!PostgresCluster::instance())                                                                \
            GTEST_SKIP() << "PostgreSQL server programs missing: " << PostgresCluster::missingReason().toStdString(); \
    } while (false)
