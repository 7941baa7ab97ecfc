#include "SummaryRows.h"

#include <QBuffer>
#include <QDataStream>

namespace rovana::summary {

namespace {

// Rows between two remembered file offsets: a page of the printed table starts at most
// this many rows after one.
constexpr int kIndexStep = 64;

template <typename T> void WriteOptional(QDataStream& out, const std::optional<T>& value)
{
    out << value.has_value() << (value ? *value : T{});
}

template <typename T> void ReadOptional(QDataStream& in, std::optional<T>& value)
{
    bool has = false;
    T v{};
    in >> has >> v;
    value = has ? std::optional<T>(v) : std::nullopt;
}

void WriteRow(QDataStream& out, const SummaryRow& row)
{
    out << row.index << row.path << row.fileName << row.readable << row.loadMessage << row.boltNo
        << row.testDate << row.designLength << row.measured << row.measuredLength << row.freeLength
        << row.anchorLength;
    WriteOptional(out, row.lengthRatio);
    out << row.defect.has_value();
    if (row.defect)
        out << row.defect->from << row.defect->to << row.defect->beyondBottom;
    out << row.grade << row.qualityClass << static_cast<qint32>(row.verdict);
    WriteOptional(out, row.suggestedLength);
    out << row.review << row.headerProblem << row.reviewReason << row.projectName << row.testUnit;
}

void ReadRow(QDataStream& in, SummaryRow& row)
{
    in >> row.index >> row.path >> row.fileName >> row.readable >> row.loadMessage >> row.boltNo >>
        row.testDate >> row.designLength >> row.measured >> row.measuredLength >> row.freeLength >>
        row.anchorLength;
    ReadOptional(in, row.lengthRatio);
    bool defect = false;
    in >> defect;
    row.defect.reset();
    if (defect) {
        DefectRange range;
        in >> range.from >> range.to >> range.beyondBottom;
        row.defect = range;
    }
    qint32 verdict = 0;
    in >> row.grade >> row.qualityClass >> verdict;
    row.verdict = static_cast<Verdict>(verdict);
    ReadOptional(in, row.suggestedLength);
    in >> row.review >> row.headerProblem >> row.reviewReason >> row.projectName >> row.testUnit;
}

void SetUp(QDataStream& stream)
{
    stream.setVersion(QDataStream::Qt_6_0);
    stream.setFloatingPointPrecision(QDataStream::DoublePrecision);
}

} // namespace

bool RowSpan::Visit(int first, int count, const RowVisitor& visit) const
{
    const int end = std::min(first + std::max(count, 0), Count());
    for (int i = std::max(first, 0); i < end; ++i)
        visit(m_Rows[static_cast<std::size_t>(i)]);
    return true;
}

RowSpool::RowSpool(qsizetype memoryBytes) : m_nMemoryBytes(memoryBytes) {}
RowSpool::~RowSpool() = default;

bool RowSpool::Fail(const QString& what, const QIODevice& device) const
{
    if (m_strError.isEmpty())
        m_strError = QStringLiteral("%1：%2").arg(what, device.errorString());
    return false;
}

bool RowSpool::Spill()
{
    m_pFile = std::make_unique<QTemporaryFile>();
    if (!m_pFile->open())
        return Fail(QStringLiteral("无法创建临时文件"), *m_pFile);
    if (m_pFile->write(m_Memory) != m_Memory.size())
        return Fail(QStringLiteral("无法写入临时文件"), *m_pFile);
    m_Memory = QByteArray();
    return true;
}

bool RowSpool::Append(const SummaryRow& row)
{
    if (!m_strError.isEmpty())
        return false;
    if (m_nCount % kIndexStep == 0)
        m_Offsets.push_back(m_nBytes);
    QBuffer memory(&m_Memory);
    QIODevice* device = m_pFile.get();
    if (!device) {
        memory.open(QIODevice::Append);
        device = &memory;
    }
    QDataStream out(device);
    SetUp(out);
    WriteRow(out, row);
    if (out.status() != QDataStream::Ok)
        return Fail(QStringLiteral("无法写入临时文件"), *device);
    m_nBytes = device->pos();
    ++m_nCount;
    memory.close();
    if (!m_pFile && m_Memory.size() > m_nMemoryBytes)
        return Spill();
    return true;
}

bool RowSpool::Visit(int first, int count, const RowVisitor& visit) const
{
    const int end = std::min(first + std::max(count, 0), m_nCount);
    first = std::max(first, 0);
    if (!m_strError.isEmpty())
        return false;
    if (first >= end)
        return true;
    QBuffer memory;
    memory.setData(m_Memory); // shared, not copied
    QIODevice* device = m_pFile.get();
    if (!device) {
        memory.open(QIODevice::ReadOnly);
        device = &memory;
    } else if (!m_pFile->flush()) {
        return Fail(QStringLiteral("无法写入临时文件"), *device);
    }
    const int start = (first / kIndexStep) * kIndexStep;
    if (!device->seek(m_Offsets[static_cast<std::size_t>(start / kIndexStep)]))
        return Fail(QStringLiteral("无法读取临时文件"), *device);
    QDataStream in(device);
    SetUp(in);
    SummaryRow row;
    for (int i = start; i < end; ++i) {
        ReadRow(in, row);
        if (in.status() != QDataStream::Ok)
            return Fail(QStringLiteral("无法读取临时文件"), *device);
        if (i >= first)
            visit(row);
    }
    // Rows may still be appended after a visit.
    if (m_pFile && !m_pFile->seek(m_nBytes))
        return Fail(QStringLiteral("无法读取临时文件"), *device);
    return true;
}

std::optional<QByteArray> InMemory(const SiteSummary& summary, const ContentWriter& write,
                                   QString* why)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const RowSpan rows(summary.rows);
    if (!write({rows, summary.statistics, summary.header}, buffer, why))
        return std::nullopt;
    return bytes;
}

bool SpoolSummary(const QStringList& files, SpooledSummary& summary, const RowVisitor& each,
                  QString* why, SuggestionCache* suggestions)
{
    SummaryTally tally;
    const bool read = ReadRowBatches(
        files,
        [&](std::vector<SummaryRow>& batch) {
            for (const SummaryRow& row : batch) {
                if (!summary.rows.Append(row))
                    return false;
                tally.Add(row);
                if (each)
                    each(row);
            }
            return true;
        },
        {}, suggestions);
    summary.statistics = tally.Statistics();
    summary.header = tally.Header();
    if (!read && why)
        *why = summary.rows.ErrorString();
    return read;
}

} // namespace rovana::summary
