#include "ReachFuzzCheck.h"

#include "BoltResult.h"
#include "EchoPicker.h"
#include "FilterDesign.h"
#include "FuzzRequire.h"
#include "InstrumentRange.h"
#include "ProcessingChain.h"
#include "ReportSheet.h"
#include "SheetDocument.h"
#include "SheetItems.h"
#include "SuggestedMarkers.h"
#include "SummaryTable.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace rovana::fuzz {
namespace {

// Values drawn one after another from the knobs' bytes, round and round; all zero
// without bytes.
class Knobs
{
public:
    explicit Knobs(const QByteArray& bytes) : m_bytes(bytes) {}

    std::uint8_t Byte()
    {
        if (m_bytes.isEmpty())
            return 0;
        return static_cast<std::uint8_t>(m_bytes[m_next++ % m_bytes.size()]);
    }
    std::uint32_t Word()
    {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i)
            w = (w << 8) | Byte();
        return w;
    }
    double RawDouble()
    {
        std::uint64_t bits = (static_cast<std::uint64_t>(Word()) << 32) | Word();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    // One of `values`.
    template <typename T, std::size_t N> T Of(const T (&values)[N]) { return values[Byte() % N]; }

private:
    QByteArray m_bytes;
    qsizetype m_next = 0;
};

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A cut-off for `rate` Hz: a raw double, a whole number, a share of the rate, or a value
// next to a limit of the order.
double CutOff(Knobs& k, int order, int intervalUs)
{
    const double rate = intervalUs > 0 ? 1e6 / intervalUs : 1e6;
    const double nudge = 1.0 + (static_cast<int>(k.Byte()) - 128) * 1e-4;
    switch (k.Byte() % 5) {
    case 0:
        return k.RawDouble();
    case 1:
        return k.Word() / 1000.0;
    case 2:
        return rate * k.Of({0.0, 1e-9, 1e-6, 3e-5, 1e-4, 5e-4, 0.01, 0.25, 0.4999, 0.49999999, 0.5,
                            0.5000001, 1.0});
    case 3: {
        const processing::CutOffRange low = processing::LowPassRange(order, intervalUs);
        const processing::CutOffRange high = processing::HighPassRange(order, intervalUs);
        return k.Of({low.lowest, low.highest, high.lowest, high.highest}) * nudge;
    }
    default:
        return k.Of({kNaN, kInf, -kInf, -1.0, 0.0, 5e-324, 1e308});
    }
}

processing::ChainSettings Settings(Knobs& k, int intervalUs)
{
    processing::ChainSettings s;
    s.enabled = (k.Byte() & 7) != 0;
    s.filter = static_cast<processing::FilterKind>(k.Byte() % 4);
    s.order = k.Byte() % 8 == 0 ? static_cast<int>(k.Word()) : k.Byte() % 12 - 1;
    s.lowHz = CutOff(k, s.order, intervalUs);
    s.highHz = CutOff(k, s.order, intervalUs);
    s.gain = static_cast<processing::GainKind>(k.Byte() % 3);
    s.gainAtDesign = k.Byte() % 4 == 0 ? k.RawDouble() : k.Byte() / 2.0;
    return s;
}

QSize FixedMeasure(const QString& text, double pointSize)
{
    const int h = static_cast<int>(pointSize * 8.0);
    return {static_cast<int>(text.size()) * h, h};
}

// Calls `work` with C's stderr going to a file of its own, and tells whether anything was
// written there. Only the stream is redirected: the sanitizers write to file descriptor 2
// directly and are still heard.
template <typename Work> bool PrintsOnStderr(const Work& work)
{
    static std::FILE* capture = std::tmpfile();
    Require(capture != nullptr, "a file for standard error");
    std::rewind(capture);
    std::FILE* const saved = stderr;
    stderr = capture;
    work();
    std::fflush(capture);
    stderr = saved;
    return std::ftell(capture) != 0;
}

void CheckEcho(const std::optional<pick::PickedEcho>& echo, std::size_t count, const char* what)
{
    if (!echo)
        return;
    Require(echo->sample >= 1 &&
                static_cast<std::size_t>(echo->sample) < std::max<std::size_t>(count, 2),
            what);
    Require(echo->confidence >= 0.0 && echo->confidence <= 1.0, "confidence outside 0..1");
}

void CheckPick(const pick::PickResult& r, std::size_t count)
{
    CheckEcho(r.end, count, "end outside the record");
    CheckEcho(r.freeEnd, count, "free end outside the record");
    CheckEcho(r.bottom, count, "bottom outside the record");
    for (const pick::PickedDefect& d : r.defects) {
        CheckEcho(d.start, count, "defect outside the record");
        CheckEcho(d.end, count, "defect outside the record");
    }
}

} // namespace

void RunPicker(const TestRecord& record, const QByteArray& knobs)
{
    const bool inRange = HeaderOutOfRange(record).isEmpty();
    const auto count = static_cast<std::size_t>(UsableSampleCount(record));
    for (int c = 0; c < kChannelCount; ++c) {
        const SuggestedMarkers s = SuggestMarkers(record, c);
        CheckPick(s.pick, count);
        for (const auto& length : {s.length, s.freeLength, s.anchorLength}) {
            Require(inRange || !length, "a suggested length from a header out of range");
            Require(!length || std::isfinite(*length), "a suggested length that is not finite");
        }
    }
    Knobs k(knobs);
    const int c = k.Byte() % kChannelCount;
    pick::PickInput in;
    in.samples = std::span(record.m_nSamples[static_cast<std::size_t>(c)].data(), count);
    in.sampleIntervalUs = k.Of({record.m_nSampleInterval, 0, 1, 2, 1000, -5, INT_MAX, INT_MIN});
    in.waveSpeed = k.Of({record.m_nWaveSpeed, 0, 1, 4000, INT_MAX, -1});
    const double lengths[] = {record.m_fDesignLength,
                              record.m_fDesignL0,
                              kInf,
                              -kInf,
                              kNaN,
                              3e38,
                              1.7e308,
                              1e-300,
                              0.0,
                              -1.0,
                              1e9,
                              2147483647.0};
    in.designLength = k.Of(lengths);
    in.designFreeLength = k.Of(lengths);
    CheckPick(pick::PickEchoes(in), count);
}

