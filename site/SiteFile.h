#pragma once

#include "ProcessingChain.h"
#include "SafeFileWriter.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace rovana {

// What holds for every test of a folder, kept beside the tests in "rovana-site.json".
inline const QString kSiteFileName = QStringLiteral("rovana-site.json");
inline constexpr int kSiteFileVersion = 1;

// The last wave-speed calibration applied to the folder, with the speed it replaced, so
// that it can be applied back.
struct SiteCalibration
{
    QString file;              // the bolt of known length, its file name
    double knownLength = 0.0;  // m
    int waveSpeed = 0;         // m/s, the speed the calibration gave
    int previousWaveSpeed = 0; // m/s, the speed of that bolt before
    QString date;              // YYYY-MM-DD
    friend bool operator==(const SiteCalibration&, const SiteCalibration&) = default;
};

struct SiteFile
{
    std::optional<SiteCalibration> calibration;
    processing::ChainSettings chain; // applied to every time-domain trace of the folder
    QString referenceFile;           // the reference bolt's file name; empty for none
    QJsonObject other;               // keys this program does not read, kept as they were
};

// The folder's site file; defaults when there is none. A file that is not this program's
// JSON gives the defaults and `why`.
SiteFile ReadSiteFile(const QString& folder, QString* why = nullptr);

// Writes the site file through the safe writer.
WriteResult WriteSiteFile(const QString& folder, const SiteFile& site,
                          const WriteOptions& options = {});

} // namespace rovana
