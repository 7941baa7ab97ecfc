#include "ReportSettings.h"

namespace rovana {

namespace {

constexpr ReportFieldInfo kFields[kReportFieldCount] = {
    {"reportNo", "报告编号", false},    {"projectName", "工程名称", false},
    {"projectSite", "工程地点", false}, {"client", "委托单位", false},
    {"owner", "建设单位", false},       {"designer", "设计单位", false},
    {"contractor", "施工单位", false},  {"supervisor", "监理单位", false},
    {"testUnit", "检测单位", false},    {"basis", "检测依据", false},
    {"instrument", "仪器型号", false},  {"testers", "检测人员", false},
    {"reviewer", "审核", false},        {"approver", "批准", false},
    {"reportDate", "报告日期", false},  {"remarks", "备注", true},
    {"conclusion", "结论", true},
};

const QString kReportKey = QStringLiteral("report");

} // namespace

const ReportFieldInfo& FieldInfo(ReportField field)
{
    return kFields[static_cast<std::size_t>(field)];
}

QString FieldLabel(ReportField field)
{
    return QString::fromUtf8(FieldInfo(field).label);
}

ReportSettings ReadReportSettings(const QJsonObject& report, QString& why)
{
    ReportSettings settings;
    for (int f = 0; f < kReportFieldCount; ++f) {
        const QJsonValue v = report.value(QLatin1String(kFields[f].key));
        if (v.isUndefined())
            continue;
        if (!v.isString()) {
            if (why.isEmpty())
                why = QStringLiteral("“%1.%2”应为文本")
                          .arg(kReportKey, QLatin1String(kFields[f].key));
            continue;
        }
        settings.values[static_cast<std::size_t>(f)] = v.toString();
    }
    return settings;
}

void WriteReportSettings(const ReportSettings& settings, QJsonObject& root)
{
    QJsonObject report = root.value(kReportKey).toObject();
    for (int f = 0; f < kReportFieldCount; ++f) {
        const QString& value = settings.values[static_cast<std::size_t>(f)];
        if (value.isEmpty())
            report.remove(QLatin1String(kFields[f].key));
        else
            report.insert(QLatin1String(kFields[f].key), value);
    }
    if (report.isEmpty())
        root.remove(kReportKey);
    else
        root.insert(kReportKey, report);
}

} // namespace rovana
