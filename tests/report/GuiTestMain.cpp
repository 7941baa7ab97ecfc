// Test main for suites that draw on paint devices without widgets: one QGuiApplication
// (fonts, PDF writer) for the whole run.
#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
