#pragma once

#include <QIcon>
#include <QString>
#include <QTreeWidget>

namespace rovana {

// The left pane: the ".mg" files of the folder of the last opened test under one root
// item named after that folder. A mouse click on a file item asks for the tree-click
// load (signal FileClicked); keyboard selection loads nothing.
class FileTree : public QTreeWidget
{
    Q_OBJECT

public:
    // Item data roles of a file item: its full path, and the flag (always 1).
    static constexpr int kPathRole = Qt::UserRole;
    static constexpr int kFlagRole = Qt::UserRole + 1;

    explicit FileTree(QWidget* parent = nullptr);

    // Rebuilds all items from m_strFolder: nothing when the folder is empty, else the
    // root item and one child per regular "*.mg" file of the folder (any case, links to
    // regular files included), sorted by name.
    void RefreshTree();

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

    QString m_strFolder; // without a trailing separator

signals:
    // A file item was clicked with the left mouse button; `path` is its stored full path.
    void FileClicked(const QString& path);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    QIcon m_FileIcon; // images 0 (normal) and 1 (selected)
    QIcon m_RootIcon; // image 3
    QString m_strOpenPath;
    bool m_bSwallowRelease = false; // the release that ends a double-click loads nothing
};

} // namespace rovana
