#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>
#include <QTimer>
#include <QTreeWidget>

class QFileSystemWatcher;

namespace rovana {

class FolderLister;
struct FolderEntry;
struct FolderListing;

// The left pane: the ".mg" files of the folder of the last opened test under one root
// item named after that folder. A mouse click on a file item asks for the tree-click
// load (signal FileClicked); a file item made current by the keyboard (arrows, Home, End,
// typing its name) or Enter on one asks for the same load (signal FileChosen), never for
// the test on screen. Code that sets the current item loads nothing.
//
// ShowFolder lists the folder on a pool thread and adds the items a batch at a time, so
// that the window stays responsive with any number of files; the folder is watched and
// files added, removed or renamed there appear within a second, the current item kept.
class FileTree : public QTreeWidget
{
    Q_OBJECT

public:
    // Item data roles of a file item: its full path, and the flag (always 1).
    static constexpr int kPathRole = Qt::UserRole;
    static constexpr int kFlagRole = Qt::UserRole + 1;

    explicit FileTree(QWidget* parent = nullptr);
    ~FileTree() override;

    // Rebuilds all items from m_strFolder at once: nothing when the folder is empty, else
    // the root item and one child per regular "*.mg" file of the folder (any case, links
    // to regular files included), sorted by name.
    void RefreshTree();
    // Shows `folder` as RefreshTree does, its root item at once and its files as the
    // listing arrives. The folder already shown is listed again, its items kept.
    void ShowFolder(const QString& folder);
    // True while a listing or the filling of items is under way.
    bool IsListing() const;

    // The root item's label for a folder: the part after its last directory separator,
    // empty when that separator is the first character or there is none.
    static QString RootLabel(const QString& folder);

    // The root item, or null while the tree is empty.
    QTreeWidgetItem* RootItem() const;
    // The stored full path of a file item; empty for the root or null.
    static QString ItemPath(const QTreeWidgetItem* item);
    // Shows which file is open: its item becomes the current one and is set in bold; no
    // item when `path` is not listed.
    void MarkOpenFile(const QString& path);
    // The item marked as open, or null.
    QTreeWidgetItem* OpenFileItem() const;
    // The file item after (`forward`) or before the current one, or before that the open
    // one; without either the first or the last file item. Null at either end.
    QTreeWidgetItem* NeighbourTest(bool forward) const;

    QString m_strFolder; // without a trailing separator

signals:
    // A file item was clicked with the left mouse button; `path` is its stored full path.
    void FileClicked(const QString& path);
    // A file item other than the open one was chosen with the keyboard.
    void FileChosen(const QString& path);
    // Every file of the folder has its item.
    void Listed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void StartTree();
    void Watch();
    void TakeListing(FolderListing listing);
    void FillBatch();
    void Attach();
    void KeepCurrent();
    void Apply(const QList<FolderEntry>& added, const QStringList& removed);
    QTreeWidgetItem* NewItem(const FolderEntry& file);
    void SetOpenFont(QTreeWidgetItem* item, bool open);

    QIcon m_FileIcon; // images 0 (normal) and 1 (selected)
    QIcon m_RootIcon; // image 3
    QString m_strOpenPath;
    QHash<QString, QTreeWidgetItem*> m_Items; // the file items by path
    FolderLister* m_pLister = nullptr;
    QFileSystemWatcher* m_pWatcher = nullptr;
    QTimer m_Relist; // a change of the folder, listed once it has settled
    QTimer m_Fill;   // adds the next batch of a listing
    QList<FolderEntry> m_Pending;
    QList<QTreeWidgetItem*> m_Unattached; // made by the fill, not yet in the tree
    QElapsedTimer m_Attached;             // since items were last added to the tree
    qsizetype m_nPendingAt = 0;
    QString m_strKeepCurrent; // the current item's path while items are replaced
    bool m_bChangedMeanwhile = false;
    bool m_bSwallowRelease = false; // the release that ends a double-click loads nothing
};

} // namespace rovana
