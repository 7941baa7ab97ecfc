#include "SummaryTable.h"

#include "BoltResult.h"
#include "NativePath.h"
#include "RowSuggestion.h"
#include "SheetDiagram.h"
#include "TestRecord.h"

#include <QFileInfo>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>

namespace rovana::summary {

namespace {

// Files read between two progress reports.
constexpr int kBatchSize = 256;

// Texts from a file shown in one table line: control characters (line breaks, tabs)
// become spaces, so that every output keeps one line per row.
QString SingleLine(QString text)
{
    for (QChar& ch : text)
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7f)
            ch = QLatin1Char(' ');
    return text;
}

// A number as the table shows it: fixed decimals, and the number the text shows. A value
// that is not finite shows as printf prints it and has no number.
SummaryCell Fixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return {QString::asprintf("%.*f", decimals, value), std::nullopt};
    // Both ways are exact: the digits printf would print, and the double they read as.
    // A zero shows without a sign, as it always has (a negative value that rounds to zero
    // keeps its "-").
    if (value == 0.0)
        value = 0.0;
    char digits[352]; // the longest double in fixed notation with two decimals, and more
    const auto printed =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
    if (printed.ec != std::errc())
        return {QString::asprintf("%.*f", decimals, value), std::nullopt};
    double number = 0.0;
    std::from_chars(digits, printed.ptr, number);
    return {QString::fromLatin1(digits, printed.ptr - digits), number};
}

} // namespace

const std::array<QString, kColumnCount>& ColumnHeaders()
{
    static const std::array<QString, kColumnCount> headers = {
        QStringLiteral("序号"),
        QStringLiteral("锚杆编号"),
        QStringLiteral("检测日期"),
        QStringLiteral("设计长度(m)"),
        QStringLiteral("实测长度(m)"),
        QStringLiteral("自由端长(m)"),
        QStringLiteral("锚固长度(m)"),
        QStringLiteral("长度比(%)"),
        QStringLiteral("缺陷位置(m)"),
        QStringLiteral("密实度等级"),
        QStringLiteral("锚固质量等级"),
        QStringLiteral("评定"),
        QStringLiteral("自动识别长度(m)"),
        QStringLiteral("复核"),
        QStringLiteral("文件"),
    };
    return headers;
}

bool IsNumberColumn(Column column)
{
    switch (column) {
    case Column::Index:
    case Column::DesignLength:
    case Column::MeasuredLength:
    case Column::FreeLength:
    case Column::AnchorLength:
    case Column::LengthRatio:
    case Column::SuggestedLength:
        return true;
    default:
        return false;
    }
}

int ColumnDecimals(Column column)
{
    switch (column) {
    case Column::DesignLength:
    case Column::MeasuredLength:
    case Column::FreeLength:
    case Column::AnchorLength:
    case Column::SuggestedLength:
        return 2;
    case Column::LengthRatio:
        return 1;
    default:
        return 0;
    }
}

SummaryCell CellOf(const SummaryRow& row, Column column)
{
    if (column == Column::Index)
        return {QString::number(row.index), row.index};
    if (column == Column::File)
        return {row.fileName, std::nullopt};
    if (!row.readable)
        return {column == Column::Verdict ? kUnreadableVerdict : QString(), std::nullopt};
    if (!row.headerProblem.isEmpty()) {
        switch (column) {
        case Column::MeasuredLength:
        case Column::FreeLength:
        case Column::AnchorLength:
            return {}; // no length from a header no instrument wrote
        case Column::Review:
            return {QStringLiteral("%1（%2）").arg(kReviewText, row.headerProblem), std::nullopt};
        default:
            break;
        }
    }
    switch (column) {
    case Column::BoltNo:
        return {row.boltNo, std::nullopt};
    case Column::TestDate:
        return {row.testDate, std::nullopt};
    case Column::DesignLength:
        return Fixed(row.designLength, 2);
    // A length nobody measured is an empty cell, never 0.00.
    case Column::MeasuredLength:
        return row.measured ? Fixed(row.measuredLength, 2) : SummaryCell{};
    case Column::FreeLength:
        return row.measured ? Fixed(row.freeLength, 2) : SummaryCell{};
    case Column::AnchorLength:
        return row.measured ? Fixed(row.anchorLength, 2) : SummaryCell{};
    case Column::LengthRatio:
        if (!row.lengthRatio)
            return {};
        return Fixed(*row.lengthRatio, 1);
    case Column::Defect:
        if (!row.defect)
            return {};
        return {QString::asprintf("%0.2f-%0.2f", static_cast<double>(row.defect->from),
                                  static_cast<double>(row.defect->to)) +
                    (row.defect->beyondBottom ? sheet::kDefectBeyondBottom : QString()),
                std::nullopt};
    case Column::Grade:
        return {row.grade, std::nullopt};
    case Column::QualityClass:
        return {row.qualityClass, std::nullopt};
    case Column::Verdict:
        return {VerdictText(row.verdict), std::nullopt};
    case Column::SuggestedLength:
        if (!row.suggestedLength)
            return {};
        return Fixed(*row.suggestedLength, 2);
    case Column::Review:
        if (row.review && !row.reviewReason.isEmpty())
            return {QStringLiteral("%1（%2）").arg(kReviewText, row.reviewReason), std::nullopt};
        return {row.review ? kReviewText : QString(), std::nullopt};
    case Column::Index:
    case Column::File:
        break;
    }
    return {};
}

