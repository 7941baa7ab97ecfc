#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace rovana::test {

// What one run of the built rovana-cli printed and returned.
struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

inline CliRun RunCli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(ROVANA_CLI_PATH), args);
    p.waitForFinished(30000);
    return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace rovana::test
