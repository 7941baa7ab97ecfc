#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QTemporaryDir>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <vector>

namespace rovana::test {

// What one run of the built rovana-cli printed and returned.
struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QString err;
    qint64 milliseconds = 0;
};

inline CliRun RunCli(const QStringList& args)
{
    QProcess p;
    QElapsedTimer timer;
    timer.start();
    p.start(QStringLiteral(ROVANA_CLI_PATH), args);
    p.waitForFinished(30000);
    return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError()),
            timer.elapsed()};
}

// Runs rovana-cli with its standard output going to `outputFile` (for example /dev/full).
inline CliRun RunCliInto(const QStringList& args, const QString& outputFile)
{
    QProcess p;
    p.setStandardOutputFile(outputFile);
    p.start(QStringLiteral(ROVANA_CLI_PATH), args);
    p.waitForFinished(30000);
    return {p.exitCode(), {}, QString::fromUtf8(p.readAllStandardError()), 0};
}

// Runs rovana-cli with arguments as raw bytes, so that names which are not UTF-8 reach it
// as they are, and with files limited to `fileSizeLimit` bytes. SIGXFSZ is left at its
// default, which kills the process, as a user's shell starts it: the program itself must
// ignore it so that a write past the limit fails with EFBIG, as on a full disk. Standard
// output and error go through files `scratch`.out and `scratch`.err; a run ended by a
// signal has exitCode -1.
inline CliRun RunCliRaw(const QList<QByteArray>& args, const QByteArray& scratch,
                        rlim_t fileSizeLimit = RLIM_INFINITY)
{
    const QByteArray outPath = scratch + ".out", errPath = scratch + ".err";
    std::vector<QByteArray> storage{QByteArray(ROVANA_CLI_PATH)};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (QByteArray& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
            ::_exit(120);
        std::signal(SIGXFSZ, SIG_DFL); // an ignored signal would stay ignored across exec
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(121);
        ::execv(argv[0], argv.data());
        ::_exit(122);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    QFile out(QString::fromUtf8(outPath)), err(QString::fromUtf8(errPath));
    if (out.open(QIODevice::ReadOnly))
        run.out = out.readAll();
    if (err.open(QIODevice::ReadOnly))
        run.err = QString::fromUtf8(err.readAll());
    QFile::remove(QString::fromUtf8(outPath));
    QFile::remove(QString::fromUtf8(errPath));
    return run;
}

// A copy of rovana-cli that every user can run, for tests that run it as another user: the
// build may lie under a folder only its owner can enter (a root user's home, `mktemp -d`).
// The copy sits in a fresh folder of /tmp opened to all; Path() is empty, and Why() says
// why, when no such copy can be made.
class CliForEveryone
{
public:
    CliForEveryone() : m_dir(QStringLiteral("/tmp/rovana-cli-XXXXXX"))
    {
        const QString copy = m_dir.filePath(QStringLiteral("rovana-cli"));
        if (!m_dir.isValid())
            m_why = QStringLiteral("no folder in /tmp");
        else if (::chmod(QFile::encodeName(m_dir.path()).constData(), 0755) != 0)
            m_why = QStringLiteral("cannot open the folder in /tmp to all");
        else if (!QFile::copy(QStringLiteral(ROVANA_CLI_PATH), copy))
            m_why = QStringLiteral("cannot copy rovana-cli");
        else if (::chmod(QFile::encodeName(copy).constData(), 0755) != 0)
            m_why = QStringLiteral("cannot make the copy executable");
        else
            m_path = copy;
    }
    const QString& Path() const { return m_path; }
    const QString& Why() const { return m_why; }

private:
    QTemporaryDir m_dir;
    QString m_path, m_why;
};

} // namespace rovana::test
