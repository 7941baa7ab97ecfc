#pragma once

#include "NativePath.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace rovana {

// A folder's tests as ListTestFiles gives them, and how they differ from what a view
// showed when the listing started.
struct FolderListing
{
    QList<FolderEntry> files; // every test, sorted by shown name
    QList<FolderEntry> added; // in `files` but not shown, in the same order
    QStringList removed;      // shown but no longer in the folder
};

// The listing of `folder` against the paths a view shows (`shown`, in any order).
FolderListing ListAgainst(const QString& folder, const QStringList& shown);

// Lists a folder on a pool thread, so that a folder of any size never blocks the window,
// and hands the result to `deliver` on the lister's own thread. A listing started while
// another runs supersedes it: only the newest result is delivered. Nothing is delivered
// after the lister is gone.
class FolderLister : public QObject
{
    Q_OBJECT

public:
    using Deliver = std::function<void(FolderListing)>;

    explicit FolderLister(Deliver deliver, QObject* parent = nullptr);
    ~FolderLister() override;

    void Start(const QString& folder, const QStringList& shown);
    // Drops the result of the listing under way.
    void Cancel();
    bool Running() const { return m_bRunning; }

private:
    struct Link;

    void Arrive(int generation, FolderListing listing);

    Deliver m_fnDeliver;
    std::shared_ptr<Link> m_pLink;
    int m_nGeneration = 0;
    bool m_bRunning = false;
};

} // namespace rovana
