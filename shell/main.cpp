#include "Application.h"
#include "ChineseTranslations.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(rovana::kProfileName);
    QApplication::setOrganizationName(rovana::kRegistryKey);
    // The installed menu entry: window managers take its name and icon for the window.
    QApplication::setDesktopFileName(QStringLiteral("rovana"));
    if (!rovana::InstallChineseTranslations())
        qWarning("Qt's Chinese translations were not found (package qt6-translations-l10n)");

    rovana::Application theApp;
    if (!theApp.InitInstance(QApplication::arguments().mid(1)))
        return 1; // the file on the command line could not be opened
    return QApplication::exec();
}
