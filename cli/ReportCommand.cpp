#include "ReportCommand.h"

#include "CliCommon.h"
#include "JsonWriter.h"
#include "OutputFile.h"
#include "ReportDocument.h"
#include "ReportFiles.h"
#include "SummaryTable.h"

#include <QDir>
#include <QFileInfo>

#include <ostream>

namespace rovana::cli {

namespace {

using namespace rovana::inspection;

const char kReportUsage[] =
    "用法: rovana-cli report FOLDER [--pdf OUT.pdf] [--odt OUT.odt]\n"
    "文件夹内全部 .mg 文件的锚杆锚固质量无损检测报告：封面、目录、工程概况、检测依据、\n"
    "检测方法与仪器、检测结果（统计与图）、结论、附录 A 汇总表、附录 B 每根锚杆的检测\n"
    "结果表。报告设置取自文件夹的 rovana-site.json（程序中 文件 → 检测报告设置...），\n"
    "未填写的项取各测试文件一致的报告信息。\n"
    "--pdf 输出可检索文字的 PDF，--odt 输出可编辑的 OpenDocument 文本（附录 B 为图片）；\n"
    "不带输出选项时以 JSON 输出报告内容（设置、统计、结论、页码）。\n"
    "输出文件不能是 .mg 测试文件或输入文件（链接同样检查），已存在时必须是普通文件；\n"
    "全部输出完整写入临时文件后才替换。无法读取的文件列入报告，并以退出码 1 报告；\n"
    "文件夹无法读取时以退出码 1 结束，不写入任何文件。\n";

struct ReportArguments
{
    QString folder;
    QString pdf;
    QString odt;
};

QString ParseReportArguments(const QStringList& args, ReportArguments& parsed)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString* option = nullptr;
        if (args[i] == QLatin1String("--pdf"))
            option = &parsed.pdf;
        else if (args[i] == QLatin1String("--odt"))
            option = &parsed.odt;
        if (option) {
            if (i + 1 >= args.size() || !option->isEmpty() || args[i + 1].isEmpty())
                return args[i] + QStringLiteral(" 需要且只能给出一个输出文件");
            *option = args[++i];
        } else if (args[i].startsWith(QLatin1String("--"))) {
            return QStringLiteral("未知选项: ") + args[i];
        } else if (parsed.folder.isEmpty()) {
            parsed.folder = args[i];
        } else {
            return QStringLiteral("只能给出一个文件夹");
        }
    }
    if (parsed.folder.isEmpty())
        return QStringLiteral("需要一个文件夹");
    if (!parsed.pdf.isEmpty() && !parsed.odt.isEmpty() &&
        QFileInfo(parsed.pdf).absoluteFilePath() == QFileInfo(parsed.odt).absoluteFilePath())
        return QStringLiteral("两个输出不能是同一个文件: ") + parsed.pdf;
    return {};
}

std::string Fixed(const std::optional<double>& value, int decimals)
{
    return value ? QString::asprintf("%.*f", decimals, *value).toStdString() : "null";
}

std::string Strings(const QStringList& values)
{
    std::string out = "[";
    for (qsizetype i = 0; i < values.size(); ++i)
        out += (i == 0 ? "" : ", ") + json::Quote(values[i]);
    return out + "]";
}

QStringList Names(const std::vector<BoltMention>& bolts, bool files)
{
    QStringList names;
    for (const BoltMention& b : bolts)
        names << (files ? b.fileName : b.boltNo);
    return names;
}

// The statistics with the keys of `summary`'s JSON.
std::string StatisticsJson(const summary::SummaryStatistics& s)
{
    std::string o = "{\"bolts\": " + std::to_string(s.bolts) +
                    ", \"evaluated\": " + std::to_string(s.evaluated) +
                    ", \"notEvaluated\": " + std::to_string(s.notEvaluated) +
                    ", \"unreadable\": " + std::to_string(s.unreadable) +
                    ", \"review\": " + std::to_string(s.review);
    o += ", \"classCounts\": {\"I\": " + std::to_string(s.classCounts[0]) +
         ", \"II\": " + std::to_string(s.classCounts[1]) +
         ", \"III\": " + std::to_string(s.classCounts[2]) +
         ", \"IV\": " + std::to_string(s.classCounts[3]) + "}";
    o += ", \"gradeCounts\": {\"A\": " + std::to_string(s.gradeCounts[0]) +
         ", \"B\": " + std::to_string(s.gradeCounts[1]) +
         ", \"C\": " + std::to_string(s.gradeCounts[2]) +
         ", \"D\": " + std::to_string(s.gradeCounts[3]) + "}";
    o += ", \"passRate\": " + Fixed(s.passRate, 1) + ", \"minLength\": " + Fixed(s.minLength, 2) +
         ", \"maxLength\": " + Fixed(s.maxLength, 2) + ", \"meanRatio\": " + Fixed(s.meanRatio, 1) +
         "}";
    return o;
}

