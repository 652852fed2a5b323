#include "base/Platform.h"

#include <QGuiApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Database driver plugins are found through the application object;
    // route maps with captions need the font system of a GUI application.
    Platform::useOffscreenPlatform();
    // Whatever Qt keeps for the user goes to a test location, never into the user's.
    QStandardPaths::setTestModeEnabled(true);
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
