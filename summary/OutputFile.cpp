#include "OutputFile.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rovana::summary {

namespace {

QString SystemError(const QString& what, int error)
{
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(error)));
}

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

// Writes all of `bytes` to `fd`, going on after interruptions and short writes.
bool WriteAll(int fd, const QByteArray& bytes, int& error)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (n == 0) {
            error = EIO;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// A new file beside `target` that no one else has, created exclusively. Its name does not
// repeat the target's, which may already be as long as a name can be.
int CreateTemporary(const QString& target, QString& tmpPath, int& error)
{
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmpPath = info.absolutePath() +
                  QStringLiteral("/.rovana-output-%1.tmp")
                      .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(tmpPath).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST) {
            error = errno;
            return -1;
        }
    }
    error = EEXIST;
    return -1;
}

bool SyncFolder(const QString& folder, int& error)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    if (!synced)
        error = errno;
    ::close(fd);
    return synced;
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
    const QString failed = QStringLiteral("无法创建文件 %1").arg(path);
    QString tmpPath;
    int error = 0;
    const int fd = CreateTemporary(path, tmpPath, error);
    if (fd < 0)
        return OutputResult::fail(SystemError(failed, error));
    const QByteArray tmpName = QFile::encodeName(tmpPath);
    const auto fail = [&](int why) {
        ::unlink(tmpName.constData());
        return OutputResult::fail(SystemError(failed, why));
    };

    // An existing file keeps its permissions.
    struct stat old
    {};
    if (::stat(QFile::encodeName(path).constData(), &old) == 0 &&
        ::fchmod(fd, old.st_mode & 07777) != 0) {
        const int why = errno;
        ::close(fd);
        return fail(why);
    }
    if (!WriteAll(fd, bytes, error)) {
        ::close(fd);
        return fail(error);
    }
    if (::fsync(fd) != 0) {
        const int why = errno;
        ::close(fd);
        return fail(why);
    }
    if (::close(fd) != 0)
        return fail(errno);
    if (::rename(tmpName.constData(), QFile::encodeName(path).constData()) != 0)
        return fail(errno);
    // The new name is durable only once the folder is synced.
    if (!SyncFolder(QFileInfo(path).absolutePath(), error))
        return OutputResult::fail(SystemError(failed, error));
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
