#include "CMainFrame.h"

namespace rovana {

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Orvik 锚杆无损检测仪分析软件"));
}

} // namespace rovana
