#pragma once

#include "SiteFacts.h"
#include "SiteFile.h"
#include "SummaryRows.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace rovana::inspection {

inline const QString kInspectionReportTitle = QStringLiteral("锚杆锚固质量无损检测报告");
// Measured lengths below this share of the design length stand under the ratio chart's line.
inline constexpr double kLengthRatioLine = 95.0;

// A bolt the conclusion names: its number as its sheet prints it, and its file; for a file
// that cannot be read, its path and why.
struct BoltMention
{
    QString boltNo;
    QString fileName;
    QString path;
    QString why;
    friend bool operator==(const BoltMention&, const BoltMention&) = default;
};

// The length ratios of the summary's rows in table order, gathered into at most kSlots
// slots of neighbouring bolts (each slot's least and greatest ratio), so that the chart of
// a site of any size takes the same memory. A site of kSlots bolts or fewer has one bolt
// per slot.
class RatioSeries
{
public:
    static constexpr int kSlots = 600;
    struct Slot
    {
        int first = 0;                         // 0-based index of its first bolt
        int count = 0;                         // bolts in it
        std::optional<double> least, greatest; // %, among its bolts with a ratio
    };

    explicit RatioSeries(int bolts = 0);
    void Add(int index, const std::optional<double>& ratio); // index 0-based
    int Bolts() const { return m_nBolts; }
    const std::vector<Slot>& Slots() const { return m_Slots; }
    std::optional<double> Least() const;
    std::optional<double> Greatest() const;

private:
    int m_nBolts = 0;
    std::vector<Slot> m_Slots;
};

// Everything the inspection report of a folder says, gathered once: the settings as kept
// and as printed, the site's facts, the summary's rows (spooled, as the command line keeps
// them), statistics and header, the bolts the conclusion names, the ratio chart's series,
// and the site settings the sheets are drawn with. Every number comes from the summary's
// rows, which take it from each bolt's one result.
struct ReportContent
{
    QString folder;
    QStringList files;
    SiteFile site;         // as the site store read it (defaults when it could not)
    QString siteWarning;   // the store's warning, or empty
    ReportPrefill prefill; // the settings as the report prints them
    SiteFacts facts;
    summary::SpooledSummary summary;
    std::vector<BoltMention> notEvaluated; // readable, without a class
    std::vector<BoltMention> review;       // marked 请复核
    std::vector<BoltMention> unreadable;   // files that cannot be read
    QStringList testDates;                 // distinct, sorted
    RatioSeries ratios;

    const ReportSettings& Settings() const { return prefill.settings; }
    // The conclusion the report prints: the settings' own, else the one worded from the
    // statistics (DefaultConclusion).
    QString Conclusion() const;
};

// "本次共检测锚杆 N 根，其中 I 类 a 根、II 类 b 根、III 类 c 根、IV 类 d 根，合格率 x %。"
// from the summary's statistics; x with one decimal, "—" without evaluated bolts.
QString DefaultConclusion(const summary::SummaryStatistics& statistics);

// What would make the report wrong, as the question before it is written ("3 根未评定，2
// 根请复核，仍然生成？", each part only where it applies, with "1 个文件无法读取，" in front
// for unreadable files); empty when every file is read, every bolt evaluated and none is
// marked 请复核.
QString QuestionBeforeWriting(const summary::SummaryStatistics& statistics);

// Reading reports progress (files read, of two passes over the files); returning false
// cancels.
using ReadProgress = std::function<bool(int done, int total)>;

// Reads the site file (through the site store) and every test file of `files`. Nothing
// when cancelled or when the rows could not be spooled (`why` then says why).
std::unique_ptr<ReportContent> GatherReport(const QString& folder, const QStringList& files,
                                            const ReadProgress& progress = {},
                                            QString* why = nullptr);

} // namespace rovana::inspection
