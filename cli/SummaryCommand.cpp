#include "SummaryCommand.h"

#include "CliCommon.h"
#include "JsonWriter.h"
#include "OutputFile.h"
#include "RowSuggestion.h"
#include "SummaryCsv.h"
#include "SummaryPainter.h"
#include "SummaryXlsx.h"

#include <QFileInfo>

#include <cerrno>
#include <ostream>

namespace rovana::cli {

namespace {

using namespace rovana::summary;

struct SummaryArguments
{
    QString folder;
    QString csv;
    QString xlsx;
    QString pdf;
};

// The bolt keys, in column order.
constexpr const char* kBoltKeys[kColumnCount] = {
    "index",        "boltNo",       "testDate",        "designLength", "measuredLength",
    "freeLength",   "anchorLength", "lengthRatio",     "defect",       "grade",
    "qualityClass", "verdict",      "suggestedLength", "review",       "file",
};

const char kSummaryUsage[] =
    "用法: rovana-cli summary FOLDER [--csv OUT.csv] [--xlsx OUT.xlsx] [--pdf OUT.pdf]\n"
    "文件夹内全部 .mg 文件（顺序同文件列表）的锚杆检测结果汇总表与统计；不带输出选项时\n"
    "以 JSON 输出 {\"bolts\": [...], \"statistics\": {...}}。\n"
    "输出文件不能是 .mg 测试文件或输入文件（链接同样检查），已存在时必须是普通文件；\n"
    "先写入同一文件夹中的临时文件，完整写入后才替换。\n"
    "无法读取的文件作为一行 \"无法读取文件\" 列出，并在结束时以退出码 1 报告；\n"
    "文件夹无法读取时以退出码 1 结束，不写入任何文件。\n";

bool ParseSummaryArguments(const QStringList& args, SummaryArguments& parsed, std::ostream& err)
{
    const auto usage = [&err] {
        err << kSummaryUsage;
        return false;
    };
    for (int i = 0; i < args.size(); ++i) {
        QString* option = nullptr;
        if (args[i] == QLatin1String("--csv"))
            option = &parsed.csv;
        else if (args[i] == QLatin1String("--xlsx"))
            option = &parsed.xlsx;
        else if (args[i] == QLatin1String("--pdf"))
            option = &parsed.pdf;
        if (option) {
            if (i + 1 >= args.size() || !option->isEmpty() || args[i + 1].isEmpty())
                return usage();
            *option = args[++i];
        } else if (args[i].startsWith(QLatin1String("--"))) {
            err << "未知选项: " << args[i].toStdString() << "\n";
            return usage();
        } else if (parsed.folder.isEmpty()) {
            parsed.folder = args[i];
        } else {
            return usage();
        }
    }
    if (parsed.folder.isEmpty())
        return usage();
    const QStringList outputs = {parsed.csv, parsed.xlsx, parsed.pdf};
    for (int a = 0; a < outputs.size(); ++a)
        for (int b = a + 1; b < outputs.size(); ++b)
            if (!outputs[a].isEmpty() && QFileInfo(outputs[a]).absoluteFilePath() ==
                                             QFileInfo(outputs[b]).absoluteFilePath()) {
                err << "两个输出不能是同一个文件: " << outputs[a].toStdString() << "\n";
                return false;
            }
    return true;
}

std::string Fixed(const std::optional<double>& value, int decimals)
{
    return value ? QString::asprintf("%.*f", decimals, *value).toStdString() : "null";
}

struct Output
{
    QString path;
    ContentWriter make;
};

// One bolt of the JSON array; `first` for the first one. Made whole and written at once:
// a site of 100,000 bolts has a million and a half values.
void WriteJsonBolt(const SummaryRow& row, bool first, std::ostream& out)
{
    std::string line = first ? "\n  {" : ",\n  {";
    for (int k = 0; k < kColumnCount; ++k) {
        const SummaryCell cell = CellOf(row, static_cast<Column>(k));
        line += k == 0 ? "\"" : ", \"";
        line += kBoltKeys[k];
        line += "\": ";
        if (cell.number)
            line += cell.text.toStdString(); // the number as the table shows it
        else if (cell.text.isEmpty() || IsNumberColumn(static_cast<Column>(k)))
            line += "null";
        else
            line += json::Quote(cell.text);
    }
    line += "}";
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
}

// The end of the JSON object, after `bolts` bolts.
void WriteJsonStatistics(const SummaryStatistics& s, std::ostream& out)
{
    out << (s.bolts == 0 ? "" : "\n") << "], \"statistics\": {";
    out << "\"bolts\": " << s.bolts << ", \"evaluated\": " << s.evaluated
        << ", \"notEvaluated\": " << s.notEvaluated << ", \"unreadable\": " << s.unreadable
        << ", \"review\": " << s.review;
    out << ", \"classCounts\": {\"I\": " << s.classCounts[0] << ", \"II\": " << s.classCounts[1]
        << ", \"III\": " << s.classCounts[2] << ", \"IV\": " << s.classCounts[3] << "}";
    out << ", \"gradeCounts\": {\"A\": " << s.gradeCounts[0] << ", \"B\": " << s.gradeCounts[1]
        << ", \"C\": " << s.gradeCounts[2] << ", \"D\": " << s.gradeCounts[3] << "}";
    out << ", \"passRate\": " << Fixed(s.passRate, 1)
        << ", \"minLength\": " << Fixed(s.minLength, 2)
        << ", \"maxLength\": " << Fixed(s.maxLength, 2)
        << ", \"meanRatio\": " << Fixed(s.meanRatio, 1) << "}}\n";
}

// Ends the suggestion cache's pass. A cache that could not be kept (a read-only folder, a
// full disk, a link in its place) costs the next summary time, not this one its result:
// the message goes to standard error and the exit status stays as the summary's.
void ReportCacheProblem(SuggestionCache& suggestions, const QString& folder, std::ostream& err)
{
    if (const QString message = FinishSuggestionCache(suggestions, folder); !message.isEmpty())
        err << message.toStdString() << "\n";
}

void ReportUnreadable(const SummaryRow& row, std::ostream& err)
{
    if (!row.readable)
        ReportFileFailure(err, row.path, row.loadMessage);
}

// Without output files: the JSON, each bolt printed as it is read.
int RunJson(const QStringList& files, const QString& folder, SuggestionCache* suggestions,
            std::ostream& out, std::ostream& err)
{
    out << "{\"bolts\": [";
    SummaryTally tally;
    const bool complete = ReadRowBatches(
        files,
        [&](std::vector<SummaryRow>& batch) {
            for (const SummaryRow& row : batch) {
                ReportUnreadable(row, err);
                WriteJsonBolt(row, row.index == 1, out);
                tally.Add(row);
            }
            return static_cast<bool>(out); // nobody reads on: stop reading files
        },
        {}, suggestions);
    if (complete && suggestions)
        ReportCacheProblem(*suggestions, folder, err);
    const SummaryStatistics statistics = tally.Statistics();
    WriteJsonStatistics(statistics, out);
    out.flush();
    if (!out)
        return 1;
    // As for the sheets: the table is complete, but a file that could not be read makes
    // the run end with status 1.
    return statistics.unreadable > 0 ? 1 : 0;
}

} // namespace

int RunSummary(const QStringList& args, std::ostream& out, std::ostream& err)
{
    if (WantsHelp(args)) {
        out << kSummaryUsage;
        return kExitOk;
    }
    SummaryArguments parsed;
    if (!ParseSummaryArguments(args, parsed, err))
        return 2;
    // A folder that cannot be listed is no empty site: say so and write nothing.
    const QString folder = QFileInfo(parsed.folder).absoluteFilePath();
    int error = 0;
    const QStringList files = FolderTestFiles(folder, &error);
    if (error != 0) {
        err << summary::FolderErrorText(error).toStdString() << ": " << parsed.folder.toStdString()
            << "\n";
        return 1;
    }
    std::vector<Output> outputs;
    if (!parsed.csv.isEmpty())
        outputs.push_back({parsed.csv, WriteSummaryCsv});
    if (!parsed.xlsx.isEmpty())
        outputs.push_back({parsed.xlsx, WriteSummaryXlsx});
    if (!parsed.pdf.isEmpty())
        outputs.push_back({parsed.pdf, WriteSummaryPdf});
    // What the picker gave for each file is kept beside the site file by the file's
    // content: a summary of an unchanged folder runs no picker.
    const std::unique_ptr<SuggestionCache> suggestions = OpenSuggestionCache(folder);
    if (outputs.empty())
        return RunJson(files, folder, suggestions.get(), out, err);

    // Every target is checked before anything is read or written; a refused one is a
    // usage error.
    for (const Output& o : outputs)
        if (const OutputResult checked = CheckOutputPath(o.path, files); !checked) {
            err << checked.detail.toStdString() << "\n" << kSummaryUsage;
            return 2;
        }
    // The rows go to a temporary file as they are read; each output is written from it,
    // so that a site of any size is summarised in the same memory.
    SpooledSummary summary;
    QString why;
    if (!SpoolSummary(
            files, summary, [&err](const SummaryRow& row) { ReportUnreadable(row, err); }, &why,
            suggestions.get())) {
        err << why.toStdString() << "\n";
        return 1;
    }
    ReportCacheProblem(*suggestions, folder, err);
    const SummaryContent content = summary.Content();
    for (const Output& o : outputs) {
        const OutputResult written =
            WriteOutputStream(o.path, files, [&](QIODevice& to, QString* reason) {
                return o.make(content, to, reason);
            });
        if (!written) {
            err << written.detail.toStdString() << "\n";
            return 1;
        }
    }
    return summary.statistics.unreadable > 0 ? 1 : 0;
}

} // namespace rovana::cli
