// Writes a labelled test set for the echo picker: one ".mg" file per model bolt and one
// truth file, truth.csv, for the set.
//
// Usage: rovana-make-boltset DIR [COUNT [FIRST_SEED]]   (COUNT 1..100000, default 200;
// FIRST_SEED default 1000001, the held-out seeds of the picker's benchmark)
//
// The bolts come from tools/BoltModel.h: a 1-D bar with the free section and the grouted
// section as impedance steps, energy leaking into the grout, a half-sine or bell blow, the
// sensor's high-pass, ringing, noise, drift, hum and int16 rounding. Its header lists the
// parameter ranges: length 1.5..12 m, free length 0.2..1.5 m, wave speed 3000..5500 m/s,
// intervals of 2, 5 or 10 us, 1024 or 2048 samples, blow 0.1..0.4 ms, grout impedance
// 1.5..3 times the bar's, voids of 1.0..1.15, signal-to-noise ratio 10..35 dB. The same
// seed always gives the same file.
//
// All three channels record the same bolt with independent noise; the report channel is
// channel 1. truth.csv has one row per file: the sample numbers an engineer would mark
// (the blow's peak, the free end and the bottom as the blow's peak plus the round trip,
// unrounded), whether the bottom and the free end can be seen (decided from the noise-free
// echoes before the noise is drawn), the built and design lengths, and the voids.
#include "BoltModel.h"
#include "InstrumentFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using rovana::boltmodel::BoltParameters;
using rovana::boltmodel::ModelBolt;

rovana::InstrumentRecord RecordOf(const BoltParameters& p, const QString& name)
{
    rovana::InstrumentRecord r;
    r.highPass = static_cast<int>(p.highPassHz);
    r.lowPass = 20000;
    r.sampleInterval = p.sampleInterval;
    r.sampleCount = p.sampleCount;
    r.waveSpeed = p.waveSpeed;
    r.designLength = static_cast<float>(p.designLength);
    r.designL0 = static_cast<float>(p.designFreeLength);
    r.project = QStringLiteral("模型锚杆");
    r.file = name;
    r.year = 2026;
    r.month = 9;
    r.day = 1;
    for (int c = 0; c < rovana::kChannelCount; ++c) {
        BoltParameters again = p;
        again.noiseSeed = p.noiseSeed + static_cast<std::uint64_t>(c);
        const ModelBolt bolt = rovana::boltmodel::Synthesize(again);
        for (std::size_t i = 0; i < bolt.samples.size(); ++i)
            r.samples[static_cast<std::size_t>(c)][i] = bolt.samples[i];
    }
    return r;
}

std::string TruthRow(const QString& file, std::uint64_t seed, const ModelBolt& bolt)
{
    const BoltParameters& p = bolt.parameters;
    const auto& t = bolt.truth;
    char buf[512];
    std::snprintf(buf, sizeof buf,
                  "%s,%llu,%d,%d,%d,%.3f,%.3f,%.3f,%.3f,%.3f,%.3f,%d,%.2f,%d,%.2f,%.1f,%.3f,%.2f,",
                  qPrintable(file), static_cast<unsigned long long>(seed), p.sampleInterval,
                  p.sampleCount, p.waveSpeed, p.length, p.freeLength, p.designLength,
                  p.designFreeLength, t.freeEnd, t.bottom, t.end, t.bottomSnr,
                  t.bottomVisible ? 1 : 0, t.freeEndSnr, p.snrDb, p.blowMs, p.groutImpedance);
    std::string row = std::string(buf) + (t.freeEndVisible ? "1" : "0") + ",";
    // Voids as top:bottom:visible, separated by spaces.
    for (std::size_t i = 0; i < t.voids.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%s%d:%d:%d", i == 0 ? "" : " ", t.voids[i].top,
                      t.voids[i].bottom, t.voids[i].visible ? 1 : 0);
        row += buf;
    }
    return row + "\n";
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const long count = argc >= 3 ? std::strtol(argv[2], nullptr, 10) : 200;
    const unsigned long long first = argc >= 4 ? std::strtoull(argv[3], nullptr, 10) : 1000001ULL;
    // An option is no folder: "--help" once made a folder of that name.
    if (argc < 2 || argc > 4 || count < 1 || count > 100000 || argv[1][0] == '-') {
        std::fprintf(stderr, "用法: rovana-make-boltset DIR [COUNT [FIRST_SEED]]\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "无法创建文件夹: %s\n", argv[1]);
        return 1;
    }
    std::string truth = "file,seed,interval_us,samples,wave_speed,length_m,free_length_m,"
                        "design_length_m,design_free_length_m,free_end_sample,bottom_sample,"
                        "end_sample,bottom_snr,bottom_visible,free_end_snr,snr_db,blow_ms,"
                        "grout_impedance,free_end_visible,voids\n";
    for (long i = 0; i < count; ++i) {
        const std::uint64_t seed = first + static_cast<std::uint64_t>(i);
        const BoltParameters p = rovana::boltmodel::DrawBolt(seed);
        const ModelBolt bolt = rovana::boltmodel::Synthesize(p);
        const QString name = QStringLiteral("B%1").arg(i + 1, 5, 10, QLatin1Char('0'));
        const QString file = name + QStringLiteral(".mg");
        if (!WriteFile(dir.filePath(file), rovana::ComposeInstrumentFile(RecordOf(p, name)))) {
            std::fprintf(stderr, "无法创建文件: %s\n", qPrintable(dir.filePath(file)));
            return 1;
        }
        truth += TruthRow(file, seed, bolt);
    }
    if (!WriteFile(dir.filePath(QStringLiteral("truth.csv")), QByteArray::fromStdString(truth))) {
        std::fprintf(stderr, "无法创建文件: %s\n", qPrintable(dir.filePath("truth.csv")));
        return 1;
    }
    std::printf("%ld bolts and truth.csv in %s\n", count, argv[1]);
    return 0;
}
