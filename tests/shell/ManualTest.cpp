// The user manual: its resource loads, it names every command of the File and View menus
// and of a channel view's context menu as the program spells it, and the window shows it.
#include "ManualWindow.h"
#include "ViewCommands.h"

#include "ShellTestSupport.h"

#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextDocument>

namespace rovana::test {
namespace {

// A menu text as the manual writes it: without the accelerator "(&F)", the shortcut after
// the tab, "..." and the spaces that pad short texts ("时    域", "自 由 端").
QString Plain(QString text)
{
    text = text.section(QLatin1Char('\t'), 0, 0);
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    text.remove(QLatin1Char('&'));
    text.remove(QStringLiteral("..."));
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

QString ManualText()
{
    QTextDocument document;
    document.setHtml(ManualHtml());
    return Plain(document.toPlainText());
}

class ManualTest : public FrameTest
{};

TEST_F(ManualTest, TheManualNamesEveryMenuCommandItDocuments)
{
    const QString manual = ManualText();
    ASSERT_GT(manual.size(), 2000);
    QStringList commands;
    for (QAction* menu : frame->menuBar()->actions()) {
        const QString title = Plain(menu->text());
        if (title == QStringLiteral("帮助"))
            continue; // the manual is reached from there
        commands << title;
        for (QAction* a : menu->menu()->actions()) {
            const QString text = Plain(a->text());
            // Recent files ("&1 /site/MG0001.mg") are no commands.
            if (!a->isSeparator() && a->isVisible() && !text.isEmpty() && !text[0].isDigit())
                commands << text;
        }
    }
    for (const ChannelMenuItem& item : kChannelMenu)
        if (item.id != 0)
            commands << Plain(QString::fromUtf8(item.text));
    ASSERT_GT(commands.size(), 20);
    QStringList missing;
    for (const QString& c : commands)
        if (!c.isEmpty() && !manual.contains(c))
            missing << c;
    EXPECT_TRUE(missing.isEmpty()) << missing.join(QLatin1Char(' ')).toStdString();

    // The field's words and the command line.
    for (const char* word : {"端部", "自由端", "底部", "缺陷", "密实度", "锚固质量等级", "IV类",
                             "rovana-clisummary", "rovana-clisheet", "rovana-clipick"})
        EXPECT_TRUE(manual.contains(QString::fromUtf8(word))) << word;
}

TEST_F(ManualTest, ShowManualOpensOneWindowWithTheManual)
{
    ShowManual(frame.get());
    ShowManual(frame.get());
    const auto browsers = frame->findChildren<QTextBrowser*>();
    ASSERT_EQ(browsers.size(), 1);
    EXPECT_EQ(browsers.front()->window()->windowTitle(), QStringLiteral("使用说明"));
    EXPECT_TRUE(Plain(browsers.front()->toPlainText()).contains(QStringLiteral("检测结果汇总")));
}

} // namespace
} // namespace rovana::test
