#pragma once

// A site folder of test files with distinct values in every column, and the table and
// statistics their result sheets give.
#include "AnalysisSave.h"
#include "InstrumentFile.h"
#include "ProjectInfoSave.h"
#include "SummaryTable.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace rovana::test {

using SummaryTexts = std::array<QString, summary::kColumnCount>;

struct SiteFile
{
    QString name;
    QByteArray bytes;
    SummaryTexts expected; // the row's cells as the table shows them
};

inline QByteArray Instrument(int interval, int waveSpeed, float designLength, const QString& file,
                             int day)
{
    InstrumentRecord r = SampleRecord();
    r.sampleInterval = interval;
    r.waveSpeed = waveSpeed;
    r.designLength = designLength;
    r.file = file;
    r.day = day;
    return ComposeInstrumentFile(r);
}

// Channel `c` as a clean record of a bolt: the blow (a half-sine of 20 samples) peaking at
// sample 30, the grout's start reflecting opposite 40 samples later, the bottom echo
// `bottom` samples after the blow, a little noise.
inline void WithEchoes(QByteArray& bytes, int c, int bottom)
{
    std::vector<double> trace(2048, 0.0);
    unsigned noise = 977u + static_cast<unsigned>(c);
    for (double& v : trace) {
        noise = noise * 1103515245u + 12345u;
        v = static_cast<double>(static_cast<int>(noise >> 16) % 21 - 10);
    }
    const auto pulse = [&trace](int start, double amplitude) {
        for (int k = 0; k <= 20; ++k)
            trace[static_cast<std::size_t>(start + k)] += amplitude * std::sin(M_PI * k / 20.0);
    };
    pulse(20, 3000.0);
    pulse(60, -900.0);
    pulse(20 + bottom, 700.0);
    for (int i = 0; i < 2048; ++i) {
        const auto v = static_cast<std::int16_t>(std::lround(trace[static_cast<std::size_t>(i)]));
        const int pos = 1024 + 2 * (2048 * c + i);
        bytes[pos] = static_cast<char>(v & 0xff);
        bytes[pos + 1] = static_cast<char>((v >> 8) & 0xff);
    }
}

// Markers of one channel: a position <= 0 leaves that marker unset. Grade and class are
// indices, -1 for none. The lengths and class stored beside them are copies the program
// never reads: they may disagree with what the markers measure.
inline ChannelAnalysis Channel(std::array<int, 5> markers, float l0, float lr, int grade = -1,
                               int qualityClass = -1)
{
    ChannelAnalysis c;
    c.grade = grade;
    c.qualityClass = qualityClass;
    for (int k = 0; k < 5; ++k) {
        c.markerSet[k] = markers[k] > 0;
        c.markerPos[k] = markers[k];
    }
    c.measuredL0 = l0;
    c.measuredLr = lr;
    return c;
}

inline void Analyse(QByteArray& bytes, int reportChannel, int waveSpeed,
                    const std::array<ChannelAnalysis, 3>& channels)
{
    AnalysisValues v;
    v.channels = channels;
    v.activeChannel = reportChannel;
    v.waveSpeed = waveSpeed;
    PatchAnalysis(bytes, v);
}

inline void SaveInfo(QByteArray& bytes, int reportChannel, const QString& boltNo,
                     const QString& grade, const QString& qualityClass, const QString& project,
                     const QString& unit)
{
    ProjectInfoValues p;
    p.reportChannel = reportChannel;
    p.title = QStringLiteral("单根锚杆检测结果表");
    p.boltNo = boltNo;
    p.gradeText = grade;
    p.qualityClass = qualityClass;
    p.projectName = project;
    p.testUnit = unit;
    EXPECT_TRUE(PatchProjectInfo(bytes, p));
}

