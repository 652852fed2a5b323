#pragma once

// A fresh event folder with its database, made before each test.

#include "TestFolder.h"

#include "store/uData.h"

#include <gtest/gtest.h>
#include <memory>

struct EventDatabaseFixture : ::testing::Test
{
    QTemporaryDir dir;
    std::unique_ptr<TdmData> data;

    void SetUp() override { data = std::make_unique<TdmData>(folderOf(dir)); }
};
