// Test main of the shell suite: one QApplication for the whole run, font substitutions
// as at start-up, and QSettings redirected to a temporary folder so that no test reads or
// writes the user's real recent-file list.
#include "Fonts.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("RovanaShellTests"));
    QApplication::setApplicationName(QStringLiteral("shell_tests"));

    QTemporaryDir settingsDir;
    if (!settingsDir.isValid())
        return 2;
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        for (QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
            QSettings::setPath(format, scope, settingsDir.path());

    rovana::InstallFontSubstitutions();
    return RUN_ALL_TESTS();
}
