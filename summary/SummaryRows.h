#pragma once

#include "SummaryTable.h"

#include <QTemporaryFile>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace rovana::summary {

using RowVisitor = std::function<void(const SummaryRow&)>;

// The rows of a summary in table order, as its outputs read them: each output walks them
// once or twice (the printed pages measure every row before the first page), from
// wherever they are kept. The window keeps them in memory; the command line spools them to
// a temporary file, so that a site of any size is summarised in the same memory.
class SummaryRows
{
public:
    virtual ~SummaryRows() = default;
    virtual int Count() const = 0;
    // Calls `visit` with rows [first, first + count) in order; false when they could not
    // be read back (then ErrorString says why).
    virtual bool Visit(int first, int count, const RowVisitor& visit) const = 0;
    virtual QString ErrorString() const { return {}; }
    bool VisitAll(const RowVisitor& visit) const { return Visit(0, Count(), visit); }
};

// Rows the caller holds.
class RowSpan final : public SummaryRows
{
public:
    explicit RowSpan(std::span<const SummaryRow> rows) : m_Rows(rows) {}
    int Count() const override { return static_cast<int>(m_Rows.size()); }
    bool Visit(int first, int count, const RowVisitor& visit) const override;

private:
    std::span<const SummaryRow> m_Rows;
};

// Rows appended as they are read: in memory up to kMemoryBytes, then in a temporary file
// that goes with the spool. A site of a few thousand bolts never touches the disk; a
// larger one takes the same memory whatever its size.
class RowSpool final : public SummaryRows
{
public:
    static constexpr qsizetype kMemoryBytes = 4 << 20;

    explicit RowSpool(qsizetype memoryBytes = kMemoryBytes);
    ~RowSpool() override;
    RowSpool(const RowSpool&) = delete;
    RowSpool& operator=(const RowSpool&) = delete;

    bool Append(const SummaryRow& row);
    int Count() const override { return m_nCount; }
    bool Visit(int first, int count, const RowVisitor& visit) const override;
    QString ErrorString() const override { return m_strError; }
    bool InFile() const { return m_pFile != nullptr; }

private:
    bool Fail(const QString& what, const QIODevice& device) const;
    bool Spill();

    qsizetype m_nMemoryBytes;
    QByteArray m_Memory;
    std::unique_ptr<QTemporaryFile> m_pFile;
    std::vector<qint64> m_Offsets; // of rows 0, kIndexStep, 2 kIndexStep, ...
    qint64 m_nBytes = 0;
    int m_nCount = 0;
    mutable QString m_strError;
};

// What the outputs of a summary read: its rows in table order, wherever they are kept,
// with the statistics and the page header.
struct SummaryContent
{
    const SummaryRows& rows;
    const SummaryStatistics& statistics;
    const SummaryHeader& header;
};

// Writes one output of a summary (CSV, Excel, PDF) onto a device; false, with `why`, when
// it could not.
using ContentWriter = std::function<bool(const SummaryContent&, QIODevice&, QString* why)>;

// What `write` makes of a summary held in memory, as bytes; nothing when it failed.
std::optional<QByteArray> InMemory(const SiteSummary& summary, const ContentWriter& write,
                                   QString* why = nullptr);

// A summary whose rows are spooled, for the command line.
struct SpooledSummary
{
    RowSpool rows;
    SummaryStatistics statistics;
    SummaryHeader header;

    SummaryContent Content() const { return {rows, statistics, header}; }
};

// Reads the files in batches (ReadRowBatches) into `summary`'s spool, adding up its
// statistics and header; `each` sees every row once, in table order, as it is read. False
// when the spool failed; `why` then says why.
// With `suggestions`, as ReadRowBatches (the caller ends the pass).
bool SpoolSummary(const QStringList& files, SpooledSummary& summary, const RowVisitor& each,
                  QString* why = nullptr, SuggestionCache* suggestions = nullptr);

} // namespace rovana::summary
