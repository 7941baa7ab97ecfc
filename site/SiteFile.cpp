#include "SiteFile.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>
#include <limits>

namespace rovana {

namespace {

const char* const kFilterNames[] = {"none", "lowpass", "highpass", "bandpass"};
const char* const kGainNames[] = {"none", "linear", "exponential"};

// Reads the known keys of a site file, each checked for its type; the first key that is
// wrong is the reason the file is not read at all.
class SiteReader
{
public:
    QString why;

    // The object at `key`, empty when absent.
    QJsonObject Object(const QJsonObject& o, const QString& key, const QString& path)
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return {};
        if (!v.isObject())
            Wrong(path, "对象");
        return v.toObject();
    }
    bool Boolean(const QJsonObject& o, const QString& key, const QString& path, bool fallback)
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return fallback;
        if (!v.isBool())
            Wrong(path, "true 或 false");
        return v.toBool(fallback);
    }
    double Number(const QJsonObject& o, const QString& key, const QString& path, double fallback)
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return fallback;
        if (!v.isDouble())
            Wrong(path, "数值");
        return v.toDouble(fallback);
    }
    int Integer(const QJsonObject& o, const QString& key, const QString& path, int fallback)
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return fallback;
        const double d = v.toDouble(std::numeric_limits<double>::quiet_NaN());
        if (!v.isDouble() || std::trunc(d) != d || d < std::numeric_limits<int>::min() ||
            d > std::numeric_limits<int>::max()) {
            Wrong(path, "整数");
            return fallback;
        }
        return static_cast<int>(d);
    }
    QString Text(const QJsonObject& o, const QString& key, const QString& path)
    {
        const QJsonValue v = o.value(key);
        if (!v.isUndefined() && !v.isString())
            Wrong(path, "文本");
        return v.toString();
    }
    template <typename E, std::size_t N>
    E Named(const QJsonObject& o, const QString& key, const QString& path,
            const char* const (&names)[N])
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return static_cast<E>(0);
        const QString name = v.toString();
        for (std::size_t i = 0; i < N; ++i)
            if (v.isString() && name == QLatin1String(names[i]))
                return static_cast<E>(i);
        if (why.isEmpty())
            why = QStringLiteral("“%1”的取值无效").arg(path);
        return static_cast<E>(0);
    }

private:
    void Wrong(const QString& path, const char* what)
    {
        if (why.isEmpty())
            why = QStringLiteral("“%1”应为%2").arg(path, QString::fromUtf8(what));
    }
};

processing::ChainSettings ChainOf(SiteReader& r, const QJsonObject& o)
{
    const QString p = QStringLiteral("processing.");
    processing::ChainSettings c;
    c.enabled = r.Boolean(o, QStringLiteral("enabled"), p + "enabled", false);
    c.filter =
        r.Named<processing::FilterKind>(o, QStringLiteral("filter"), p + "filter", kFilterNames);
    c.order = r.Integer(o, QStringLiteral("order"), p + "order", c.order);
    c.lowHz = r.Number(o, QStringLiteral("lowHz"), p + "lowHz", 0.0);
    c.highHz = r.Number(o, QStringLiteral("highHz"), p + "highHz", 0.0);
    c.gain = r.Named<processing::GainKind>(o, QStringLiteral("gain"), p + "gain", kGainNames);
    c.gainAtDesign = r.Number(o, QStringLiteral("gainAtDesign"), p + "gainAtDesign", 1.0);
    return c;
}

// "amplitude": three entries, each null (unset), "fit" or a whole number above 0.
void ReadAmplitudes(const QJsonValue& v, std::array<TraceAmplitude, 3>& out, QString& why)
{
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != 3) {
        if (why.isEmpty())
            why = QStringLiteral("“amplitude”应为三个通道的幅值");
        return;
    }
    for (qsizetype c = 0; c < 3; ++c) {
        const QJsonValue e = a[c];
        TraceAmplitude& t = out[static_cast<std::size_t>(c)];
        const double d = e.toDouble(0.0);
        if (e.isNull()) {
            t = {};
        } else if (e.isString() && e.toString() == QLatin1String("fit")) {
            t = {TraceAmplitude::Mode::Fit, 0};
        } else if (e.isDouble() && d >= 1.0 && d <= 1e9 && std::trunc(d) == d) {
            t = {TraceAmplitude::Mode::Fixed, static_cast<int>(d)};
        } else if (why.isEmpty()) {
            why = QStringLiteral("“amplitude[%1]”应为正整数、\"fit\" 或 null").arg(c);
        }
    }
}

// "growingGain": three whole numbers 0..kLargestGrowingGain.
void ReadGrowingGains(const QJsonValue& v, std::array<int, 3>& out, QString& why)
{
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != 3) {
        if (why.isEmpty())
            why = QStringLiteral("“growingGain”应为三个通道的放大倍数");
        return;
    }
    for (qsizetype c = 0; c < 3; ++c) {
        const double d = a[c].toDouble(-1.0);
        if (a[c].isDouble() && d >= 0.0 && d <= kLargestGrowingGain && std::trunc(d) == d)
            out[static_cast<std::size_t>(c)] = static_cast<int>(d);
        else if (why.isEmpty())
            why = QStringLiteral("“growingGain[%1]”应为 0 至 %2 的整数")
                      .arg(c)
                      .arg(kLargestGrowingGain);
    }
}

QString ParseErrorText(const QJsonParseError& error)
{
    return QStringLiteral("第 %1 字节处 JSON 格式错误").arg(error.offset);
}

} // namespace

