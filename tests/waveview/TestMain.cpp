// Test main of the channel view suite: one QApplication for the whole run. The suite is
// headless: without a platform chosen in the environment it takes the offscreen one (CTest
// also runs the binary to list the cases, before the per-case environment applies).
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