QStringList SiteSummary::Paths() const
{
    QStringList paths;
    paths.reserve(static_cast<qsizetype>(rows.size()));
    for (const SummaryRow& row : rows)
        paths.append(row.path);
    return paths;
}

QStringList FolderTestFiles(const QString& folder, int* error)
{
    // The file tree's listing, so that names in code page 936 (or in no known code) count
    // too, in the order the tree shows them.
    QStringList paths;
    for (const FolderEntry& file : ListTestFiles(folder, error))
        paths.append(file.path);
    return paths;
}

QString FolderErrorText(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("文件夹不存在");
    case ENOTDIR:
        return QStringLiteral("不是文件夹");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有读取权限，无法读取文件夹");
    default:
        return QStringLiteral("无法读取文件夹");
    }
}

SummaryRow ReadSummaryRow(const QString& path, int index, CachedSuggestion* cached)
{
    SummaryRow row;
    row.index = index;
    row.path = path;
    row.fileName = SingleLine(DisplayName(QFileInfo(path).fileName()));

    TestRecord record; // thrown away unread when the file cannot be read
    QByteArray bytes;
    const LoadResult loaded = record.LoadInPlace(path, cached ? &bytes : nullptr);
    if (!loaded) {
        row.loadMessage = loaded.described();
        return row;
    }
    row.readable = true;

    // The bolt's one result, as its sheet prints it.
    const BoltResult result = ResultOf(record);
    row.boltNo = SingleLine(result.boltNo);
    row.testDate = SingleLine(result.testDate);
    row.designLength = result.designLength;
    row.measured = result.report.measured;
    row.freeLength = result.report.freeLength;
    row.anchorLength = result.report.anchorLength;
    row.measuredLength = result.report.length;
    row.lengthRatio = result.lengthRatio;
    row.defect = result.report.defect;
    row.grade = result.GradeText();
    row.qualityClass = result.ClassText();
    row.verdict = result.verdict;
    row.headerProblem = SingleLine(result.headerProblem);
    row.review = !row.headerProblem.isEmpty();
    // A second look where the picker cannot confirm the saved bottom (CheckSavedBottom):
    // the picker's, or what it gave for the same bytes before.
    std::optional<RowSuggestion> suggestion;
    if (cached) {
        cached->hash = HashContent(bytes);
        if (cached->kept)
            if (const std::optional<QByteArray> value = cached->kept->For(cached->hash))
                if ((suggestion = DecodeRowSuggestion(*value)))
                    cached->value = *value;
    }
    if (!suggestion) {
        suggestion = RowSuggestionOf(record, result);
        if (cached)
            cached->value = EncodeRowSuggestion(*suggestion);
    }
    SavedBottomCheck check;
    check.suggestedLength = suggestion->suggestedLength;
    JudgeSavedBottom(check, result);
    row.suggestedLength = suggestion->suggestedLength;
    row.review = row.review || check.review;
    if (check.review && !check.suggestedLength)
        row.reviewReason = SingleLine(suggestion->reasons.join(QStringLiteral("，")));
    row.projectName = SingleLine(record.m_strProjectName);
    row.testUnit = SingleLine(record.m_strTestUnit);
    return row;
}

