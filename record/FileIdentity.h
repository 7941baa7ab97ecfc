#pragma once

#include "TestFileCheck.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

namespace rovana {

// The hash of a file's content in a FileIdentity: HashContent's (SHA-256), which a hash
// made piece by piece with this algorithm equals.
inline constexpr QCryptographicHash::Algorithm kFileHash = QCryptographicHash::Sha256;

// What a file held when the program read or wrote it: enough to tell later whether the file
// is still that. The content is the same when size and hash agree; the modification time
// only tells whether the file was touched (or rewritten with the same bytes) meanwhile.
struct FileIdentity
{
    qint64 size = -1;    // bytes; -1 for nothing known
    qint64 modified = 0; // modification time, nanoseconds since 1970
    QByteArray hash;     // HashBytes of the whole content

    bool known() const { return size >= 0; }
    bool sameContent(const FileIdentity& other) const
    {
        return known() && size == other.size && hash == other.hash;
    }
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of what a ReadRegularFile read: unknown unless it read the whole file.
FileIdentity IdentityOf(const RegularFileRead& read);

// How the file at a path stands against the identity remembered from an earlier read.
enum class DiskChange
{
    None,       // the same bytes and the same modification time
    Touched,    // the same bytes, another modification time: nothing of the content changed
    Changed,    // other bytes, or another length
    Missing,    // nothing at the path any more: removed, or renamed away
    Unreadable, // no longer a readable regular file (permission taken, a folder, a FIFO)
};

struct DiskCheck
{
    DiskChange change = DiskChange::None;
    TestFileCheck why = TestFileCheck::Ok; // what ReadRegularFile said, for Missing and Unreadable
    FileIdentity now;                      // the file as it is, known for None and Touched

    // Whether a write onto the file would replace anything but what was remembered.
    bool changedContent() const
    {
        return change != DiskChange::None && change != DiskChange::Touched;
    }
};

// Compares the file at `path` with `remembered`, reading it as ReadRegularFile does (never
// blocking, regular files only) and never more than one byte past the remembered size. With
// nothing remembered there is nothing to compare: None.
DiskCheck CheckAgainstDisk(const FileIdentity& remembered, const QString& path);

} // namespace rovana
