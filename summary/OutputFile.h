#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

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
// chain of links of any length), one of `inputs` (the same file under any name), anything
// that exists and is not a regular file (a folder, a device such as /dev/full), a link
// that leads nowhere or in a loop, and a path without a name.
OutputResult CheckOutputPath(const QString& path, const QStringList& inputs);

// Writes `bytes` as the file `path` through the program's safe writer (a temporary file
// beside it, checked writes, syncs, rename): on any failure the temporary file is gone, an
// existing `path` keeps its old contents, and the detail says why and which file.
OutputResult WriteFileViaTemporary(const QString& path, const QByteArray& bytes);

// Makes an output onto the device it is given; false, with `why`, when it could not.
using OutputProducer = std::function<bool(QIODevice& out, QString* why)>;

// CheckOutputPath, then the file written through the program's safe writer from what
// `produce` writes, as it writes it: an output of any size passes in the same memory. On
// any failure (of `produce` or of a write) the temporary file is gone, an existing `path`
// keeps its old contents, and the detail says why and which file ("无法创建文件 PATH: why"
// when `produce` failed).
OutputResult WriteOutputStream(const QString& path, const QStringList& inputs,
                               const OutputProducer& produce);

// CheckOutputPath, then WriteFileViaTemporary.
OutputResult WriteOutputFile(const QString& path, const QByteArray& bytes,
                             const QStringList& inputs);

} // namespace rovana::summary
