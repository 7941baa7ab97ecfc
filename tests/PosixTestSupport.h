#pragma once

#include <QByteArray>
#include <QDir>
#include <QStringList>

#include <ftw.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <functional>

namespace rovana::test {

// What a forked child reported and how it ended.
struct ChildRun
{
    bool exited = false; // ended by _exit, not by a signal
    int exitCode = -1;
    QByteArray report; // what `work` returned
};

// Runs `work` in a forked child whose files may grow to at most `fileSizeLimit` bytes:
// with SIGXFSZ ignored, a write past the limit fails with EFBIG, as on a full disk. The
// parent's files and state are untouched by whatever the child does in memory.
inline ChildRun RunWithFileSizeLimit(rlim_t fileSizeLimit, const std::function<QByteArray()>& work)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(3);
        const QByteArray report = work();
        const char* p = report.constData();
        qsizetype left = report.size();
        while (left > 0) {
            const ssize_t n = ::write(fds[1], p, static_cast<size_t>(left));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                ::_exit(4);
            p += n;
            left -= n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    ChildRun run;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        run.report.append(buffer, n);
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.exited = WIFEXITED(status);
    run.exitCode = run.exited ? WEXITSTATUS(status) : -1;
    return run;
}

// A sync that fails as a failing disk does.
inline int FailingSync(int)
{
    errno = EIO;
    return -1;
}

// Every entry of a folder, hidden ones included, so a left-over temporary file shows.
inline QStringList FolderEntries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Removes a folder and everything in it by the bytes of the names, which QDir cannot do
// for names that are not UTF-8.
inline void RemoveTree(const QByteArray& native)
{
    ::nftw(
        native.constData(),
        [](const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

} // namespace rovana::test
