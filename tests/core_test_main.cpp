#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Database driver plugins are found through the application object.
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
