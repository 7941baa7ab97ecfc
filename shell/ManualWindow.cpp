#include "ManualWindow.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QWidget>

namespace rovana {

namespace {

const char kManualObjectName[] = "manualWindow";

} // namespace

QString ManualHtml()
{
    QFile file(QStringLiteral(":/manual/manual.html"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void ShowManual(QWidget* parent)
{
    if (parent)
        if (auto* open = parent->findChild<QWidget*>(QLatin1String(kManualObjectName),
                                                     Qt::FindDirectChildrenOnly)) {
            open->show();
            open->raise();
            open->activateWindow();
            return;
        }
    auto* window = new QWidget(parent, Qt::Window);
    window->setObjectName(QLatin1String(kManualObjectName));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("使用说明"));
    auto* browser = new QTextBrowser(window);
    browser->setOpenLinks(true);
    browser->setOpenExternalLinks(false);
    const QString html = ManualHtml();
    if (html.isEmpty())
        browser->setPlainText(QStringLiteral("未找到使用说明。"));
    else
        browser->setHtml(html);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    window->resize(760, 640);
    window->show();
}

} // namespace rovana
