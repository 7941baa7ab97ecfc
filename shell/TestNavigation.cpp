// Moving through a site: 下一个测试 / 上一个测试 (Page Down / Page Up) and the keyboard
// of the file tree, every load through the tree entrance.
#include "MainWindow.h"

#include "CommandIds.h"
#include "FileTree.h"

#include <QAction>
#include <QMenu>

namespace rovana {

void MainWindow::CreateTestNavigation()
{
    QAction* next = AddAction(ID_VIEW_NEXT_TEST, QStringLiteral("下一个测试\tPage Down"));
    next->setShortcut(QKeySequence(Qt::Key_PageDown));
    next->setStatusTip(QStringLiteral("打开文件夹中的下一个测试"));
    connect(next, &QAction::triggered, this, [this] { OnNextTest(true); });
    QAction* previous = AddAction(ID_VIEW_PREV_TEST, QStringLiteral("上一个测试\tPage Up"));
    previous->setShortcut(QKeySequence(Qt::Key_PageUp));
    previous->setStatusTip(QStringLiteral("打开文件夹中的上一个测试"));
    connect(previous, &QAction::triggered, this, [this] { OnNextTest(false); });

    // At the end of the View menu, the menu that holds 信号处理.
    for (QObject* holder : Action(ID_VIEW_PROCESSING)->associatedObjects()) {
        if (auto* menu = qobject_cast<QMenu*>(holder)) {
            menu->addSeparator();
            menu->addAction(next);
            menu->addAction(previous);
            break;
        }
    }

    connect(m_pFileTree, &FileTree::FileChosen, this, &MainWindow::LoadFromTree);
}

void MainWindow::OnNextTest(bool forward)
{
    QTreeWidgetItem* item = m_pFileTree->NeighbourTest(forward);
    if (!item)
        return; // the first or the last test, or an empty tree
    // The tree shows where the walk stands even when the file is refused, so that the next
    // step goes past it; 取消 of the unsaved-changes question puts it back on the test on
    // screen.
    m_pFileTree->setCurrentItem(item);
    m_pFileTree->scrollToItem(item);
    LoadFromTree(FileTree::ItemPath(item));
}

} // namespace rovana
