#include "SiteFiles.h"

#include "AnalysisSave.h"
#include "InstrumentFile.h"
#include "ProjectInfoSave.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace rovana::bench {

QByteArray SiteFile(int i)
{
    InstrumentRecord r;
    r.sampleInterval = 10;
    r.sampleCount = 1024;
    r.waveSpeed = 3500 + (i % 7) * 100;
    r.designLength = 3.0f + static_cast<float>(i % 9) * 0.5f;
    r.designL0 = 0.5f;
    r.project = QStringLiteral("K%1").arg(i / 100);
    r.file = QStringLiteral("MG%1").arg(i, 5, 10, QLatin1Char('0'));
    r.year = 2026;
    r.month = 1 + i % 12;
    r.day = 1 + i % 28;
    QByteArray bytes = ComposeInstrumentFile(r);
    if (i % 4 == 3)
        return bytes;
    AnalysisValues a;
    auto& ch = a.channels[static_cast<std::size_t>(i % 3)];
    const bool defect = i % 5 == 0;
    ch.markerSet = {true, true, true, defect, defect};
    ch.markerPos = {20, 60 + i % 40, 300 + i % 200, 120, 160};
    ch.measuredL0 = 0.5f + static_cast<float>(i % 3) * 0.1f;
    ch.measuredLr = 2.0f + static_cast<float>(i % 11) * 0.3f;
    a.activeChannel = i % 3;
    a.waveSpeed = r.waveSpeed;
    PatchAnalysis(bytes, a);
    ProjectInfoValues p;
    p.reportChannel = i % 3;
    p.title = QStringLiteral("单根锚杆检测结果表");
    p.boltNo = QStringLiteral("B-%1").arg(i + 1);
    p.gradeText = QStringLiteral("B 90%~80%");
    p.qualityClass = QStringList{"I", "II", "III", "IV"}[i % 4];
    p.projectName = QStringLiteral("隧道左线");
    p.testUnit = QStringLiteral("岩土检测中心");
    PatchProjectInfo(bytes, p);
    return bytes;
}

bool WriteSite(const QString& folder, int count)
{
    const QDir dir(folder);
    for (int i = 0; i < count; ++i) {
        QFile f(dir.filePath(QStringLiteral("S%1.mg").arg(i, 5, 10, QLatin1Char('0'))));
        const QByteArray bytes = SiteFile(i);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

bool ReadSiteOptions(int argc, char** argv, int minFiles, int& files, QString& folder)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--files=", 0) == 0) {
            char* end = nullptr;
            const long n = std::strtol(arg.c_str() + 8, &end, 10);
            if (*end != '\0' || n < minFiles || n > 1000000) {
                std::fprintf(stderr, "--files takes a number of files from %d to 1000000\n",
                             minFiles);
                return false;
            }
            files = static_cast<int>(n);
        } else if (arg.rfind("--folder=", 0) == 0) {
            folder = QString::fromLocal8Bit(arg.substr(9));
        } else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return false;
        }
    }
    return true;
}

} // namespace rovana::bench
