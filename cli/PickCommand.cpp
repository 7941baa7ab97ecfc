#include "PickCommand.h"

#include "CliCommon.h"
#include "JsonWriter.h"
#include "SuggestedMarkers.h"

#include <ostream>
#include <string>

namespace rovana::cli {

namespace {

const char kUsage[] =
    "用法: rovana-cli pick [--channel N] [--all-channels] FILE.mg...\n"
    "为每个文件的一个通道建议标记：敲击信号（端部）、自由端、底部反射与缺陷。\n"
    "N 为 1..3（同屏幕上的通道号），缺省为文件的报告通道。每个文件输出一个 JSON 对象\n"
    "{\"file\", \"channel\", \"end\", \"freeEnd\", \"bottom\", \"defects\", \"length\",\n"
    "\"freeLength\", \"anchorLength\", \"confidence\", \"reason\", "
    "\"agreeing\"}：标记为样本序号，\n"
    "找不到的为 null；confidence 为建议正确的概率（其 defects 为每个缺陷的）；低于 0.5 的\n"
    "建议不给出，reason 说明原因（如 \"底部反射不明显\"、\"疑似自由段多次反射\"），没有时\n"
    "为 null；agreeing 为其他同类通道中与之一致的个数。--all-channels 为每个文件输出\n"
    "{\"file\", \"compared\", \"channels\"}：三个通道各一个对象，compared 为相互比较的\n"
    "同类通道（同一锚杆的多次敲击）。一个文件输出一个对象，多个文件输出一个数组。无法\n"
    "读取的文件不输出对象，在标准错误输出说明，并在结束时以退出码 1 报告。\n";

std::string Sample(const std::optional<pick::PickedEcho>& echo)
{
    return echo ? json::Number(echo->sample) : std::string("null");
}

std::string Confidence(const std::optional<pick::PickedEcho>& echo)
{
    return echo ? json::Number(static_cast<float>(echo->confidence)) : std::string("null");
}

std::string Metres(const std::optional<float>& value)
{
    return value ? json::Number(*value) : std::string("null");
}

// The keys of one channel's suggestion, after "file" or alone.
std::string ChannelJson(const SuggestedMarkers& s)
{
    const pick::PickResult& p = s.pick;
    std::string out = "\"channel\": " + json::Number(s.channel + 1);
    out += ", \"end\": " + Sample(p.end);
    out += ", \"freeEnd\": " + Sample(p.freeEnd);
    out += ", \"bottom\": " + Sample(p.bottom);
    out += ", \"defects\": [";
    for (std::size_t i = 0; i < p.defects.size(); ++i) {
        out += i == 0 ? "[" : ", [";
        out += json::Number(p.defects[i].start.sample) + ", " +
               json::Number(p.defects[i].end.sample) + "]";
    }
    out += "], \"length\": " + Metres(s.length);
    out += ", \"freeLength\": " + Metres(s.freeLength);
    out += ", \"anchorLength\": " + Metres(s.anchorLength);
    out += ", \"confidence\": {\"end\": " + Confidence(p.end);
    out += ", \"freeEnd\": " + Confidence(p.freeEnd);
    out += ", \"bottom\": " + Confidence(p.bottom);
    out += ", \"defects\": [";
    for (std::size_t i = 0; i < p.defects.size(); ++i)
        out +=
            (i == 0 ? "" : ", ") + json::Number(static_cast<float>(p.defects[i].start.confidence));
    out += "]}";
    out += ", \"reason\": ";
    out += s.reasons.isEmpty() ? std::string("null")
                               : json::Quote(s.reasons.join(QStringLiteral("；")));
    out += ", \"agreeing\": {\"freeEnd\": " + json::Number(s.agreeing.freeEnd);
    out += ", \"bottom\": " + json::Number(s.agreeing.bottom) + "}";
    return out;
}

std::string PickJson(const QString& file, const SuggestedMarkers& s)
{
    return "{\"file\": " + json::Quote(file) + ", " + ChannelJson(s) + "}";
}

std::string AllChannelsJson(const QString& file, const RecordSuggestions& all)
{
    std::string out = "{\"file\": " + json::Quote(file) + ", \"compared\": [";
    for (std::size_t i = 0; i < all.compared.size(); ++i)
        out += (i == 0 ? "" : ", ") + json::Number(all.compared[i] + 1);
    out += "], \"channels\": [";
    for (std::size_t c = 0; c < all.channels.size(); ++c)
        out += (c == 0 ? "{" : ", {") + ChannelJson(all.channels[c]) + "}";
    return out + "]}";
}

} // namespace

int RunPick(const QStringList& args, std::ostream& out, std::ostream& err)
{
    if (WantsHelp(args)) {
        out << kUsage;
        return kExitOk;
    }
    int channel = 0; // 1..3 when given
    bool allChannels = false;
    QStringList files;
    bool options = true;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (options && a == QLatin1String("--")) {
            options = false;
        } else if (options && a == QLatin1String("--channel")) {
            bool ok = false;
            const int n = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
            if (!ok || n < 1 || n > kChannelCount || channel != 0)
                return UsageError(err, QStringLiteral("--channel 需要且只能给出一个 1..3 的通道号"),
                                  kUsage);
            channel = n;
            ++i;
        } else if (options && a == QLatin1String("--all-channels")) {
            allChannels = true;
        } else if (options && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return UsageError(err, QStringLiteral("未知选项: ") + a, kUsage);
        } else {
            files.append(a);
        }
    }
    if (files.isEmpty())
        return UsageError(err, QStringLiteral("需要至少一个 .mg 文件路径"), kUsage);
    if (allChannels && channel != 0)
        return UsageError(err, QStringLiteral("--channel 与 --all-channels 不能同时给出"), kUsage);

    int status = kExitOk;
    std::vector<std::string> objects;
    for (const QString& file : files) {
        const auto data = LoadFile(file, err);
        if (!data) {
            status = kExitFailure;
            continue;
        }
        if (allChannels) {
            objects.push_back(AllChannelsJson(file, SuggestAllChannels(*data)));
            continue;
        }
        int c = channel - 1;
        if (channel == 0)
            c = data->m_nReportChannel >= 0 && data->m_nReportChannel < kChannelCount
                    ? data->m_nReportChannel
                    : 0;
        objects.push_back(PickJson(file, SuggestMarkers(*data, c)));
    }
    if (files.size() == 1) {
        if (!objects.empty())
            out << objects.front() << "\n";
        return status;
    }
    out << "[";
    for (std::size_t i = 0; i < objects.size(); ++i)
        out << (i == 0 ? "\n  " : ",\n  ") << objects[i];
    out << "\n]\n";
    return status;
}

} // namespace rovana::cli