// The files, in the order the folder lists them, each with its expected row.
inline std::vector<SiteFile> SiteFiles()
{
    std::vector<SiteFile> files;

    // Evaluated, report channel 1 with a defect; channel 0 holds other lengths and markers.
    // One sample of 10 µs at 3500 m/s is 0.0175 m: free end 100 samples after the end
    // (1.75 m), bottom 300 (5.25 m); defect depths 100 and 200 samples. The stored lengths
    // disagree with the markers: the markers decide.
    QByteArray a = Instrument(10, 3500, 5.5f, QStringLiteral("MG0001"), 12);
    Analyse(a, 1, 3500,
            {Channel({30, 60, 200, 90, 110}, 0.5f, 2.0f),
             Channel({20, 120, 320, 120, 220}, 1.25f, 4.5f, 1, 3), Channel({0, 0, 0, 0, 0}, 0, 0)});
    WithEchoes(a, 1, 300);
    SaveInfo(a, 1, QStringLiteral("B-01"), QStringLiteral("b 90%~80%"), QStringLiteral("II"),
             QStringLiteral("隧道左线"), QStringLiteral("岩土检测中心"));
    files.push_back({QStringLiteral("A01.mg"),
                     a,
                     {"1", "B-01", "2026-05-12", "5.50", "5.25", "1.75", "3.50", "95.5",
                      "1.75-3.50", "B 90%~80%", "II", "合格", "5.25", "", "A01.mg"}});

    // As the instrument left it: the bolt number is the instrument's file text. A length
    // found but none saved: nothing to look at twice.
    QByteArray b = Instrument(10, 3500, 3.5f, QStringLiteral("MG0002"), 13);
    WithEchoes(b, 0, 200);
    files.push_back({QStringLiteral("A02.mg"),
                     b,
                     {"2", "MG0002", "2026-05-13", "3.50", "", "", "", "", "", "", "", "未评定",
                      "3.50", "", "A02.mg"}});

    // Class IV, whatever the saved copy's case; a defect start without a defect end prints no
    // range.
    QByteArray c = Instrument(10, 3500, 6.0f, QStringLiteral("MG0003"), 14);
    Analyse(c, 0, 3500,
            {Channel({20, 120, 220, 150, 0}, 1.0f, 2.0f, 3, 0), Channel({0, 0, 0, 0, 0}, 0, 0),
             Channel({0, 0, 0, 0, 0}, 0, 0)});
    WithEchoes(c, 0, 250); // found 25 % from the marked 3.50 m
    SaveInfo(c, 0, QStringLiteral("B-03"), QStringLiteral("D <75%"), QStringLiteral("iv"),
             QStringLiteral("隧道左线"), QStringLiteral("岩土检测中心"));
    files.push_back({QStringLiteral("A03.mg"),
                     c,
                     {"3", "B-03", "2026-05-14", "6.00", "3.50", "1.75", "1.75", "58.3", "",
                      "D <75%", "IV", "不合格", "4.38", "请复核", "A03.mg"}});

    // Too short to be a test file.
    files.push_back(
        {QStringLiteral("A04.mg"),
         Instrument(10, 3500, 6.0f, QStringLiteral("MG0004"), 15).left(4000),
         {"4", "", "", "", "", "", "", "", "", "", "", "无法读取文件", "", "", "A04.mg"}});

    // Report channel 2; one sample of 3 µs at 3600 m/s is 0.0054 m: free end 150 samples
    // (0.81 m), bottom 600 (3.24 m). The depths are cut, not rounded: 37 samples are
    // 0.1998 m, 74 samples 0.3996 m. Channel 0 has a defect of its own.
    QByteArray e = Instrument(3, 3600, 3.2f, QStringLiteral("MG0005"), 16);
    Analyse(e, 2, 3600,
            {Channel({20, 60, 200, 90, 110}, 0.5f, 1.0f), Channel({0, 0, 0, 0, 0}, 0, 0),
             Channel({10, 160, 610, 47, 84}, 0.75f, 2.5f, 0, 0)});
    WithEchoes(e, 2, 602); // 3.25 m found
    SaveInfo(e, 2, QStringLiteral("B\"05,x"), QStringLiteral("A >=90%"), QStringLiteral("I"),
             QStringLiteral("边坡支护"), QStringLiteral("岩土检测中心"));
    files.push_back({QStringLiteral("A05.mg"),
                     e,
                     {"5", "B\"05,x", "2026-05-16", "3.20", "3.24", "0.81", "2.43", "101.3",
                      "0.19-0.39", "A >=90%", "I", "合格", "3.25", "", "A05.mg"}});

    // A grade without a class, on a channel without an end marker, and copies of the report
    // information that still say C and II: not measured, not evaluated. The saved bolt
    // number is empty: the instrument's file text stands in. No design length: no ratio.
    QByteArray f = Instrument(10, 3500, 0.0f, QStringLiteral("MG0006"), 17);
    Analyse(f, 0, 3500,
            {Channel({0, 50, 200, 80, 120}, 0.8f, 1.2f, 2, -1), Channel({0, 0, 0, 0, 0}, 0, 0),
             Channel({0, 0, 0, 0, 0}, 0, 0)});
    WithEchoes(f, 0, 100);
    SaveInfo(f, 0, QString(), QStringLiteral("C 80%~75%"), QStringLiteral("II"), QString(),
             QString());
    files.push_back({QStringLiteral("A06.mg"),
                     f,
                     {"6", "MG0006", "2026-05-17", "0.00", "", "", "", "", "", "", "", "未评定",
                      "1.75", "", "A06.mg"}});
    return files;
}

// The statistics of SiteFiles: 3 evaluated (A01, A03, A05), 2 not (A02, A06), 1
// unreadable; classes II, IV, I; grades B, D, A; 2 of 3 pass; lengths 3.24 .. 5.25 (A02
// and A06 have none); ratios 95.5, 58.3, 101.3.
inline summary::SummaryStatistics SiteStatistics()
{
    summary::SummaryStatistics s;
    s.bolts = 6;
    s.evaluated = 3;
    s.notEvaluated = 2;
    s.unreadable = 1;
    s.passed = 2;
    s.review = 1; // A03
    s.classCounts = {1, 1, 0, 1};
    s.gradeCounts = {1, 1, 0, 1};
    s.passRate = 66.7;
    s.minLength = 3.24;
    s.maxLength = 5.25;
    s.meanRatio = 85.0;
    return s;
}

// A folder holding SiteFiles and a file that is no test file.
class SiteFolder
{
public:
    SiteFolder()
    {
        EXPECT_TRUE(m_dir.isValid());
        for (const SiteFile& f : SiteFiles())
            EXPECT_TRUE(WriteBytes(Path(f.name), f.bytes));
        EXPECT_TRUE(WriteBytes(Path(QStringLiteral("notes.txt")), "not a test"));
    }
    QString Folder() const { return m_dir.path(); }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

} // namespace rovana::test
