// Writes a labelled test set for the echo picker: one ".mg" file per model bolt and one
// truth file, truth.csv, for the set.
//
// Usage: rovana-make-boltset DIR [COUNT [FIRST_SEED]]        (the layered model)
//        rovana-make-wave-boltset DIR [COUNT [FIRST_SEED]]   (the bar solved in time)
// COUNT 1..100000, default 200; FIRST_SEED default 1000001, the held-out seeds of the
// picker's benchmark. The same seed always gives the same file.
//
// rovana-make-boltset's bolts come from tools/BoltModel.h: a 1-D bar with the free section
// and the grouted section as impedance steps, energy leaking into the grout, a half-sine
// or bell blow, the sensor's high-pass, ringing, noise, drift, hum and int16 rounding.
// rovana-make-wave-boltset's come from tools/WaveBolt.h: the wave equation solved in time
// with a continuous impedance profile, a hammer's contact, plate and nut, grout whose hold
// varies, voids and neckings, a sensor with its own response, white and pink noise, hum,
// drift and int16 rounding. Both headers list their parameter ranges: length 1.5..12 m,
// free length 0.2..1.5 m, wave speed 3000..5500 m/s, intervals of 2, 5 or 10 us, 1024 or
// 2048 samples, blow 0.1..0.4 ms, grout impedance 1.5..3 times the bar's,
// signal-to-noise ratio 10..35 dB.
//
// All three channels record the same bolt with independent noise (in the wave model each
// with its own blow, a little harder or softer); the report channel is channel 1.
// truth.csv has one row per file: the sample numbers an engineer would mark (the blow's
// peak, the free end and the bottom as the blow's peak plus the round trip, unrounded),
// whether the bottom and the free end can be seen (decided from the noise-free echoes
// before the noise is drawn), the built and design lengths, and the defects, as samples
// (top:bottom:visible) and as metres below the head (top-bottom:kind:visible).
#include "InstrumentFile.h"
#include "LabelledBolt.h"
#include "SafeFileWriter.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using rovana::boltmodel::LabelledBolt;
using rovana::boltmodel::Model;

#ifdef ROVANA_WAVE_MODEL
constexpr Model kModel = Model::Wave;
constexpr const char* kProgram = "rovana-make-wave-boltset";
#else
constexpr Model kModel = Model::Layered;
constexpr const char* kProgram = "rovana-make-boltset";
#endif

rovana::InstrumentRecord RecordOf(const LabelledBolt& b, std::uint64_t seed, const QString& name)
{
    rovana::InstrumentRecord r;
    r.highPass = b.highPassHz;
    r.lowPass = 20000;
    r.sampleInterval = b.sampleInterval;
    r.sampleCount = static_cast<int>(b.samples.size());
    r.waveSpeed = b.waveSpeed;
    r.designLength = static_cast<float>(b.designLength);
    r.designL0 = static_cast<float>(b.designFreeLength);
    r.project = QStringLiteral("模型锚杆");
    r.file = name;
    r.year = 2026;
    r.month = 9;
    r.day = 1;
    const auto channels = rovana::boltmodel::RecordChannels(kModel, seed, rovana::kChannelCount);
    for (int c = 0; c < rovana::kChannelCount; ++c) {
        const auto& samples = channels[static_cast<std::size_t>(c)];
        for (std::size_t i = 0; i < samples.size() && i < 2048; ++i)
            r.samples[static_cast<std::size_t>(c)][i] = samples[i];
    }
    return r;
}

std::string TruthRow(const QString& file, const LabelledBolt& b)
{
    char buf[512];
    std::snprintf(buf, sizeof buf,
                  "%s,%llu,%d,%zu,%d,%.3f,%.3f,%.3f,%.3f,%.3f,%.3f,%d,%.2f,%d,%.2f,%.1f,%.3f,%d,",
                  qPrintable(file), static_cast<unsigned long long>(b.seed), b.sampleInterval,
                  b.samples.size(), b.waveSpeed, b.length, b.freeLength, b.designLength,
                  b.designFreeLength, b.freeEndSample, b.bottomSample, b.end, b.bottomSnr,
                  b.bottomVisible ? 1 : 0, b.freeEndSnr, b.snrDb, b.pulseMetres,
                  b.freeEndVisible ? 1 : 0);
    std::string row = buf;
    // Defects as top:bottom:visible in samples, then as metres with their kind.
    for (std::size_t i = 0; i < b.defects.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%s%d:%d:%d", i == 0 ? "" : " ", b.defects[i].topSample,
                      b.defects[i].bottomSample, b.defects[i].visible ? 1 : 0);
        row += buf;
    }
    row += ",";
    for (std::size_t i = 0; i < b.defects.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%s%.3f-%.3f:%s:%d", i == 0 ? "" : " ", b.defects[i].top,
                      b.defects[i].bottom, b.defects[i].necking ? "necking" : "void",
                      b.defects[i].visible ? 1 : 0);
        row += buf;
    }
    return row + "\n";
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    rovana::SafeFileWriter out(path);
    return out.open() && out.write(bytes) && static_cast<bool>(out.commit());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const long count = argc >= 3 ? std::strtol(argv[2], nullptr, 10) : 200;
    const unsigned long long first = argc >= 4 ? std::strtoull(argv[3], nullptr, 10) : 1000001ULL;
    // An option is no folder: "--help" once made a folder of that name.
    if (argc < 2 || argc > 4 || count < 1 || count > 100000 || argv[1][0] == '-') {
        std::fprintf(stderr, "用法: %s DIR [COUNT [FIRST_SEED]]\n", kProgram);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "无法创建文件夹: %s\n", argv[1]);
        return 1;
    }
    std::string truth = "file,seed,interval_us,samples,wave_speed,length_m,free_length_m,"
                        "design_length_m,design_free_length_m,free_end_sample,bottom_sample,"
                        "end_sample,bottom_snr,bottom_visible,free_end_snr,snr_db,pulse_m,"
                        "free_end_visible,voids,defects_m\n";
    for (long i = 0; i < count; ++i) {
        const std::uint64_t seed = first + static_cast<std::uint64_t>(i);
        const LabelledBolt bolt = rovana::boltmodel::MakeLabelledBolt(kModel, seed);
        const QString name = QStringLiteral("B%1").arg(i + 1, 5, 10, QLatin1Char('0'));
        const QString file = name + QStringLiteral(".mg");
        if (!WriteFile(dir.filePath(file),
                       rovana::ComposeInstrumentFile(RecordOf(bolt, seed, name)))) {
            std::fprintf(stderr, "无法创建文件: %s\n", qPrintable(dir.filePath(file)));
            return 1;
        }
        truth += TruthRow(file, bolt);
    }
    if (!WriteFile(dir.filePath(QStringLiteral("truth.csv")), QByteArray::fromStdString(truth))) {
        std::fprintf(stderr, "无法创建文件: %s\n", qPrintable(dir.filePath("truth.csv")));
        return 1;
    }
    std::printf("%ld bolts and truth.csv in %s\n", count, argv[1]);
    return 0;
}
