// Writes the shipped sample tests: synthetic sonic-echo records of anchor bolts.
// Usage: rovana-make-samples DIR   (the output is the same on every run)
#include "AnalysisSave.h"
#include "InstrumentFile.h"
#include "Lengths.h"
#include "ProjectInfoSave.h"
#include "QualityClass.h"
#include "ResultSave.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

using rovana::InstrumentRecord;

// A small deterministic generator, so the samples never depend on the library.
class Noise
{
public:
    explicit Noise(std::uint64_t seed) : m_state(seed) {}
    double uniform()
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(m_state >> 11) / 9007199254740992.0;
    }
    double gauss()
    {
        const double u1 = uniform() + 1e-12, u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }

private:
    std::uint64_t m_state;
};

struct Reflector
{
    double depth;     // m below the bolt head
    double amplitude; // relative to the blow; negative for a rise in impedance
};

struct Bolt
{
    const char* fileName;
    InstrumentRecord rec;
    double startMs; // arrival of the blow in the record
    double pulseMs; // width of the half-sine blow
    double damping; // 1/ms
    std::vector<Reflector> reflectors;
    int silentChannel = -1; // a channel the instrument did not record
    std::uint64_t seed;
};

// One echo: a half-sine of `widthMs` starting at `t0Ms`.
double HalfSine(double tMs, double t0Ms, double widthMs)
{
    const double u = (tMs - t0Ms) / widthMs;
    return (u < 0.0 || u > 1.0) ? 0.0 : std::sin(3.141592653589793 * u);
}

void Synthesize(Bolt& bolt)
{
    auto& rec = bolt.rec;
    const double dtMs = rec.sampleInterval / 1000.0;
    for (int c = 0; c < rovana::kChannelCount; ++c) {
        Noise noise(bolt.seed * 7919 + static_cast<std::uint64_t>(c));
        const double gain = 1500.0 * (1.0 - 0.08 * c);
        for (int i = 0; i < rovana::kMaxSampleCount; ++i) {
            double v = 0.0;
            if (c != bolt.silentChannel && i < rec.sampleCount) {
                const double t = i * dtMs;
                v = HalfSine(t, bolt.startMs, bolt.pulseMs);
                // Each reflector echoes once and again after a second round trip.
                for (const Reflector& r : bolt.reflectors) {
                    const double delay = 2.0 * r.depth / rec.waveSpeed * 1000.0;
                    for (int k = 1; k <= 3; ++k) {
                        const double at = bolt.startMs + k * delay;
                        const double decay = std::exp(-bolt.damping * k * delay);
                        v += std::pow(r.amplitude, k) * decay *
                             HalfSine(t, at, bolt.pulseMs * (1.0 + 0.15 * k));
                    }
                }
                // Ringing of the bolt head, then sensor noise.
                if (t > bolt.startMs)
                    v += 0.06 * std::exp(-(t - bolt.startMs) * 1.5) *
                         std::sin(6.283185307179586 * 0.9 * (t - bolt.startMs));
                v = v * gain + 12.0 * noise.gauss();
            }
            rec.samples[c][i] =
                static_cast<std::int16_t>(std::lround(std::clamp(v, -32767.0, 32767.0)));
        }
    }
}

InstrumentRecord Acquisition(int interval, int count, int speed, float length, float l0,
                             const char* project, const char* file, int y, int m, int d)
{
    InstrumentRecord r;
    r.highPass = 10;
    r.lowPass = 5000;
    r.sampleInterval = interval;
    r.sampleCount = count;
    r.reserved = {1, 8, 0, 0};
    r.waveSpeed = speed;
    r.designLength = length;
    r.designL0 = l0;
    r.project = QString::fromUtf8(project);
    r.file = QString::fromUtf8(file);
    r.year = y;
    r.month = m;
    r.day = d;
    return r;
}

