#include "BoltResult.h"
#include "CliCommon.h"
#include "JsonWriter.h"
#include "TestDate.h"

#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace rovana::cli {
namespace {

// Builds one JSON object with keys in insertion order.
class ObjectWriter
{
public:
    void raw(const char* key, const std::string& value) { m_items.emplace_back(key, value); }
    void text(const char* key, const QString& value) { raw(key, json::Quote(value)); }
    template <typename T> void number(const char* key, T value) { raw(key, json::Number(value)); }
    template <typename Rows> void rows(const char* key, const Rows& rows, std::size_t width)
    {
        std::string out = "[";
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (r)
                out += ",";
            out += json::Array(std::span(rows[r].data(), width));
        }
        raw(key, out + "]");
    }

    std::string str() const
    {
        std::string out = "{";
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            out += i ? ",\n  " : "\n  ";
            out += "\"" + m_items[i].first + "\": " + m_items[i].second;
        }
        return out + "\n}";
    }

private:
    std::vector<std::pair<std::string, std::string>> m_items;
};

// The bolt's result as every output shows it; lengths in metres, the channel as on
// screen (1..3), null for what the bolt does not have.
std::string ResultToJson(const BoltResult& r)
{
    const ChannelResult& c = r.report;
    const auto lengthOrNull = [&c](float metres) {
        return c.measured ? json::Number(metres) : std::string("null");
    };
    std::string defect = "null";
    if (c.defect)
        defect = "{\"from\": " + json::Number(c.defect->from) +
                 ", \"to\": " + json::Number(c.defect->to) +
                 ", \"beyondBottom\": " + (c.defect->beyondBottom ? "true" : "false") + "}";
    std::string out = "{";
    out += "\"boltNo\": " + json::Quote(r.boltNo);
    out += ", \"testDate\": " + json::Quote(r.testDate);
    out += ", \"channel\": " + (c.channel < 0 ? std::string("null") : json::Number(c.channel + 1));
    out += ", \"length\": " + lengthOrNull(c.length);
    out += ", \"freeLength\": " + lengthOrNull(c.freeLength);
    out += ", \"anchorLength\": " + lengthOrNull(c.anchorLength);
    out += ", \"lengthRatio\": " +
           (r.lengthRatio ? QString::number(*r.lengthRatio, 'f', 1).toStdString() : "null");
    out += ", \"defect\": " + defect;
    out += ", \"grade\": " + (c.Evaluated() ? json::Quote(r.GradeText()) : "null");
    out += ", \"qualityClass\": " + (c.Evaluated() ? json::Quote(r.ClassText()) : "null");
    out += ", \"verdict\": " + json::Quote(VerdictText(r.verdict));
    out += ", \"reason\": " +
           (r.headerProblem.isEmpty() ? std::string("null") : json::Quote(r.headerProblem));
    return out + "}";
}

std::string RecordToJson(const TestRecord& d)
{
    ObjectWriter w;
    w.number("m_nHighPass", d.m_nHighPass);
    w.number("m_nLowPass", d.m_nLowPass);
    w.number("m_nSampleInterval", d.m_nSampleInterval);
    w.number("m_nSampleCount", d.m_nSampleCount);
    w.raw("m_nReserved", json::Array(d.m_nReserved));
    w.number("m_nWaveSpeed", d.m_nWaveSpeed);
    w.text("m_strProject", d.m_strProject);
    w.text("m_strFile", d.m_strFile);
    w.number("m_fDesignLength", d.m_fDesignLength);
    w.number("m_fDesignL0", d.m_fDesignL0);
    w.text("m_tTestDate", FormatDate(d.m_tTestDate));
    w.rows("m_nSamples", d.m_nSamples, kMaxSampleCount);
    w.number("m_bInfoSaved", d.m_bInfoSaved);
    w.text("m_strTitle", d.m_strTitle);
    w.text("m_strItemName", d.m_strItemName);
    w.text("m_strBoltNo", d.m_strBoltNo);
    w.number("m_fExposedLength", d.m_fExposedLength);
    w.number("m_nInfoWaveSpeed", d.m_nInfoWaveSpeed);
    w.text("m_strTestDate", d.m_strTestDate);
    w.number("m_fAnchorLength", d.m_fAnchorLength);
    w.text("m_strTestUnit", d.m_strTestUnit);
    w.text("m_strTester", d.m_strTester);
    w.text("m_strGradeText", d.m_strGradeText);
    w.text("m_strQualityClass", d.m_strQualityClass);
    w.text("m_strTestBasis", d.m_strTestBasis);
    w.text("m_strInstrument", d.m_strInstrument);
    w.text("m_strInstallDate", d.m_strInstallDate);
    w.raw("m_nGrade", json::Array(d.m_nGrade));
    w.raw("m_nQualityClass", json::Array(d.m_nQualityClass));
    w.raw("m_fPanelAnchor", json::Array(d.m_fPanelAnchor));
    w.number("m_nReportChannel", d.m_nReportChannel);
    w.number("m_nBoltType", d.m_nBoltType);
    w.text("m_strProjectName", d.m_strProjectName);
    w.number("m_fDesignDiameter", d.m_fDesignDiameter);
    w.number("m_fTestDiameter", d.m_fTestDiameter);
    w.number("m_nDesignGrade", d.m_nDesignGrade);
    w.rows("m_nMarkers", d.m_nMarkers, kMarkerCount);
    w.number("m_nMarkedChannels", d.m_nMarkedChannels);
    w.rows("m_fMeasured", d.m_fMeasured, 2);
    w.raw("result", ResultToJson(ResultOf(d)));
    return w.str();
}

} // namespace

int RunInfo(const QStringList& args, std::ostream& out, std::ostream& err)
{
    static const char kUsage[] =
        "用法: rovana-cli info FILE.mg\n"
        "以一个 JSON 对象输出测试记录的全部字段（字段名同程序内部，字符串为 UTF-8，\n"
        "m_tTestDate 为 \"YYYY-MM-DD\"），最后的 \"result\" 为该锚杆的检测结果，\n"
        "与结果表、汇总表一致。\n";
    return RunOnOneFile(args, out, err, kUsage, [](const TestRecord& data, std::ostream& o) {
        o << RecordToJson(data) << "\n";
    });
}

} // namespace rovana::cli
