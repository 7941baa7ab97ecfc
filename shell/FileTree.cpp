#include "FileTree.h"

#include "FolderLister.h"
#include "NativePath.h"

#include <QFileSystemWatcher>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace rovana {
namespace {

// Items added per turn of the event loop while a listing fills the tree.
constexpr qsizetype kFillBatch = 2000;
// How often the items made meanwhile are added to the tree while it fills.
constexpr qint64 kAttachEveryMs = 100;
// Changes of a listing applied in place; more fill the tree afresh.
constexpr qsizetype kInPlaceChanges = 200;
// How long the folder must stay unchanged before it is listed again: a copy of many
// files is listed once, not once per file.
constexpr int kSettleMs = 150;

} // namespace

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
    // One row height for all: the view lays out 100,000 items without measuring each.
    setUniformRowHeights(true);

    m_pLister = new FolderLister([this](FolderListing l) { TakeListing(std::move(l)); }, this);
    m_pWatcher = new QFileSystemWatcher(this);
    m_Relist.setSingleShot(true);
    m_Relist.setInterval(kSettleMs);
    connect(m_pWatcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_Relist.start(); });
    connect(&m_Relist, &QTimer::timeout, this, [this] { ShowFolder(m_strFolder); });
    m_Fill.setSingleShot(true);
    m_Fill.setInterval(0);
    connect(&m_Fill, &QTimer::timeout, this, &FileTree::FillBatch);
}

FileTree::~FileTree() = default;

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

void FileTree::StartTree()
{
    m_pLister->Cancel();
    m_Fill.stop();
    m_Relist.stop();
    m_Pending.clear();
    m_nPendingAt = 0;
    qDeleteAll(m_Unattached);
    m_Unattached.clear();
    m_Attached.invalidate();
    m_bChangedMeanwhile = false;
    m_strKeepCurrent.clear();
    m_Items.clear();
    clear(); // deletes every item together with its data
    Watch();
    if (m_strFolder.isEmpty())
        return;
    auto* root = new QTreeWidgetItem(QStringList{RootLabel(m_strFolder)});
    root->setIcon(0, m_RootIcon);
    addTopLevelItem(root);
    root->setExpanded(true);
}

void FileTree::Watch()
{
    if (const QStringList watched = m_pWatcher->directories(); !watched.isEmpty())
        m_pWatcher->removePaths(watched);
    // A folder whose name is not UTF-8 cannot be watched; its tree follows each Open.
    if (!m_strFolder.isEmpty())
        m_pWatcher->addPath(m_strFolder);
}

void FileTree::RefreshTree()
{
    StartTree();
    if (m_strFolder.isEmpty())
        return;
    // Only regular files (and links to them) whose names end in ".mg" in any case, sorted
    // by name: the file system's enumeration order is unspecified. A FIFO or a device is
    // left out, so a click can never block in open. Names in code page 936 are shown
    // decoded; the stored path maps back to their bytes on disk.
    Apply(ListTestFiles(m_strFolder), {});
    emit Listed();
}

void FileTree::ShowFolder(const QString& folder)
{
    if (folder.isEmpty() || folder != m_strFolder || !RootItem()) {
        m_strFolder = folder;
        StartTree();
        if (folder.isEmpty())
            return;
    } else if (m_Fill.isActive()) {
        m_bChangedMeanwhile = true; // listed again when the items are in
        return;
    }
    m_pLister->Start(m_strFolder, m_Items.keys());
}

bool FileTree::IsListing() const
{
    return m_pLister->Running() || m_Fill.isActive() || m_Relist.isActive();
}

void FileTree::TakeListing(FolderListing listing)
{
    QTreeWidgetItem* root = RootItem();
    if (!root)
        return;
    // A few changes go in place; a first listing or a folder changed wholesale is filled
    // afresh a batch at a time, the current item found again by its path.
    if (root->childCount() == 0 ||
        listing.removed.size() + listing.added.size() > kInPlaceChanges) {
        if (m_strKeepCurrent.isEmpty())
            m_strKeepCurrent = ItemPath(currentItem());
        const QList<QTreeWidgetItem*> old = root->takeChildren();
        m_Items.clear();
        qDeleteAll(old);
        m_Items.reserve(listing.files.size()); // no rehash of every path half-way
        m_Pending = std::move(listing.files);
        m_nPendingAt = 0;
        m_Attached.invalidate();
        FillBatch();
        return;
    }
    Apply(listing.added, listing.removed);
    emit Listed();
}

