#include "SiteFile.h"

#include "MgFileIo.h"
#include "TestFileCheck.h"

#include <QJsonDocument>

namespace rovana {

namespace {

constexpr qint64 kLargestSiteFile = 1 << 20;

const char* const kFilterNames[] = {"none", "lowpass", "highpass", "bandpass"};
const char* const kGainNames[] = {"none", "linear", "exponential"};

template <typename E, std::size_t N> E Named(const QString& name, const char* const (&names)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        if (name == QLatin1String(names[i]))
            return static_cast<E>(i);
    return static_cast<E>(0);
}

QJsonObject ChainJson(const processing::ChainSettings& c)
{
    return {{QStringLiteral("enabled"), c.enabled},
            {QStringLiteral("filter"), kFilterNames[static_cast<int>(c.filter)]},
            {QStringLiteral("order"), c.order},
            {QStringLiteral("lowHz"), c.lowHz},
            {QStringLiteral("highHz"), c.highHz},
            {QStringLiteral("gain"), kGainNames[static_cast<int>(c.gain)]},
            {QStringLiteral("gainAtDesign"), c.gainAtDesign}};
}

processing::ChainSettings ChainOf(const QJsonObject& o)
{
    processing::ChainSettings c;
    c.enabled = o.value(QStringLiteral("enabled")).toBool();
    c.filter =
        Named<processing::FilterKind>(o.value(QStringLiteral("filter")).toString(), kFilterNames);
    c.order = o.value(QStringLiteral("order")).toInt(c.order);
    c.lowHz = o.value(QStringLiteral("lowHz")).toDouble();
    c.highHz = o.value(QStringLiteral("highHz")).toDouble();
    c.gain = Named<processing::GainKind>(o.value(QStringLiteral("gain")).toString(), kGainNames);
    c.gainAtDesign = o.value(QStringLiteral("gainAtDesign")).toDouble(c.gainAtDesign);
    return c;
}

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
    site.chain = ChainOf(site.other.take(QStringLiteral("processing")).toObject());
    site.referenceFile = site.other.take(QStringLiteral("reference"))
                             .toObject()
                             .value(QStringLiteral("file"))
                             .toString();
    // A name with a separator would reach outside the folder: not a reference of it.
    if (site.referenceFile.contains(QLatin1Char('/')) ||
        site.referenceFile == QLatin1String("..") || site.referenceFile == QLatin1String("."))
        site.referenceFile.clear();
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
    root.insert(QStringLiteral("processing"), ChainJson(site.chain));
    if (!site.referenceFile.isEmpty())
        root.insert(QStringLiteral("reference"),
                    QJsonObject{{QStringLiteral("file"), site.referenceFile}});
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
