#include "SafeFileWriter.h"

#include "NativePath.h"

#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace rovana {
namespace {

QByteArray FolderOf(const QByteArray& native)
{
    const qsizetype slash = native.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return native.left(slash);
}

// An error of open(O_TMPFILE) that means the file system (or kernel) lacks it.
bool LacksUnnamedFiles(int error)
{
    return error == EOPNOTSUPP || error == ENOTSUP || error == EISDIR || error == EINVAL;
}

// close() that calls an interrupted close a success: Linux has released the descriptor.
int CloseChecked(int fd)
{
    const int rc = ::close(fd);
    return rc != 0 && errno == EINTR ? 0 : rc;
}

QByteArray ProcFdPath(int fd)
{
    return QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(fd);
}

} // namespace

SafeFileWriter::SafeFileWriter(QString path, WriteOptions options)
    : m_path(std::move(path)), m_options(std::move(options))
{}

SafeFileWriter::~SafeFileWriter()
{
    discard();
}

bool SafeFileWriter::fail(int error, const char* what)
{
    if (m_result) {
        m_result.status = WriteStatus::CannotCreate;
        m_result.error = error;
        m_result.detail = QString::fromUtf8(what) + QStringLiteral("：") +
                          QString::fromLocal8Bit(std::strerror(error));
    }
    discard();
    return false;
}

bool SafeFileWriter::makeTemporaryName(QByteArray& name)
{
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix;
    for (int i = 0; i < 10; ++i)
        suffix += kChars[QRandomGenerator::system()->bounded(int(sizeof kChars - 1))];
    name = m_folder + "/.rovana-" + suffix + ".tmp";
    return true;
}

bool SafeFileWriter::open()
{
    if (m_fd >= 0 || m_committed || !m_result)
        return false;
    QByteArray native = NativePath(m_path);
    if (native.isEmpty())
        return fail(ENOENT, "没有文件名");

    struct stat st;
    if (::lstat(native.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // Keep the link; replace the file it points to.
        char* real = ::realpath(native.constData(), nullptr);
        if (!real)
            return fail(errno, "链接指向的文件不存在");
        native = QByteArray(real);
        std::free(real);
    }
    if (::stat(native.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return fail(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, "目标不是普通文件");
        if (::access(native.constData(), W_OK) != 0)
            return fail(errno, "目标文件不可写");
        m_replaces = true;
    } else if (errno != ENOENT) {
        return fail(errno, "无法访问目标");
    }
    m_target = native;
    m_folder = FolderOf(native);

    if (m_options.unnamedTemporary) {
        const int fd = ::open(m_folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            // Linking it in later goes through /proc; without /proc use a named file.
            struct stat proc;
            if (::lstat(ProcFdPath(fd).constData(), &proc) == 0) {
                m_fd = fd;
                m_unnamed = true;
            } else {
                ::close(fd);
            }
        } else if (!LacksUnnamedFiles(errno)) {
            return fail(errno, "无法在目标文件夹中创建临时文件");
        }
    }
    for (int attempt = 0; m_fd < 0; ++attempt) {
        QByteArray name;
        makeTemporaryName(name);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_temporary = name;
        } else if (errno != EEXIST || attempt >= 100) {
            return fail(errno, "无法在目标文件夹中创建临时文件");
        }
    }
    if (m_replaces) {
        // Owner first: changing it clears set-user-ID bits that the mode then restores.
        // Neither is possible everywhere (FAT has no owners); the content matters more.
        if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) &&
            ::fchown(m_fd, st.st_uid, st.st_gid) != 0) {
        }
        if (::fchmod(m_fd, st.st_mode & 07777) != 0) {
        }
    }
    return true;
}

bool SafeFileWriter::write(const char* data, qint64 size)
{
    if (m_fd < 0 || !m_result)
        return fail(m_result ? EBADF : m_result.error, "文件未打开");
    while (size > 0) {
        const auto chunk = static_cast<size_t>(std::min<qint64>(size, qint64(1) << 30));
        const ssize_t n = ::write(m_fd, data, chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno, "写入失败");
        }
        if (n == 0)
            return fail(ENOSPC, "写入失败");
        data += n;
        size -= n;
    }
    return true;
}

bool SafeFileWriter::linkIntoPlace()
{
    const QByteArray proc = ProcFdPath(m_fd);
    if (!m_replaces) {
        // A new file: link it in under its name, which fails rather than replace anything.
        if (::linkat(AT_FDCWD, proc.constData(), AT_FDCWD, m_target.constData(),
                     AT_SYMLINK_FOLLOW) == 0) {
            const int fd = m_fd;
            m_fd = -1;
            if (CloseChecked(fd) != 0) {
                const int err = errno;
                ::unlink(m_target.constData());
                return fail(err, "关闭文件失败");
            }
            return true;
        }
        if (errno != EEXIST)
            return fail(errno, "无法放入目标文件夹");
        // Something took the name meanwhile: replace it as an existing file.
    }
    for (int attempt = 0; m_temporary.isEmpty(); ++attempt) {
        QByteArray name;
        makeTemporaryName(name);
        if (::linkat(AT_FDCWD, proc.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) ==
            0)
            m_temporary = name;
        else if (errno != EEXIST || attempt >= 100)
            return fail(errno, "无法放入目标文件夹");
    }
    const int fd = m_fd;
    m_fd = -1;
    if (CloseChecked(fd) != 0)
        return fail(errno, "关闭文件失败");
    if (::rename(m_temporary.constData(), m_target.constData()) != 0)
        return fail(errno, "无法替换目标文件");
    m_temporary.clear();
    return true;
}

WriteResult SafeFileWriter::commit()
{
    if (m_committed || !m_result)
        return m_result;
    if (m_fd < 0) {
        fail(EBADF, "文件未打开");
        return m_result;
    }
    const int synced = m_options.syncFile ? m_options.syncFile(m_fd) : ::fsync(m_fd);
    if (synced != 0) {
        fail(errno, "同步文件失败");
        return m_result;
    }
    if (m_unnamed) {
        if (!linkIntoPlace())
            return m_result;
    } else {
        const int fd = m_fd;
        m_fd = -1;
        if (CloseChecked(fd) != 0) {
            fail(errno, "关闭文件失败");
            return m_result;
        }
        if (::rename(m_temporary.constData(), m_target.constData()) != 0) {
            fail(errno, "无法替换目标文件");
            return m_result;
        }
        m_temporary.clear();
    }
    m_committed = true;

    // The rename is durable only once the folder is synced.
    const int dir = ::open(m_folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        m_result = {WriteStatus::CannotCreate, QStringLiteral("文件已替换，但无法同步文件夹"),
                    errno};
        return m_result;
    }
    const int rc = m_options.syncFolder ? m_options.syncFolder(dir) : ::fsync(dir);
    const int err = errno;
    ::close(dir);
    // Some file systems cannot sync a folder at all (EINVAL); nothing more can be done there.
    if (rc != 0 && err != EINVAL && err != ENOTSUP && err != EOPNOTSUPP)
        m_result = {WriteStatus::CannotCreate, QStringLiteral("文件已替换，但无法同步文件夹"), err};
    return m_result;
}

void SafeFileWriter::discard()
{
    if (m_committed)
        return;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
}

} // namespace rovana