void FileTree::FillBatch()
{
    const qsizetype end = std::min(m_Pending.size(), m_nPendingAt + kFillBatch);
    for (qsizetype i = m_nPendingAt; i < end; ++i) {
        m_Unattached << NewItem(m_Pending[i]);
        m_Pending[i] = FolderEntry(); // freed as the fill goes, not all in its last turn
    }
    m_nPendingAt = end;
    const bool done = m_nPendingAt >= m_Pending.size();
    // The view lays out all its rows again after every addition: the items made meanwhile
    // are added together every tenth of a second, the first screenful at once.
    if (done || !m_Attached.isValid() || m_Attached.elapsed() >= kAttachEveryMs)
        Attach();
    if (!done) {
        m_Fill.start();
        return;
    }
    m_Pending.clear();
    if (m_bChangedMeanwhile) {
        m_bChangedMeanwhile = false;
        m_Relist.start();
    }
    emit Listed();
}

void FileTree::Attach()
{
    if (QTreeWidgetItem* root = RootItem())
        root->addChildren(m_Unattached);
    m_Unattached.clear();
    m_Attached.start();
    KeepCurrent();
}

void FileTree::KeepCurrent()
{
    QTreeWidgetItem* keep = m_Items.value(m_strKeepCurrent);
    if (keep && keep->treeWidget() == this) {
        setCurrentItem(keep);
        m_strKeepCurrent.clear();
    }
}

// Adds `added` (sorted by name) where the order puts them and removes the items of
// `removed`; appending to the end when the new names sort after every item.
void FileTree::Apply(const QList<FolderEntry>& added, const QStringList& removed)
{
    QTreeWidgetItem* root = RootItem();
    if (!root)
        return;
    for (const QString& path : removed)
        delete m_Items.take(path); // takes the item out of the tree
    const auto before = [](const QTreeWidgetItem* item, const FolderEntry& e) {
        const int byName = item->text(0).compare(e.name);
        return byName != 0 ? byName < 0 : ItemPath(item) < e.path;
    };
    QList<QTreeWidgetItem*> tail;
    for (const FolderEntry& file : added) {
        QTreeWidgetItem* item = NewItem(file);
        const int count = root->childCount();
        if (count == 0 || before(root->child(count - 1), file)) {
            tail << item;
            continue;
        }
        int lo = 0, hi = count; // the first child that sorts after the file
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (before(root->child(mid), file))
                lo = mid + 1;
            else
                hi = mid;
        }
        root->insertChild(lo, item);
    }
    root->addChildren(tail);
    KeepCurrent();
}

QTreeWidgetItem* FileTree::NewItem(const FolderEntry& file)
{
    auto* item = new QTreeWidgetItem(QStringList{file.name});
    item->setIcon(0, m_FileIcon);
    item->setData(0, kPathRole, file.path);
    item->setData(0, kFlagRole, 1);
    if (file.path == m_strOpenPath)
        SetOpenFont(item, true);
    m_Items.insert(file.path, item);
    return item;
}

void FileTree::SetOpenFont(QTreeWidgetItem* item, bool open)
{
    QFont font = item->font(0);
    font.setBold(open);
    item->setFont(0, font);
}

void FileTree::MarkOpenFile(const QString& path)
{
    if (QTreeWidgetItem* old = m_Items.value(m_strOpenPath))
        SetOpenFont(old, false);
    m_strOpenPath = path;
    if (QTreeWidgetItem* made = m_Items.value(path))
        SetOpenFont(made, true);
    QTreeWidgetItem* open = OpenFileItem();
    if (open) {
        setCurrentItem(open);
    } else {
        clearSelection();
    }
    // An item still to come becomes current when it arrives.
    m_strKeepCurrent = open ? QString() : path;
}

QTreeWidgetItem* FileTree::OpenFileItem() const
{
    QTreeWidgetItem* item = m_strOpenPath.isEmpty() ? nullptr : m_Items.value(m_strOpenPath);
    return item && item->treeWidget() == this ? item : nullptr; // not while still unattached
}

QTreeWidgetItem* FileTree::NeighbourTest(bool forward) const
{
    const QTreeWidgetItem* root = RootItem();
    if (!root || root->childCount() == 0)
        return nullptr;
    const QTreeWidgetItem* from = currentItem();
    if (!from || from->parent() != root)
        from = OpenFileItem();
    if (!from)
        return root->child(forward ? 0 : root->childCount() - 1);
    const int at = root->indexOfChild(const_cast<QTreeWidgetItem*>(from)) + (forward ? 1 : -1);
    return at >= 0 && at < root->childCount() ? root->child(at) : nullptr;
}

void FileTree::keyPressEvent(QKeyEvent* event)
{
    const QTreeWidgetItem* before = currentItem();
    m_strKeepCurrent.clear(); // the user's choice from now on
    QTreeWidget::keyPressEvent(event);
    const QTreeWidgetItem* now = currentItem();
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!now || !now->parent() || (now == before && !enter))
        return;
    if (const QString path = ItemPath(now); path != m_strOpenPath)
        emit FileChosen(path);
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
    m_strKeepCurrent.clear(); // the user's choice from now on
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