std::optional<SiteFile> ParseSiteFile(const QByteArray& bytes, QString* why)
{
    const auto fail = [why](const QString& text) -> std::optional<SiteFile> {
        if (why)
            *why = text;
        return std::nullopt;
    };
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return fail(ParseErrorText(error));
    if (!doc.isObject())
        return fail(QStringLiteral("内容不是 JSON 对象"));

    SiteReader r;
    SiteFile site;
    site.document = doc.object();
    const int version =
        r.Integer(site.document, QStringLiteral("version"), QStringLiteral("version"), 1);
    if (r.why.isEmpty() && version > kSiteFileVersion)
        return fail(
            QStringLiteral("版本 %1 高于本程序支持的 %2").arg(version).arg(kSiteFileVersion));
    site.chain = ChainOf(
        r, r.Object(site.document, QStringLiteral("processing"), QStringLiteral("processing")));
    const QJsonObject reference =
        r.Object(site.document, QStringLiteral("reference"), QStringLiteral("reference"));
    site.referenceFile =
        r.Text(reference, QStringLiteral("file"), QStringLiteral("reference.file"));
    // A name with a separator would reach outside the folder: not a reference of it.
    if (site.referenceFile.contains(QLatin1Char('/')) ||
        site.referenceFile == QLatin1String("..") || site.referenceFile == QLatin1String("."))
        site.referenceFile.clear();
    if (site.document.contains(QStringLiteral("calibration"))) {
        const QString p = QStringLiteral("calibration.");
        const QJsonObject c =
            r.Object(site.document, QStringLiteral("calibration"), QStringLiteral("calibration"));
        site.calibration = SiteCalibration{
            r.Text(c, QStringLiteral("file"), p + "file"),
            r.Number(c, QStringLiteral("knownLength"), p + "knownLength", 0.0),
            r.Integer(c, QStringLiteral("waveSpeed"), p + "waveSpeed", 0),
            r.Integer(c, QStringLiteral("previousWaveSpeed"), p + "previousWaveSpeed", 0),
            r.Text(c, QStringLiteral("date"), p + "date")};
    }
    if (site.document.contains(QStringLiteral("amplitude")))
        ReadAmplitudes(site.document.value(QStringLiteral("amplitude")), site.amplitude, r.why);
    if (site.document.contains(QStringLiteral("growingGain")))
        ReadGrowingGains(site.document.value(QStringLiteral("growingGain")), site.growingGain,
                         r.why);
    site.report = ReadReportSettings(
        r.Object(site.document, QStringLiteral("report"), QStringLiteral("report")), r.why);
    if (!r.why.isEmpty())
        return fail(r.why);
    return site;
}

QByteArray SiteFileBytes(const SiteFile& site)
{
    QJsonObject root = site.document;
    root.insert(QStringLiteral("version"), kSiteFileVersion);

    QJsonObject chain = root.value(QStringLiteral("processing")).toObject();
    const processing::ChainSettings& c = site.chain;
    chain.insert(QStringLiteral("enabled"), c.enabled);
    chain.insert(QStringLiteral("filter"), kFilterNames[static_cast<int>(c.filter)]);
    chain.insert(QStringLiteral("order"), c.order);
    chain.insert(QStringLiteral("lowHz"), c.lowHz);
    chain.insert(QStringLiteral("highHz"), c.highHz);
    chain.insert(QStringLiteral("gain"), kGainNames[static_cast<int>(c.gain)]);
    chain.insert(QStringLiteral("gainAtDesign"), c.gainAtDesign);
    root.insert(QStringLiteral("processing"), chain);

    QJsonObject reference = root.value(QStringLiteral("reference")).toObject();
    if (site.referenceFile.isEmpty())
        reference.remove(QStringLiteral("file"));
    else
        reference.insert(QStringLiteral("file"), site.referenceFile);
    if (reference.isEmpty())
        root.remove(QStringLiteral("reference"));
    else
        root.insert(QStringLiteral("reference"), reference);

    if (const auto& k = site.calibration) {
        QJsonObject record = root.value(QStringLiteral("calibration")).toObject();
        record.insert(QStringLiteral("file"), k->file);
        record.insert(QStringLiteral("knownLength"), k->knownLength);
        record.insert(QStringLiteral("waveSpeed"), k->waveSpeed);
        record.insert(QStringLiteral("previousWaveSpeed"), k->previousWaveSpeed);
        record.insert(QStringLiteral("date"), k->date);
        root.insert(QStringLiteral("calibration"), record);
    } else {
        root.remove(QStringLiteral("calibration"));
    }

    const auto unset = [](const TraceAmplitude& t) { return t.mode == TraceAmplitude::Mode::Unset; };
    if (std::all_of(site.amplitude.begin(), site.amplitude.end(), unset)) {
        root.remove(QStringLiteral("amplitude"));
    } else {
        QJsonArray amplitude;
        for (const TraceAmplitude& t : site.amplitude)
            amplitude.append(t.mode == TraceAmplitude::Mode::Fit     ? QJsonValue(QStringLiteral("fit"))
                             : t.mode == TraceAmplitude::Mode::Fixed ? QJsonValue(t.value)
                                                                     : QJsonValue());
        root.insert(QStringLiteral("amplitude"), amplitude);
    }

    if (site.growingGain == std::array<int, 3>{})
        root.remove(QStringLiteral("growingGain"));
    else
        root.insert(QStringLiteral("growingGain"),
                    QJsonArray{site.growingGain[0], site.growingGain[1], site.growingGain[2]});
    WriteReportSettings(site.report, root);
    return QJsonDocument(root).toJson();
}

} // namespace rovana
