#pragma once

#include "BoltResult.h"
#include "SheetBody.h"
#include "SuggestedMarkers.h"
#include "SuggestionCache.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace rovana::summary {

// The site summary "锚杆检测结果汇总表": one row per test file of a folder, every value as
// the result sheet of that file prints it, and the site's statistics.

inline const QString kSummaryTitle = QStringLiteral("锚杆检测结果汇总表");
inline const QString kUnreadableVerdict = QStringLiteral("无法读取文件");

enum class Column : int
{
    Index,           // 序号: row number from 1
    BoltNo,          // saved bolt number, else the instrument's file text
    TestDate,        // the instrument's test date, YYYY-MM-DD
    DesignLength,    // m, two decimals
    MeasuredLength,  // L0 + Lr of the report channel, m, two decimals
    FreeLength,      // L0, m, two decimals
    AnchorLength,    // Lr, m, two decimals
    LengthRatio,     // shown measured / shown design × 100, one decimal; empty when either is 0
    Defect,          // "a-b": the two defect depths the sheet prints, two decimals each,
                     // with the sheet's word where the range reaches past the bottom
    Grade,           // the compactness grade of the report channel's analysis
    QualityClass,    // the quality class of the report channel's analysis
    Verdict,         // 合格 / 不合格 / 未评定, or 无法读取文件
    SuggestedLength, // L of the report channel's suggested markers, m, two decimals
    Review,          // "请复核" where the picker cannot confirm the saved bottom (no bottom
                     // suggested, or its L more than 5 % from the saved one: CheckSavedBottom),
    // "请复核（底部反射不明显）" with the picker's reason where it offers none,
    // "请复核（why）" for a header outside every instrument's range
    File, // the file name
};
inline constexpr int kColumnCount = 15;

inline const QString kReviewText = QStringLiteral("请复核");

// The headers, in column order.
const std::array<QString, kColumnCount>& ColumnHeaders();
// Whether a column holds numbers (序号, the lengths and the ratio).
bool IsNumberColumn(Column column);
// Decimals a number column shows.
int ColumnDecimals(Column column);

// One bolt: what its result sheet prints, taken from its file.
struct SummaryRow
{
    int index = 0;    // from 1
    QString path;     // full path
    QString fileName; // as listed
    bool readable = false;
    QString loadMessage; // why the file could not be read

    QString boltNo;
    QString testDate;
    float designLength = 0.0f;
    bool measured = false;       // the report channel's end and bottom are set
    float measuredLength = 0.0f; // L as the sheet prints it; no cell unless measured
    float freeLength = 0.0f;
    float anchorLength = 0.0f;
    std::optional<double> lengthRatio; // %, from the shown lengths
    std::optional<DefectRange> defect; // the range the sheet prints
    QString grade;                     // empty unless evaluated
    QString qualityClass;              // empty unless evaluated
    Verdict verdict = Verdict::NotEvaluated;
    std::optional<float> suggestedLength; // L of the suggested markers, m
    // The picker cannot confirm the saved bottom (CheckSavedBottom), or a header outside
    // every instrument's range (then `headerProblem` says why, and the row shows no
    // measured length).
    bool review = false;
    QString headerProblem;
    // Why the picker offers no bottom where one was saved ("底部反射不明显", ...), shown
    // beside "请复核"; empty where it offers one.
    QString reviewReason;

    // For the page header: the file's project name and testing organisation.
    QString projectName;
    QString testUnit;
    friend bool operator==(const SummaryRow&, const SummaryRow&) = default;
};

// One table cell: the text every output shows, and for number cells the number the text
// shows (rounded as shown). Empty cells have an empty text and no number.
struct SummaryCell
{
    QString text;
    std::optional<double> number;
    friend bool operator==(const SummaryCell&, const SummaryCell&) = default;
};
SummaryCell CellOf(const SummaryRow& row, Column column);

// Counts among the bolts; shares and rates are percentages with one decimal.
struct SummaryStatistics
{
    int bolts = 0;
    int evaluated = 0; // readable, with a quality class
    int notEvaluated = 0;
    int unreadable = 0;
    int passed = 0;
    int review = 0;                   // rows marked 请复核
    std::array<int, 4> classCounts{}; // I..IV, among the evaluated, in any case
    std::array<int, 4> gradeCounts{}; // A..D, among the evaluated
    std::optional<double> passRate;   // % of the evaluated; none without evaluated bolts
    std::optional<double> minLength;  // m, among readable bolts with a measured length
    std::optional<double> maxLength;
    std::optional<double> meanRatio; // %, mean of the shown length ratios
    friend bool operator==(const SummaryStatistics&, const SummaryStatistics&) = default;
};
SummaryStatistics ComputeStatistics(const std::vector<SummaryRow>& rows);