std::vector<Bolt> Bolts()
{
    return {
        {"MG0001.mg",
         Acquisition(10, 1024, 3500, 3.5f, 0.5f, "SD-K12", "MG0001", 2026, 5, 12),
         0.2,
         0.18,
         0.25,
         {{0.5, -0.18}, {3.5, 0.55}},
         -1,
         1},
        {"MG0002.mg",
         Acquisition(5, 2048, 4200, 4.0f, 0.3f, "隧道左线", "MG0002", 2026, 5, 12),
         0.15,
         0.12,
         0.3,
         {{0.3, -0.15}, {2.1, 0.3}, {4.0, 0.45}},
         -1,
         2},
        {"MG0003.mg",
         Acquisition(10, 2048, 3800, 6.0f, 1.0f, "边坡支护", "MG0003", 2026, 6, 3),
         0.2,
         0.2,
         0.2,
         {{1.0, -0.25}, {6.0, 0.4}},
         -1,
         3},
        {"MG0004.mg",
         Acquisition(10, 1024, 5000, 12.0f, 2.0f, "K15+200", "MG0004", 2026, 6, 4),
         0.25,
         0.22,
         0.12,
         {{2.0, -0.2}, {11.45, 0.35}},
         -1,
         4},
        {"MG0005.mg",
         Acquisition(2, 2048, 4800, 2.5f, 0.2f, "基坑", "MG0005", 2026, 7, 21),
         0.05,
         0.06,
         0.6,
         {{0.2, -0.1}, {1.2, 0.45}, {1.5, -0.2}, {2.5, 0.3}},
         2,
         5},
        {"MG0006.mg",
         Acquisition(10, 1500, 3000, 9.0f, 1.5f, "YYL-09", "MG0006", 2026, 8, 30),
         0.3,
         0.25,
         0.15,
         {{1.5, -0.2}, {9.0, 0.3}},
         -1,
         6},
    };
}

// The third sample carries a saved analysis and saved project information, as after an
// engineer's work; the others are as the instrument left them.
void AddAnalysis(QByteArray& bytes, const InstrumentRecord& r)
{
    const auto pos = [&](double metres) {
        return static_cast<int>(20 + metres * 2.0 / r.waveSpeed * 1e6 / r.sampleInterval);
    };
    // Lengths and class as the program computes them from these markers, so that the
    // screen, the sheet and a save of the unchanged file agree with what is stored.
    const int bottom = pos(6.0);
    const int freeEnd = pos(1.0);
    const float total =
        rovana::MarkerLength(bottom, 20, r.sampleInterval, r.waveSpeed);
    const float l0 = rovana::TruncToCentimetres(
        rovana::MarkerLength(freeEnd, 20, r.sampleInterval, r.waveSpeed));
    const int grade = 1;
    rovana::AnalysisValues a;
    for (int c = 0; c < 2; ++c) {
        auto& ch = a.channels[c];
        ch.markerSet = {true, true, true, false, false};
        ch.markerPos = {20, freeEnd, bottom, 0, 0};
        ch.measuredL0 = l0;
        ch.measuredLr = total - l0;
        ch.grade = grade;
        ch.qualityClass = rovana::DeriveQualityClass(grade, r.designLength, total);
        ch.anchor = total - l0;
    }
    a.activeChannel = 1;
    a.waveSpeed = r.waveSpeed;
    rovana::PatchAnalysis(bytes, a);

    rovana::ProjectInfoValues p;
    p.reportChannel = 1;
    p.waveSpeed = QString::number(r.waveSpeed);
    p.boltType = 0;
    p.designGrade = 0;
    p.title = rovana::kReportTitle;
    p.itemName = QStringLiteral("边坡锚杆");
    p.boltNo = QStringLiteral("MG0003");
    p.testDate = QStringLiteral("2026-06-03");
    p.testUnit = QStringLiteral("华东岩土工程检测中心");
    p.tester = QStringLiteral("王工");
    p.testBasis = QStringLiteral("JCJ/T 182-2009");
    p.instrument = QStringLiteral("TQ-RX");
    p.installDate = QStringLiteral("2026-05-20");
    p.projectName = QStringLiteral("城西快速路边坡支护工程");
    p.designDiameter = "25";
    p.testDiameter = "25";
    rovana::PatchProjectInfo(bytes, p);
    // The report information's copies of the analysis, as every save writes them.
    rovana::PatchResults(bytes, a);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: rovana-make-samples DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    for (Bolt& bolt : Bolts()) {
        Synthesize(bolt);
        QByteArray bytes = rovana::ComposeInstrumentFile(bolt.rec);
        if (QString::fromLatin1(bolt.fileName) == "MG0003.mg")
            AddAnalysis(bytes, bolt.rec);
        QSaveFile out(dir.filePath(QString::fromLatin1(bolt.fileName)));
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
            std::fprintf(stderr, "cannot write %s\n", bolt.fileName);
            return 1;
        }
        std::printf("%s\n", qPrintable(out.fileName()));
    }
    return 0;
}
