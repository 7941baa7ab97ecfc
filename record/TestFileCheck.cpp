#include "TestFileCheck.h"

#include "NativePath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace rovana {
namespace {

// Closes a file descriptor at the end of a scope.
class FdCloser
{
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

private:
    int m_fd;
};

// Opens for reading without blocking and checks the kind of what was opened.
int OpenRegular(const QByteArray& native, struct stat& st, RegularFileRead& r)
{
    if (native.isEmpty()) {
        r = {TestFileCheck::Missing, ENOENT, {}};
        return -1;
    }
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        r = {err == ENOENT || err == ENOTDIR ? TestFileCheck::Missing : TestFileCheck::Unreadable,
             err,
             {}};
        // A folder cannot be opened this way on every system; call it what it is.
        if (err == EISDIR)
            r.check = TestFileCheck::NotRegular;
        return -1;
    }
    if (::fstat(fd, &st) != 0) {
        r = {TestFileCheck::Unreadable, errno, {}};
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        r = {TestFileCheck::NotRegular, S_ISDIR(st.st_mode) ? EISDIR : EINVAL, {}};
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

TestFileCheck CheckTestFile(const QString& path)
{
    const QByteArray native = NativePath(path);
    if (native.isEmpty())
        return TestFileCheck::Missing;
    struct stat st;
    if (::stat(native.constData(), &st) != 0)
        return errno == EACCES || errno == ELOOP ? TestFileCheck::Unreadable
                                                 : TestFileCheck::Missing;
    // Never open what is not a regular file: opening a device can have effects of its own.
    if (!S_ISREG(st.st_mode))
        return TestFileCheck::NotRegular;
    RegularFileRead r;
    const int fd = OpenRegular(native, st, r);
    if (fd < 0)
        return r.check;
    ::close(fd);
    return st.st_size > 0 ? TestFileCheck::Ok : TestFileCheck::Empty;
}

RegularFileRead ReadRegularFile(const QString& path, qint64 maxBytes, bool* truncated)
{
    if (truncated)
        *truncated = false;
    RegularFileRead r;
    const QByteArray native = NativePath(path);
    struct stat st;
    // Look before opening, so that a device is never opened at all.
    if (!native.isEmpty() && ::stat(native.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return {TestFileCheck::NotRegular, S_ISDIR(st.st_mode) ? EISDIR : EINVAL, {}};
    const int fd = OpenRegular(native, st, r);
    if (fd < 0)
        return r;
    FdCloser closer(fd);

    r.fileSize = st.st_size;
    r.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    const qint64 expected = std::min<qint64>(std::max<qint64>(st.st_size, 0), maxBytes);
    r.bytes.reserve(expected);
    char buffer[16384];
    while (r.bytes.size() < maxBytes) {
        const auto want = static_cast<size_t>(
            std::min<qint64>(static_cast<qint64>(sizeof buffer), maxBytes - r.bytes.size()));
        const ssize_t n = ::read(fd, buffer, want);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return {TestFileCheck::Unreadable, errno, {}};
        }
        if (n == 0)
            break;
        r.bytes.append(buffer, static_cast<qsizetype>(n));
    }
    if (truncated && r.bytes.size() == maxBytes) {
        char probe;
        ssize_t n;
        do
            n = ::read(fd, &probe, 1);
        while (n < 0 && errno == EINTR);
        *truncated = n > 0;
    }
    if (r.bytes.isEmpty())
        r.check = TestFileCheck::Empty;
    return r;
}

QString CheckFailureText(TestFileCheck check, const QString& fileName)
{
    QString why;
    switch (check) {
    case TestFileCheck::Ok:
        return {};
    case TestFileCheck::Missing:
        why = QStringLiteral("文件不存在");
        break;
    case TestFileCheck::NotRegular:
        why = QStringLiteral("不是普通文件");
        break;
    case TestFileCheck::Unreadable:
        why = QStringLiteral("没有读取权限");
        break;
    case TestFileCheck::Empty:
        why = QStringLiteral("文件长度 0 字节");
        break;
    }
    return QStringLiteral("无法读取文件（%1）: %2").arg(why, fileName);
}

} // namespace rovana
