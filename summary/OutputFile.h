#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace rovana::summary {

// How writing one output file (CSV, Excel, PDF) ended.
struct OutputResult
{
    bool ok = true;
    QString detail; // why not, for the user and the command line

    explicit operator bool() const { return ok; }
    static OutputResult fail(QString why) { return {false, std::move(why)}; }
};

// Refuses targets a summary must never write: a ".mg" file (any case, also through a
// link), one of `inputs` (the same file under any name), anything that exists and is
// not a regular file (a folder, a device such as /dev/full), and a path without a name.
OutputResult CheckOutputPath(const QString& path, const QStringList& inputs);

// Writes `bytes` as the file `path`: into a new temporary file beside it, checked write by
// write, synced, renamed over `path`, then the folder synced. On any failure the temporary
// file is removed and an existing `path` keeps its old contents. An existing file's
// permissions are kept; a new file gets the usual ones (0666 less the umask).
OutputResult WriteFileViaTemporary(const QString& path, const QByteArray& bytes);

// CheckOutputPath, then WriteFileViaTemporary.
OutputResult WriteOutputFile(const QString& path, const QByteArray& bytes,
                             const QStringList& inputs);

} // namespace rovana::summary
