#include "FileTree.h"

#include "NativePath.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QToolTip>

namespace rovana {

FileTree::FileTree(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(true); // buttons and lines at the root
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTextElideMode(Qt::ElideMiddle); // long names keep their start and their number

    // The icon resources are not described; the style's file and folder icons stand in.
    QStyle* s = style();
    m_FileIcon = s->standardIcon(QStyle::SP_FileIcon);
    m_FileIcon.addPixmap(s->standardIcon(QStyle::SP_FileLinkIcon).pixmap(16, 16), QIcon::Selected);
    m_RootIcon = s->standardIcon(QStyle::SP_DirIcon);
}

QString FileTree::RootLabel(const QString& folder)
{
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return {};
    return folder.mid(slash + 1);
}

QTreeWidgetItem* FileTree::RootItem() const
{
    return topLevelItemCount() > 0 ? topLevelItem(0) : nullptr;
}

QString FileTree::ItemPath(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kPathRole).toString() : QString();
}

void FileTree::RefreshTree()
{
    clear(); // deletes every item together with its data
    if (m_strFolder.isEmpty())
        return;

    auto* root = new QTreeWidgetItem(QStringList{RootLabel(m_strFolder)});
    root->setIcon(0, m_RootIcon);
    addTopLevelItem(root);

    // Only regular files (and links to them) whose names end in ".mg" in any case, sorted
    // by name: the file system's enumeration order is unspecified. A FIFO or a device is
    // left out, so a click can never block in open. Names in code page 936 are shown
    // decoded; the stored path maps back to their bytes on disk.
    for (const FolderEntry& file : ListTestFiles(m_strFolder)) {
        auto* item = new QTreeWidgetItem(root, QStringList{file.name});
        item->setIcon(0, m_FileIcon);
        root->setExpanded(true);
        item->setData(0, kPathRole, file.path);
        item->setData(0, kFlagRole, 1);
    }
}

void FileTree::MarkOpenFile(const QString& path)
{
    m_strOpenPath = path;
    const QTreeWidgetItem* root = RootItem();
    QTreeWidgetItem* open = nullptr;
    for (int i = 0; root && i < root->childCount(); ++i) {
        QTreeWidgetItem* item = root->child(i);
        const bool isOpen = ItemPath(item) == path;
        QFont font = item->font(0);
        font.setBold(isOpen);
        item->setFont(0, font);
        if (isOpen)
            open = item;
    }
    if (open)
        setCurrentItem(open);
    else
        clearSelection();
}

QTreeWidgetItem* FileTree::OpenFileItem() const
{
    const QTreeWidgetItem* root = RootItem();
    for (int i = 0; root && i < root->childCount(); ++i)
        if (ItemPath(root->child(i)) == m_strOpenPath)
            return root->child(i);
    return nullptr;
}

bool FileTree::viewportEvent(QEvent* event)
{
    // The full name of an item as its tooltip: the tree elides long names in the middle.
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const QTreeWidgetItem* item = itemAt(help->pos())) {
            QToolTip::showText(help->globalPos(), item->text(0), viewport());
            return true;
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}

void FileTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    m_bSwallowRelease = true; // its first click loaded the file already
}

void FileTree::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    if (m_bSwallowRelease) {
        m_bSwallowRelease = false;
        return;
    }
    const QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (!item || !item->parent())
        return; // nothing hit, or the root
    emit FileClicked(ItemPath(item));
}

} // namespace rovana
