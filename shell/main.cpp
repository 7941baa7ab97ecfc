#include "CMainFrame.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    rovana::CMainFrame frame;
    frame.showMaximized();
    return app.exec();
}
