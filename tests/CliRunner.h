#pragma once

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <fcntl.h>
#include <grp.h>
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

// rovana-cli run by a user whom permissions stop: nobody (uid and gid 65534, no other
// groups) when the tests run as the superuser, whom they do not stop; else the user
// running the tests. For nobody the program (and the sheet's face beside it) is copied
// into a folder of its own that every user can reach, since the build tree may lie in a
// folder only its owner can enter (a clone in a private home or in `mktemp -d`). When even
// that folder cannot be reached, WhyNot() says why and the caller skips.
class CliAsAnotherUser
{
public:
    CliAsAnotherUser()
    {
        if (::geteuid() != 0) {
            m_program = QStringLiteral(ROVANA_CLI_PATH);
            return;
        }
        const QString from = QFileInfo(QStringLiteral(ROVANA_CLI_PATH)).absolutePath();
        m_program = m_dir.filePath(QStringLiteral("bin/rovana-cli"));
        const QString fonts = QStringLiteral("/share/rovana/fonts");
        if (!m_dir.isValid() || !QDir(m_dir.path()).mkpath(QStringLiteral("bin")) ||
            !QFile::copy(QStringLiteral(ROVANA_CLI_PATH), m_program)) {
            m_why = QStringLiteral("cannot copy rovana-cli to ") + m_dir.path();
            return;
        }
        QDir(m_dir.path()).mkpath(QStringLiteral("share/rovana/fonts"));
        for (const QString& face :
             QDir(from + QStringLiteral("/..") + fonts).entryList(QDir::Files))
            QFile::copy(from + QStringLiteral("/..") + fonts + QLatin1Char('/') + face,
                        m_dir.path() + fonts + QLatin1Char('/') + face);
        // Every folder from / down to the copy must let nobody through. Qt wants a runtime
        // folder of the user's own.
        ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
        m_runtime = m_dir.filePath(QStringLiteral("runtime"));
        QDir(m_dir.path()).mkdir(QStringLiteral("runtime"));
        ::chmod(QFile::encodeName(m_runtime).constData(), 0700);
        if (::chown(QFile::encodeName(m_runtime).constData(), 65534, 65534) != 0)
            m_why = QStringLiteral("cannot give nobody a runtime folder");
        const CliRun probe = Run({QStringLiteral("--help")});
        if (m_why.isEmpty() && probe.exitCode != 0)
            m_why = QStringLiteral("nobody cannot run the copy of rovana-cli in ") + m_dir.path();
    }

    QString WhyNot() const { return m_why; }

    CliRun Run(const QStringList& args) const
    {
        QProcess p;
        if (!m_runtime.isEmpty()) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
            p.setProcessEnvironment(env);
        }
        p.setChildProcessModifier([] {
            if (::geteuid() == 0 &&
                (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(120);
        });
        p.start(m_program, args);
        p.waitForFinished(30000);
        return {p.exitCode(), p.readAllStandardOutput(),
                QString::fromUtf8(p.readAllStandardError()), 0};
    }

private:
    QTemporaryDir m_dir;
    QString m_program;
    QString m_runtime; // XDG_RUNTIME_DIR for nobody
    QString m_why;
};

} // namespace rovana::test
