#include "base/Platform.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Database driver plugins are found through the application object;
    // route maps with captions need the font system of a GUI application.
    Platform::useOffscreenPlatform();
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