void RunChain(const TestRecord& record, const QByteArray& knobs)
{
    namespace pr = processing;
    Knobs k(knobs);
    const int interval = k.Byte() % 4 == 0 ? k.Of({0, -1, 1, 1000, 1001, INT_MAX, INT_MIN})
                                           : record.m_nSampleInterval;
    const pr::ChainSettings s = Settings(k, interval);
    const int speed = record.m_nWaveSpeed;
    const double length = record.m_fDesignLength;
    const auto count = static_cast<std::size_t>(UsableSampleCount(record));
    const std::span<const std::int16_t> samples(
        record.m_nSamples[static_cast<std::size_t>(k.Byte() % kChannelCount)].data(), count);

    pr::ChainSettings applied;
    std::vector<double> out;
    std::string why, filterWhy;
    const bool printed = PrintsOnStderr([&] {
        why = pr::CheckSettings(s, interval);
        pr::ChainSettings filterOnly = s;
        filterOnly.gain = pr::GainKind::None;
        filterWhy = pr::CheckSettings(filterOnly, interval);
        applied = pr::AppliedChain(s, interval, speed, length);
        out = pr::ApplyChain(samples, interval, speed, length, s);
    });
    Require(!printed, "liquid-dsp printed on standard error");
    Require(out.size() == count, "chain output of another length");
    Require(std::all_of(out.begin(), out.end(), [](double v) { return std::isfinite(v); }),
            "a chain output that is not finite");
    const bool filterOn = s.enabled && s.filter != pr::FilterKind::None;
    const bool filterApplied = applied.enabled && applied.filter != pr::FilterKind::None;
    const bool gainApplied = applied.enabled && applied.gain != pr::GainKind::None;
    Require(filterApplied == (filterOn && filterWhy.empty()),
            "the filter applied is not the one the check accepted");
    Require(!why.empty() || pr::IsChainOff(s) || applied.enabled ||
                !pr::CheckGainBasis(s, speed, length).empty(),
            "accepted settings left out");
    if (pr::IsChainOff(applied)) {
        for (std::size_t i = 0; i < count; ++i)
            Require(out[i] == samples[i], "nothing applied, yet the samples changed");
    } else if (!gainApplied) {
        // A filter applied is a stable one: its output stays within a few times the input.
        for (const double v : out)
            Require(std::abs(v) < 1e8, "a filter's output ran away");
    }
    std::vector<std::int16_t> shown(count);
    pr::ToDisplaySamples(out, shown);
    for (std::size_t i = 0; i < count; ++i)
        Require(shown[i] != INT16_MIN || out[i] <= INT16_MIN, "a silent -32768");

    // The sheet says what was applied, and only that.
    sheet::SheetSettings settings = sheet::SettingsAfterOpening(record);
    settings.chain = s;
    TestRecord print = record;
    print.m_nSampleInterval = interval;
    const sheet::SheetDrawList page =
        sheet::DrawSheet({{4960, 7016, 600}, print, settings, FixedMeasure});
    const pr::ChainSettings sheetChain = pr::AppliedChain(s, interval, speed, length);
    const auto line = std::find_if(page.begin(), page.end(), [](const sheet::SheetItem& item) {
        return item.role == sheet::SheetRole::Processing;
    });
    const bool diagram = record.m_nReportChannel >= 0 && record.m_nReportChannel < kChannelCount;
    if (line == page.end())
        Require(!diagram || pr::IsChainOff(sheetChain), "an applied chain the sheet does not name");
    else
        Require(line->text.toStdString() == pr::DescribeChain(sheetChain),
                "the sheet names a chain that was not applied");
}

void RunSummaryRow(const QString& path, bool loaded, const TestRecord& record)
{
    const summary::SummaryRow row = summary::ReadSummaryRow(path, 1);
    Require(row.readable == loaded, "the summary reads what the reader refuses, or not");
    Require(loaded || !row.loadMessage.isEmpty(), "an unreadable row without a reason");
    summary::SummaryTally tally;
    tally.Add(row);
    const summary::SummaryStatistics statistics = tally.Statistics();
    Require(statistics.bolts == 1 && statistics.unreadable == (loaded ? 0 : 1), "statistics");
    for (int c = 0; c < summary::kColumnCount; ++c) {
        const summary::SummaryCell cell = summary::CellOf(row, static_cast<summary::Column>(c));
        Require(!cell.number || std::isfinite(*cell.number), "a number cell that is not finite");
    }
    if (!loaded)
        return;
    const QString why = HeaderOutOfRange(record);
    Require(row.headerProblem == why, "the row's reason is not the header's");
    if (why.isEmpty())
        return;
    Require(!ResultOf(record).report.measured, "measured from a header out of range");
    for (const summary::Column c : {summary::Column::MeasuredLength, summary::Column::FreeLength,
                                    summary::Column::AnchorLength, summary::Column::LengthRatio,
                                    summary::Column::SuggestedLength})
        Require(summary::CellOf(row, c).text.isEmpty(), "a length from a header out of range");
    Require(row.review, "a header out of range without 请复核");
}

} // namespace rovana::fuzz
