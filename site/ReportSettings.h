#pragma once

#include <QJsonObject>
#include <QString>

#include <array>

namespace rovana {

// The inspection report's own texts for a site ("锚杆锚固质量无损检测报告"), kept in the
// site file under "report" and read and written only through SiteStore. Empty means not
// given: the report then takes what every test of the folder agrees on (ReportPrefill), or
// leaves the line blank; an empty conclusion is the one the report words from the results.
enum class ReportField : int
{
    ReportNo,    // 报告编号
    ProjectName, // 工程名称
    ProjectSite, // 工程地点
    Client,      // 委托单位
    Owner,       // 建设单位
    Designer,    // 设计单位
    Contractor,  // 施工单位
    Supervisor,  // 监理单位
    TestUnit,    // 检测单位
    Basis,       // 检测依据
    Instrument,  // 仪器型号
    Testers,     // 检测人员
    Reviewer,    // 审核
    Approver,    // 批准
    ReportDate,  // 报告日期
    Remarks,     // 备注
    Conclusion,  // 结论
};
inline constexpr int kReportFieldCount = 17;

struct ReportFieldInfo
{
    const char* key;   // in the site file's "report" object
    const char* label; // as the dialog and the report name it (UTF-8)
    bool multiLine;    // remarks and conclusion
};
const ReportFieldInfo& FieldInfo(ReportField field);
QString FieldLabel(ReportField field);

struct ReportSettings
{
    std::array<QString, kReportFieldCount> values{};

    QString& operator[](ReportField f) { return values[static_cast<std::size_t>(f)]; }
    const QString& operator[](ReportField f) const { return values[static_cast<std::size_t>(f)]; }
    friend bool operator==(const ReportSettings&, const ReportSettings&) = default;
};

// The settings of the site file's "report" object; a known key that is not text gives the
// reason the whole file is not read ("“report.reportNo”应为文本") in `why` (when it is still
// empty). Keys it does not know stay in the document the caller keeps.
ReportSettings ReadReportSettings(const QJsonObject& report, QString& why);

// Sets the known keys of `root`'s "report" object from `settings`: a field that is empty
// loses its key, and an object left empty goes; other keys stay as they were.
void WriteReportSettings(const ReportSettings& settings, QJsonObject& root);

} // namespace rovana