void WriteJson(const ReportContent& content, std::ostream& out)
{
    const ReportPrefill& p = content.prefill;
    std::string settings = "{";
    QStringList prefilled, disagreeing;
    for (int f = 0; f < kReportFieldCount; ++f) {
        const char* key = FieldInfo(static_cast<ReportField>(f)).key;
        settings += std::string(f == 0 ? "\"" : ", \"") + key +
                    "\": " + json::Quote(p.settings.values[static_cast<std::size_t>(f)]);
        if (p.prefilled[static_cast<std::size_t>(f)])
            prefilled << QLatin1String(key);
        if (p.disagreeing[static_cast<std::size_t>(f)])
            disagreeing << QLatin1String(key);
    }
    settings += "}";

    ReportDocument report(content);
    const std::vector<ReportPart> parts = LayOutReport(report);
    std::string pages = "[";
    for (std::size_t i = 0; i < parts.size(); ++i)
        pages += (i == 0 ? "" : ", ") + std::string("{\"title\": ") + json::Quote(parts[i].title) +
                 ", \"first\": " + std::to_string(parts[i].first) +
                 ", \"last\": " + std::to_string(parts[i].last) + "}";
    pages += "]";

    out << "{\"title\": " << json::Quote(kInspectionReportTitle) << ",\n \"settings\": " << settings
        << ",\n \"prefilled\": " << Strings(prefilled)
        << ",\n \"disagreeing\": " << Strings(disagreeing)
        << ",\n \"statistics\": " << StatisticsJson(content.summary.statistics)
        << ",\n \"conclusion\": " << json::Quote(content.Conclusion())
        << ",\n \"notEvaluated\": " << Strings(Names(content.notEvaluated, false))
        << ",\n \"review\": " << Strings(Names(content.review, false))
        << ",\n \"unreadable\": " << Strings(Names(content.unreadable, true))
        << ",\n \"question\": " << json::Quote(QuestionBeforeWriting(content.summary.statistics))
        << ",\n \"pages\": " << pages << ",\n \"pageCount\": " << report.PageCount() << "}\n";
}

} // namespace

int RunReport(const QStringList& args, std::ostream& out, std::ostream& err)
{
    if (WantsHelp(args)) {
        out << kReportUsage;
        return kExitOk;
    }
    ReportArguments parsed;
    if (const QString why = ParseReportArguments(args, parsed); !why.isEmpty())
        return UsageError(err, why, kReportUsage);
    const QString folder = QFileInfo(parsed.folder).absoluteFilePath();
    int error = 0;
    const QStringList files = summary::FolderTestFiles(folder, &error);
    if (error != 0) {
        err << summary::FolderErrorText(error).toStdString() << ": " << parsed.folder.toStdString()
            << "\n";
        return kExitFailure;
    }
    for (const QString& target : {parsed.pdf, parsed.odt})
        if (!target.isEmpty())
            if (const summary::OutputResult checked = summary::CheckOutputPath(target, files);
                !checked)
                return UsageError(err, checked.detail, kReportUsage);

    QString why;
    const std::unique_ptr<ReportContent> content = GatherReport(folder, files, {}, &why);
    if (!content) {
        err << why.toStdString() << "\n";
        return kExitFailure;
    }
    if (!content->siteWarning.isEmpty())
        err << QDir(folder).filePath(kSiteFileName).toStdString() << ": "
            << content->siteWarning.toStdString() << "\n";
    for (const BoltMention& b : content->unreadable)
        ReportFileFailure(err, b.path, b.why);
    const int status = content->unreadable.empty() ? kExitOk : kExitFailure;
    if (parsed.pdf.isEmpty() && parsed.odt.isEmpty()) {
        WriteJson(*content, out);
        out.flush();
        return out ? status : kExitFailure;
    }
    const ReportFilesResult written = WriteReportFiles(*content, {parsed.pdf, parsed.odt});
    if (!written.written) {
        err << written.message.toStdString() << "\n";
        return kExitFailure;
    }
    return status;
}

} // namespace rovana::cli
