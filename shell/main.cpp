#include "CRovanaApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(rovana::kProfileName);
    QApplication::setOrganizationName(rovana::kRegistryKey);

    rovana::CRovanaApp theApp;
    if (!theApp.InitInstance(QApplication::arguments().mid(1)))
        return 1; // the file on the command line could not be opened
    return QApplication::exec();
}
