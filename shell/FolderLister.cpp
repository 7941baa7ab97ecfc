#include "FolderLister.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QThreadPool>

namespace rovana {
namespace {

// The listers' own threads. Not Qt's global pool: the raster paint engine hands parts of
// its fills to that pool and waits for them, so that a long listing there held up every
// paint of the window.
QThreadPool& ListingPool()
{
    static QThreadPool pool;
    return pool;
}

} // namespace

FolderListing ListAgainst(const QString& folder, const QStringList& shown)
{
    FolderListing listing;
    listing.files = ListTestFiles(folder);
    QSet<QString> listed;
    listed.reserve(listing.files.size());
    for (const FolderEntry& e : listing.files)
        listed.insert(e.path);
    const QSet<QString> before(shown.begin(), shown.end());
    for (const QString& path : shown)
        if (!listed.contains(path))
            listing.removed << path;
    for (const FolderEntry& e : listing.files)
        if (!before.contains(e.path))
            listing.added << e;
    return listing;
}

// What a pool thread holds of its lister: the lister clears `owner` when it goes, under
// the mutex, so that no result is posted to it afterwards (results already posted go
// with it).
struct FolderLister::Link
{
    QMutex mutex;
    FolderLister* owner = nullptr;
};

FolderLister::FolderLister(Deliver deliver, QObject* parent)
    : QObject(parent), m_fnDeliver(std::move(deliver)), m_pLink(std::make_shared<Link>())
{
    m_pLink->owner = this;
}

FolderLister::~FolderLister()
{
    const QMutexLocker lock(&m_pLink->mutex);
    m_pLink->owner = nullptr;
}

void FolderLister::Start(const QString& folder, const QStringList& shown)
{
    const int generation = ++m_nGeneration;
    m_bRunning = true;
    ListingPool().start([link = m_pLink, folder, shown, generation] {
        FolderListing listing = ListAgainst(folder, shown);
        const QMutexLocker lock(&link->mutex);
        if (FolderLister* owner = link->owner)
            QMetaObject::invokeMethod(
                owner,
                [owner, generation, listing = std::move(listing)]() mutable {
                    owner->Arrive(generation, std::move(listing));
                },
                Qt::QueuedConnection);
    });
}

void FolderLister::Cancel()
{
    ++m_nGeneration;
    m_bRunning = false;
}

void FolderLister::Arrive(int generation, FolderListing listing)
{
    if (generation != m_nGeneration)
        return; // superseded or cancelled
    m_bRunning = false;
    m_fnDeliver(std::move(listing));
}

} // namespace rovana
