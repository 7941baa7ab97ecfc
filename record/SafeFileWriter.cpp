#include "SafeFileWriter.h"

#include "NativePath.h"

#include <QRandomGenerator>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

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

constexpr char kTemporaryPrefix[] = ".rovana-";
constexpr char kTemporarySuffix[] = ".tmp";
constexpr char kTemporaryChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kTemporaryRandomChars = 10;

// A leftover is removed only when it has not been written to for this long, as well as
// unlocked: between creating its temporary and locking it a writer holds no lock.
constexpr int kLeftoverSeconds = 10;

// Exactly the names makeTemporaryName gives: ".rovana-" + 10 of [a-z0-9] + ".tmp".
bool IsTemporaryName(const char* name)
{
    const std::size_t prefix = sizeof kTemporaryPrefix - 1, suffix = sizeof kTemporarySuffix - 1;
    if (std::strlen(name) != prefix + kTemporaryRandomChars + suffix ||
        std::strncmp(name, kTemporaryPrefix, prefix) != 0 ||
        std::strcmp(name + prefix + kTemporaryRandomChars, kTemporarySuffix) != 0)
        return false;
    for (int i = 0; i < kTemporaryRandomChars; ++i)
        if (!std::strchr(kTemporaryChars, name[prefix + i]))
            return false;
    return true;
}

// Removes the named temporary files that earlier runs left in `folder` when they were
// killed in the middle of a write on a file system without O_TMPFILE. A writer holds an
// exclusive flock on its temporary file while it is in use, so only regular files of
// exactly our name pattern on which a non-blocking flock succeeds, and that are older than
// kLeftoverSeconds, are removed. Links and anything else are left alone; every failure
// only means a leftover stays.
void RemoveLeftoverTemporaries(const QByteArray& folder)
{
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return;
    }
    const time_t now = ::time(nullptr);
    while (const dirent* d = ::readdir(dir)) {
        if (!IsTemporaryName(d->d_name))
            continue;
        const int fd =
            ::openat(dirFd, d->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened, named;
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
            opened.st_mtime <= now - kLeftoverSeconds && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dirFd, d->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
            ::unlinkat(dirFd, d->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
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
    QByteArray random;
    for (int i = 0; i < kTemporaryRandomChars; ++i)
        random +=
            kTemporaryChars[QRandomGenerator::system()->bounded(int(sizeof kTemporaryChars - 1))];
    name = m_folder + '/' + kTemporaryPrefix + random + kTemporarySuffix;
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
        if (m_options.refuseLinks)
            return fail(ELOOP, "目标是符号链接");
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
    m_hash.reset();
    m_written = 0;
    RemoveLeftoverTemporaries(m_folder);

    if (m_options.unnamedTemporary) {
        const int fd = ::open(m_folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            // Linking it in later goes through /proc; without /proc use a named file.
            struct stat proc;
            if (::lstat(ProcFdPath(fd).constData(), &proc) == 0) {
                m_fd = fd;
                m_unnamed = true;
                ::flock(fd, LOCK_EX | LOCK_NB); // it gets a name before the rename
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
            // Marks it as in use for RemoveLeftoverTemporaries of other writers. Where the
            // file system has no flock the age of a leftover still protects it.
            ::flock(fd, LOCK_EX | LOCK_NB);
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
        if (m_options.committed)
            m_hash.addData(QByteArrayView(data, n));
        m_written += n;
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
    return renameIntoPlace();
}

bool SafeFileWriter::renameIntoPlace()
{
    // The lock belongs to the open file, not to the descriptor: a duplicate keeps it while the
    // file itself is closed (where a failure still fails the write) and renamed.
    const int lock = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    if (lock < 0)
        return fail(errno, "无法保持临时文件的锁");
    const int fd = m_fd;
    m_fd = -1;
    if (CloseChecked(fd) != 0) {
        const int err = errno;
        ::close(lock);
        return fail(err, "关闭文件失败");
    }
    if (m_options.beforeRename)
        m_options.beforeRename(m_temporary);
    const int renamed = ::rename(m_temporary.constData(), m_target.constData());
    const int err = errno;
    ::close(lock);
    if (renamed != 0)
        return fail(err, "无法替换目标文件");
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
    // Renaming and linking keep the modification time of the file as written.
    struct stat written;
    const bool stated = m_options.committed && ::fstat(m_fd, &written) == 0;
    if (!(m_unnamed ? linkIntoPlace() : renameIntoPlace()))
        return m_result;
    m_committed = true;
    if (m_options.committed)
        m_options.committed(
            {m_written,
             stated ? qint64(written.st_mtim.tv_sec) * 1000000000 + written.st_mtim.tv_nsec : 0,
             m_hash.result()});

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
