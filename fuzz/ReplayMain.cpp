// Replays fuzz inputs without libFuzzer: each argument is a file or a folder of files,
// every one goes through CheckRecordBytes and CheckTestFileBytes. Exit status 0 when all passed (a
// broken promise aborts), 1 when an input could not be read or there was none.
#include "RecordFuzzCheck.h"
#include "TestFileFuzzCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv)
{
    QStringList inputs;
    for (int i = 1; i < argc; ++i) {
        const QFileInfo arg(QString::fromLocal8Bit(argv[i]));
        if (arg.isDir()) {
            const QDir dir(arg.filePath());
            for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name))
                inputs.append(dir.filePath(name));
        } else {
            inputs.append(arg.filePath());
        }
    }
    if (inputs.isEmpty()) {
        std::fprintf(stderr, "usage: fuzz_replay FILE|FOLDER...\n");
        return 1;
    }
    for (const QString& input : inputs) {
        QFile file(input);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(input));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        std::printf("%s (%lld bytes)\n", qPrintable(input), static_cast<long long>(bytes.size()));
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        const auto size = static_cast<std::size_t>(bytes.size());
        rovana::fuzz::CheckRecordBytes(data, size);
        rovana::fuzz::CheckTestFileBytes(data, size);
    }
    std::printf("%lld inputs passed\n", static_cast<long long>(inputs.size()));
    return 0;
}
