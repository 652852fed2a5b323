#pragma once

// A fresh event folder with its database, made before each test: its own
// SQLite file, or, for a fixture run on each engine (OnEachEngine), a new
// database on the tests' PostgreSQL server the folder is bound to.

#include "PostgresCluster.h"
#include "TestFolder.h"

#include "store/DatabaseBinding.h"
#include "store/uData.h"

#include <gtest/gtest.h>
#include <memory>

struct EventDatabaseFixture : ::testing::Test
{
    QTemporaryDir dir;
    std::unique_ptr<TdmData> data;

    virtual db::Engine engine() const { return db::Engine::SQLite; }

    void SetUp() override
    {
        if (engine() == db::Engine::PostgreSQL) {
            SKIP_WITHOUT_POSTGRES();
            BindEventToServer(folderOf(dir), PostgresCluster::instance()->newDatabase());
        }
        data = std::make_unique<TdmData>(folderOf(dir));
    }
};

// The tests of `Fixture` on each engine: TEST_P(OnEachEngine<Fixture>...) through
// a name, instantiated with EVENT_TESTS_ON_EACH_ENGINE.
template <class Fixture>
struct OnEachEngine : Fixture, ::testing::WithParamInterface<db::Engine>
{
    db::Engine engine() const override { return this->GetParam(); }
};

inline std::string EngineName(const ::testing::TestParamInfo<db::Engine> &info)
{
    return info.param == db::Engine::SQLite ? "SQLite" : "PostgreSQL";
}

#define EVENT_TESTS_ON_EACH_ENGINE(Suite) \
    INSTANTIATE_TEST_SUITE_P(Engines, Suite, ::testing::Values(db::Engine::SQLite, db::Engine::PostgreSQL), EngineName)