// A share of `count` in `of`, in percent with one decimal; none when `of` is 0.
std::optional<double> Percent(int count, int of);

// One line of the statistics block: a label, a number and, for the class and grade
// counts, the share among the evaluated bolts.
struct StatisticsLine
{
    QString label;
    std::optional<double> value; // none: shown as "—"
    int decimals = 0;
    std::optional<double> share; // %, for class and grade counts
    bool hasShare = false;
    QString ValueText() const;
    QString ShareText() const; // "37.5%", "—" without evaluated bolts, empty without a share
};
std::vector<StatisticsLine> StatisticsLines(const SummaryStatistics& statistics);

// The page header's values: for the project name and the testing organisation each the
// value most files carry (ties: the first in the table), with "等" added when the files
// carry more than one; empty when no readable file carries one.
struct SummaryHeader
{
    QString projectName;
    QString testUnit;
};
SummaryHeader HeaderOf(const std::vector<SummaryRow>& rows);

// How often each value was seen, in the order first seen.
class ValueTally
{
public:
    void Add(const QString& value);
    // The most common value (ties: the first seen), with "等" when there are others; empty
    // when none was seen.
    QString MostCommon() const;

private:
    struct Seen
    {
        int count = 0;
        int order = 0;
    };
    QHash<QString, Seen> m_Counts;
};

// The statistics and the page header, added up one row at a time: a summary read in
// batches never needs its rows together. ComputeStatistics and HeaderOf use it.
class SummaryTally
{
public:
    void Add(const SummaryRow& row);
    SummaryStatistics Statistics() const;
    SummaryHeader Header() const;

private:
    SummaryStatistics m_Statistics; // the counts, lengths and ratio sum so far
    double m_RatioSum = 0.0;
    int m_nRatios = 0;
    ValueTally m_Projects;
    ValueTally m_Units;
};

struct SiteSummary
{
    QString folder;
    std::vector<SummaryRow> rows;
    SummaryStatistics statistics;
    SummaryHeader header;

    QStringList Paths() const;
};

// The test files of a folder as the file tree lists them (ListTestFiles): "*.mg" in any
// case, sorted by name, names in code page 936 included. Full paths. Empty when the folder
// cannot be read; then `error` (when given) says why, as errno, else it is 0.
QStringList FolderTestFiles(const QString& folder, int* error = nullptr);
// Why a folder could not be listed, from the errno FolderTestFiles gives.
QString FolderErrorText(int error);

// What the read of one file takes from the site's suggestion cache and gives back to it.
struct CachedSuggestion
{
    std::optional<KeptSuggestion> kept; // what the cache holds under the file's name
    ContentHash hash{};                 // of the bytes read, once the file was read
    QByteArray value;                   // the row's suggestion (EncodeRowSuggestion)
};

// Reads one file into its row. With `cached`, the picker runs only when the cache holds
// nothing for the bytes read; `cached` then gets their hash and the row's suggestion.
SummaryRow ReadSummaryRow(const QString& path, int index, CachedSuggestion* cached = nullptr);

// Reports progress (files done, files in all) between batches; returning false cancels.
using SummaryProgress = std::function<bool(int done, int total)>;

// Reads the files in parallel, a batch at a time, and hands each batch's rows to `take` in
// table order (indices from 1 over all files). False when `progress` or `take` said stop.
// With `suggestions` (the cache of the files' folder, which lists them in this order),
// each file's suggestion is taken from it where its content is unchanged and kept in it;
// the caller ends a complete pass with FinishSuggestionCache.
using RowBatchTaker = std::function<bool(std::vector<SummaryRow>& batch)>;
bool ReadRowBatches(const QStringList& files, const RowBatchTaker& take,
                    const SummaryProgress& progress = {}, SuggestionCache* suggestions = nullptr);

// The whole summary of the given files (rows, statistics, header); nothing when cancelled.
// With `suggestions`, as ReadRowBatches; a complete summary ends the cache's pass, and
// `cacheMessage` (when given) gets FinishSuggestionCache's message.
std::optional<SiteSummary> SummarizeFiles(const QString& folder, const QStringList& files,
                                          const SummaryProgress& progress = {},
                                          SuggestionCache* suggestions = nullptr,
                                          QString* cacheMessage = nullptr);
// The same for the folder's test files, with the folder's suggestion cache.
std::optional<SiteSummary> SummarizeFolder(const QString& folder,
                                           const SummaryProgress& progress = {},
                                           QString* cacheMessage = nullptr);

} // namespace rovana::summary
