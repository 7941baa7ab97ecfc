#include "SiteFile.h"

#include "MgFileIo.h"
#include "TestFileCheck.h"

#include <QJsonDocument>

namespace rovana {

namespace {

constexpr qint64 kLargestSiteFile = 1 << 20;

QString PathIn(const QString& folder)
{
    return folder + QLatin1Char('/') + kSiteFileName;
}

} // namespace

SiteFile ReadSiteFile(const QString& folder, QString* why)
{
    SiteFile site;
    const RegularFileRead read = ReadRegularFile(PathIn(folder), kLargestSiteFile);
    if (read.check == TestFileCheck::Missing)
        return site;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(read.bytes, &error);
    if (read.check != TestFileCheck::Ok || !doc.isObject()) {
        if (why)
            *why = QStringLiteral("无法读取现场设置 %1").arg(kSiteFileName);
        return site;
    }
    site.other = doc.object();
    site.other.remove(QStringLiteral("version"));
    const QJsonObject c = site.other.take(QStringLiteral("calibration")).toObject();
    if (!c.isEmpty())
        site.calibration = SiteCalibration{c.value(QStringLiteral("file")).toString(),
                                           c.value(QStringLiteral("knownLength")).toDouble(),
                                           c.value(QStringLiteral("waveSpeed")).toInt(),
                                           c.value(QStringLiteral("previousWaveSpeed")).toInt(),
                                           c.value(QStringLiteral("date")).toString()};
    return site;
}

WriteResult WriteSiteFile(const QString& folder, const SiteFile& site, const WriteOptions& options)
{
    QJsonObject root = site.other;
    root.insert(QStringLiteral("version"), kSiteFileVersion);
    if (const auto& c = site.calibration)
        root.insert(QStringLiteral("calibration"),
                    QJsonObject{{QStringLiteral("file"), c->file},
                                {QStringLiteral("knownLength"), c->knownLength},
                                {QStringLiteral("waveSpeed"), c->waveSpeed},
                                {QStringLiteral("previousWaveSpeed"), c->previousWaveSpeed},
                                {QStringLiteral("date"), c->date}});
    return WriteWholeFileSafely(PathIn(folder), QJsonDocument(root).toJson(), options);
}

} // namespace rovana
