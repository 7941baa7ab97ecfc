#pragma once

#include "ProcessingChain.h"
#include "ReportSettings.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <array>
#include <optional>

namespace rovana {

// What holds for every test of a folder, kept beside the tests in "rovana-site.json". Only
// SiteStore reads and writes that file; these are its contents and their JSON form.
inline const QString kSiteFileName = QStringLiteral("rovana-site.json");
inline constexpr int kSiteFileVersion = 1;
// A larger site file is none of this program's.
inline constexpr qint64 kLargestSiteFile = 1 << 20;

// The last wave-speed calibration applied to the folder. Each file's own previous speed is
// in the calibration journal (CalibrationJournal.h); `previousWaveSpeed` is that of the bolt
// of known length, for the dialog.
struct SiteCalibration
{
    QString file;              // the bolt of known length, its file name
    double knownLength = 0.0;  // m
    int waveSpeed = 0;         // m/s, the speed the calibration gave
    int previousWaveSpeed = 0; // m/s, the speed of that bolt before
    QString date;              // YYYY-MM-DD
    friend bool operator==(const SiteCalibration&, const SiteCalibration&) = default;
};

// How a channel's trace is scaled for the folder, on screen and on every sheet: the
// amplitude at the top of the trace's half-height, or each test's own fit (its largest
// excursion from the blow on at 90 %, FittedAmplitude). Unset, the screen keeps the
// amplitude it has and a sheet fits.
struct TraceAmplitude
{
    enum class Mode
    {
        Unset,
        Fixed,
        Fit,
    };
    Mode mode = Mode::Unset;
    int value = 0; // sample value, > 0, for Fixed
    friend bool operator==(const TraceAmplitude&, const TraceAmplitude&) = default;
};

// The growing gain a channel's trace reaches at its right end, for the folder, on screen and
// on every sheet: 0 leaves a view at what a load gives it (1, no gain) and a sheet without.
inline constexpr int kLargestGrowingGain = 1000;

struct SiteFile
{
    std::optional<SiteCalibration> calibration;
    std::array<TraceAmplitude, 3> amplitude{}; // per channel
    std::array<int, 3> growingGain{};          // per channel, 0..kLargestGrowingGain
    processing::ChainSettings chain; // applied to every time-domain trace of the folder
    QString referenceFile;           // the reference bolt's file name; empty for none
    ReportSettings report;           // the inspection report's texts
    // The document as it was read: every key this program does not know, at any depth, is
    // written back as it was.
    QJsonObject document;
};

// The settings of a site file's bytes. Nothing, with `why` in the program's words, for
// bytes that are not a JSON object, a version newer than this program's, or a known key of
// the wrong type or an unknown value ("“processing.order”应为整数"): such a file belongs to
// somebody else and is never overwritten. A reference name that would reach outside the
// folder is read as none.
std::optional<SiteFile> ParseSiteFile(const QByteArray& bytes, QString* why = nullptr);

// The bytes that keep `site`: its document with the known keys set from the values.
QByteArray SiteFileBytes(const SiteFile& site);

} // namespace rovana
