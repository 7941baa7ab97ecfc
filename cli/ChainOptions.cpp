#include "ChainOptions.h"

#include "SiteStore.h"

#include <QFileInfo>

#include <ostream>

namespace rovana::cli {

using processing::ChainSettings;
using processing::FilterKind;
using processing::GainKind;

const char kChainOptionsUsage[] =
    "信号处理选项（覆盖测试文件所在文件夹 rovana-site.json 中的设置）:\n"
    "  --lowpass HZ        低通，截止频率 HZ\n"
    "  --highpass HZ       高通，截止频率 HZ\n"
    "  --bandpass LOW-HIGH 带通，LOW 与 HIGH 为上下截止频率（Hz）\n"
    "  --order N           滤波器阶数 2..8，缺省 4（带通的极点数为其两倍）\n"
    "  --gain exp:G        指数放大：敲击信号处为 1，设计长度的往返时间处为 G（1..100）\n"
    "  --gain linear:G     线性放大，同上\n"
    "  --raw               不做任何信号处理，忽略文件夹的设置\n"
    "截止频率须大于 0 且低于采样频率的一半，并在该阶数于文件采样间隔下能够实现的范围内\n"
    "（例如 4 阶高通在 2 µs 时不低于 37 Hz）；放大需要文件中有效的波速与设计长度。\n";

namespace {

bool ToNumber(const QString& text, double& value)
{
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && !text.trimmed().isEmpty();
}

// Reads one option that takes a value into `c`; returns the reason when it cannot.
QString ReadValue(const QString& name, const QString& value, ChainChoice& c)
{
    ChainSettings& s = c.settings;
    const auto badValue = [&] { return name + QStringLiteral(" 的取值无效: ") + value; };
    if (name == QLatin1String("--order")) {
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok)
            return badValue();
        if (c.orderSet)
            return QStringLiteral("--order 只能给出一次");
        s.order = n;
        c.orderSet = true;
        return {};
    }
    if (name == QLatin1String("--gain")) {
        const qsizetype colon = value.indexOf(QLatin1Char(':'));
        const QString kind = value.left(colon);
        double g = 0;
        if (colon < 0 || !ToNumber(value.mid(colon + 1), g) ||
            (kind != QLatin1String("exp") && kind != QLatin1String("linear")))
            return QStringLiteral("--gain 需要 exp:G 或 linear:G，而不是 ") + value;
        if (c.gainSet)
            return QStringLiteral("--gain 只能给出一次");
        s.gain = kind == QLatin1String("exp") ? GainKind::Exponential : GainKind::Linear;
        s.gainAtDesign = g;
        c.gainSet = true;
        return {};
    }
    if (c.filterSet)
        return QStringLiteral("--lowpass、--highpass、--bandpass 只能给出其中一个，且只能一次");
    c.filterSet = true;
    if (name == QLatin1String("--bandpass")) {
        // The separator is the last "-" that follows a digit, so that "-5-100" is read as
        // −5 to 100 and refused by the range check, not by the parser.
        qsizetype dash = -1;
        for (qsizetype i = 1; i < value.size(); ++i) {
            if (value[i] == QLatin1Char('-') && value[i - 1].isDigit())
                dash = i;
        }
        double low = 0, high = 0;
        if (dash < 0 || !ToNumber(value.left(dash), low) || !ToNumber(value.mid(dash + 1), high))
            return QStringLiteral("--bandpass 需要 LOW-HIGH（Hz），而不是 ") + value;
        s.filter = FilterKind::BandPass;
        s.lowHz = low;
        s.highHz = high;
        return {};
    }
    double hz = 0;
    if (!ToNumber(value, hz))
        return badValue();
    if (name == QLatin1String("--lowpass")) {
        s.filter = FilterKind::LowPass;
        s.highHz = hz;
    } else {
        s.filter = FilterKind::HighPass;
        s.lowHz = hz;
    }
    return {};
}

} // namespace

bool ReadChainOption(const QStringList& args, qsizetype& i, ChainChoice& choice, QString& error)
{
    static const QStringList kValued = {"--lowpass", "--highpass", "--bandpass", "--order",
                                        "--gain"};
    const QString& a = args[i];
    if (a == QLatin1String("--raw")) {
        if (choice.raw)
            error = QStringLiteral("--raw 只能给出一次");
        choice.raw = true;
        return true;
    }
    if (!kValued.contains(a))
        return false;
    if (i + 1 >= args.size())
        error = a + QStringLiteral(" 缺少取值");
    else
        error = ReadValue(a, args[++i], choice);
    return true;
}

QString FinishChainOptions(ChainChoice& choice)
{
    if (choice.orderSet && !choice.filterSet)
        return QStringLiteral("--order 需要与 --lowpass、--highpass 或 --bandpass 一起给出");
    choice.given = choice.filterSet || choice.gainSet;
    if (choice.raw && choice.given)
        return QStringLiteral("--raw 不能与滤波或放大选项一起给出");
    choice.settings.enabled = choice.given;
    // What is wrong for every file; the limits of each file's interval are checked with it.
    return QString::fromStdString(processing::CheckSettingsForAnyInterval(choice.settings));
}

ChainSettings ChainFor(const ChainChoice& choice, const QString& file, std::ostream& err)
{
    if (choice.given)
        return choice.settings;
    if (choice.raw)
        return {};
    return SiteFor(choice, file, err).chain;
}

const SiteFile& SiteFor(const ChainChoice& choice, const QString& file, std::ostream& err)
{
    const QString folder = QFileInfo(file).path();
    if (const auto known = choice.sites.constFind(folder); known != choice.sites.cend())
        return *known;
    const SiteStore site(folder);
    if (!site.Warning().isEmpty())
        err << site.Path().toStdString() << ": " << site.Warning().toStdString() << "\n";
    return *choice.sites.insert(folder, site.Site());
}

} // namespace rovana::cli
