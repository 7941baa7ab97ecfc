#pragma once

#include "FileIdentity.h"
#include "WriteResult.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace rovana {

struct WriteOptions
{
    // Flushes a file, or the folder that holds it, to stable storage; 0 on success, else
    // -1 with errno set, as fsync. Empty means fsync. Tests inject failures here; the
    // fuzzer skips the wait.
    std::function<int(int fd)> syncFile;
    std::function<int(int fd)> syncFolder;
    // Write through an unnamed O_TMPFILE file where the file system supports it. When
    // false, or on file systems without it (FAT, exFAT), a named temporary file beside
    // the target is used and removed on every failure.
    bool unnamedTemporary = true;
    // Runs once the complete temporary file is closed, right before it is renamed over the
    // target, with its name. Tests stall a writer here.
    std::function<void(const QByteArray& temporary)> beforeRename;
    // Told what commit() put in place, once the rename is done: the new file's size,
    // modification time and hash, as ReadFileIdentity gives them while nobody changes it.
    std::function<void(const FileIdentity& written)> committed;
    // Refuse a target whose name is a symbolic link (whatever it points to) instead of
    // replacing the file at the end of its chain: for files the program owns by name (a
    // folder's site file, a journal), which a link must never redirect onto another file.
    bool refuseLinks = false;
};

// Replaces one file crash-safely: the old file or the complete new one, never a mix.
//
// open() creates a temporary file in the target's folder; write() writes to it and checks
// every write (short writes are continued, interrupted writes resumed); commit() syncs the
// file, renames it over the target (or links it in, for a new target) and syncs the
// folder. On any failure before the rename the target is byte-identical to what it was
// and the temporary file is gone. A replaced file keeps its permission bits (and owner
// where allowed); a symbolic link to a regular file keeps the link and replaces the file
// it points to (refused instead with WriteOptions::refuseLinks). A target that exists and
// is not a regular file is refused. Destroying an
// uncommitted writer discards the temporary file.
//
// A named temporary file is ".rovana-" + 10 of [a-z0-9] + ".tmp" and carries an exclusive
// flock from the moment it is created until it has been renamed over the target (the
// lock is held on a second descriptor while the file itself is closed and checked). A
// process killed during a write leaves it behind; open() removes such leftovers from the
// target's folder: files of exactly that name pattern, unlocked and untouched for 10
// seconds. So a live writer's file is never taken, however long it stalls.
class SafeFileWriter
{
public:
    explicit SafeFileWriter(QString path, WriteOptions options = {});
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    bool open();
    bool write(const char* data, qint64 size);
    bool write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    WriteResult commit();
    void discard();

    // The first failure so far; Ok while there was none.
    const WriteResult& result() const { return m_result; }

private:
    bool fail(int error, const char* what);
    bool linkIntoPlace();
    bool makeTemporaryName(QByteArray& name);
    bool renameIntoPlace();

    QString m_path;
    WriteOptions m_options;
    WriteResult m_result;
    QByteArray m_target;    // the bytes of the file to replace, symbolic links resolved
    QByteArray m_folder;    // the folder that holds it
    QByteArray m_temporary; // name of the named temporary file while it exists
    QCryptographicHash m_hash{kFileHash}; // of every byte written, when `committed` is asked
    qint64 m_written = 0;
    int m_fd = -1;
    bool m_unnamed = false;  // m_fd is an O_TMPFILE file
    bool m_replaces = false; // the target exists
    bool m_committed = false;
};

} // namespace rovana
