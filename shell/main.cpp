#include "Application.h"
#include "ChineseTranslations.h"

#include <QApplication>

#include <csignal>

int main(int argc, char** argv)
{
    // A write past a file-size limit must fail and be reported, with the old file kept,
    // instead of ending the program in the middle of a save.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(rovana::kProfileName);
    QApplication::setOrganizationName(rovana::kOrganisation);
    // The installed menu entry: window managers take its name and icon for the window.
    QApplication::setDesktopFileName(QStringLiteral("rovana"));
    if (!rovana::InstallChineseTranslations())
        qWarning("Qt's Chinese translations were not found (package qt6-translations-l10n)");

    rovana::Application theApp;
    if (!theApp.InitInstance(QApplication::arguments().mid(1)))
        return 1; // the file on the command line could not be opened
    return QApplication::exec();
}