bool ReadRowBatches(const QStringList& files, const RowBatchTaker& take,
                    const SummaryProgress& progress, SuggestionCache* suggestions)
{
    // The cache knows a file by its name in the folder.
    const auto nameOf = [&files](int i) {
        const QString& path = files[i];
        return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    };
    const int total = static_cast<int>(files.size());
    const int count = (total + kBatchSize - 1) / kBatchSize;
    // Two batches are read while `take` has a third: the pool starts on the later one as
    // its threads come free from the earlier, so it never waits for the slowest file of a
    // batch, nor for `take`.
    constexpr int kInFlight = 2;
    std::array<std::vector<SummaryRow>, kInFlight + 1> batches;
    std::array<std::vector<CachedSuggestion>, kInFlight + 1> cached;
    std::array<QFuture<void>, kInFlight + 1> reading;
    const auto slot = [](int batch) { return static_cast<std::size_t>(batch % (kInFlight + 1)); };
    const auto start = [&](int batch) {
        const int from = batch * kBatchSize;
        if (progress && !progress(from, total))
            return false;
        std::vector<SummaryRow>& rows = batches[slot(batch)];
        rows.assign(static_cast<std::size_t>(std::min(total - from, kBatchSize)), SummaryRow{});
        for (std::size_t i = 0; i < rows.size(); ++i)
            rows[i].index = from + static_cast<int>(i) + 1;
        std::vector<CachedSuggestion>& batchCache = cached[slot(batch)];
        batchCache.clear();
        if (suggestions) {
            batchCache.resize(rows.size());
            for (std::size_t i = 0; i < rows.size(); ++i)
                batchCache[i].kept = suggestions->Lookup(nameOf(from + static_cast<int>(i)));
        }
        CachedSuggestion* const first = suggestions ? batchCache.data() : nullptr;
        reading[slot(batch)] = QtConcurrent::map(rows, [&files, first, from](SummaryRow& row) {
            const int i = row.index - 1;
            row = ReadSummaryRow(files[i], row.index, first ? first + (i - from) : nullptr);
        });
        return true;
    };
    const auto stop = [&reading] {
        for (QFuture<void>& f : reading)
            f.waitForFinished();
        return false;
    };
    for (int batch = 0; batch < std::min(kInFlight, count); ++batch)
        if (!start(batch))
            return stop();
    for (int batch = 0; batch < count; ++batch) {
        reading[slot(batch)].waitForFinished();
        if (batch + kInFlight < count && !start(batch + kInFlight))
            return stop();
        if (suggestions) {
            const std::vector<SummaryRow>& rows = batches[slot(batch)];
            const std::vector<CachedSuggestion>& batchCache = cached[slot(batch)];
            for (std::size_t i = 0; i < rows.size(); ++i)
                if (rows[i].readable)
                    suggestions->Keep(nameOf(rows[i].index - 1), batchCache[i].hash,
                                      batchCache[i].value);
        }
        if (!take(batches[slot(batch)]))
            return stop();
    }
    return !progress || progress(total, total);
}

std::optional<SiteSummary> SummarizeFiles(const QString& folder, const QStringList& files,
                                          const SummaryProgress& progress,
                                          SuggestionCache* suggestions, QString* cacheMessage)
{
    SiteSummary summary;
    summary.folder = folder;
    summary.rows.reserve(static_cast<std::size_t>(files.size()));
    SummaryTally tally;
    const auto keep = [&](std::vector<SummaryRow>& batch) {
        for (SummaryRow& row : batch) {
            tally.Add(row);
            summary.rows.push_back(std::move(row));
        }
        return true;
    };
    if (!ReadRowBatches(files, keep, progress, suggestions))
        return std::nullopt;
    if (suggestions) {
        const QString message = FinishSuggestionCache(*suggestions, folder);
        if (cacheMessage)
            *cacheMessage = message;
    }
    summary.statistics = tally.Statistics();
    summary.header = tally.Header();
    return summary;
}

std::optional<SiteSummary> SummarizeFolder(const QString& folder, const SummaryProgress& progress,
                                           QString* cacheMessage)
{
    const QStringList files = FolderTestFiles(folder);
    const std::unique_ptr<SuggestionCache> suggestions = OpenSuggestionCache(folder);
    return SummarizeFiles(folder, files, progress, suggestions.get(), cacheMessage);
}

} // namespace rovana::summary
