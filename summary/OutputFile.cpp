#include "OutputFile.h"

#include "MgFileIo.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace rovana::summary {

namespace {

bool HasMgSuffix(const QString& path)
{
    return path.endsWith(QLatin1String(".mg"), Qt::CaseInsensitive);
}

bool SameFile(const struct stat& a, const QString& other)
{
    struct stat b
    {};
    if (::stat(QFile::encodeName(other).constData(), &b) != 0)
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

OutputResult CheckOutputPath(const QString& path, const QStringList& inputs)
{
    const QFileInfo info(path);
    if (path.isEmpty() || info.fileName().isEmpty())
        return OutputResult::fail(QStringLiteral("输出文件名为空"));
    if (HasMgSuffix(path) || (info.isSymLink() && HasMgSuffix(info.symLinkTarget())))
        return OutputResult::fail(QStringLiteral("不能写入测试文件（.mg）：%1").arg(path));
    struct stat st
    {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {}; // a new file
    struct stat target
    {};
    if (::stat(QFile::encodeName(path).constData(), &target) != 0 || !S_ISREG(target.st_mode))
        return OutputResult::fail(QStringLiteral("输出路径不是普通文件：%1").arg(path));
    for (const QString& input : inputs)
        if (SameFile(target, input))
            return OutputResult::fail(QStringLiteral("不能写入输入文件：%1").arg(path));
    return {};
}

OutputResult WriteFileViaTemporary(const QString& path, const QByteArray& bytes)
{
    const WriteResult written = WriteWholeFileSafely(path, bytes);
    if (!written)
        return OutputResult::fail(QStringLiteral("%1 %2").arg(written.message(), path));
    return {};
}

OutputResult WriteOutputFile(const QString& path, const QByteArray& bytes,
                             const QStringList& inputs)
{
    if (OutputResult checked = CheckOutputPath(path, inputs); !checked)
        return checked;
    return WriteFileViaTemporary(path, bytes);
}

} // namespace rovana::summary
