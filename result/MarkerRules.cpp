#include "MarkerRules.h"

#include "Lengths.h"
#include "Saturate.h"

#include <cmath>

namespace rovana {

namespace {

constexpr double kLengthMatch = 0.001; // metres: a placement this close needs no correction

std::int64_t IntervalTimesSpeed(const PlacementBasis& basis)
{
    return static_cast<std::int64_t>(basis.sampleInterval) * basis.waveSpeed;
}

// Places `marker` at the position of `design` metres from the end marker, then corrects
// it once by k samples towards the design length as `measure` reads it.
template <typename Measure>
bool PlaceWithCorrection(ChannelMarks& marks, const PlacementBasis& basis, int marker,
                         float design, Measure measure)
{
    const std::int64_t dtv = IntervalTimesSpeed(basis);
    if (dtv == 0)
        return false; // no sampling interval or no wave speed: no position to compute
    const int k = CursorStep(basis.sampleCount);
    const std::int64_t end = marks.pos[kMarkerEnd];
    int& pos = marks.pos[static_cast<std::size_t>(marker)];
    pos = PlacementPosition(k, design, dtv, end);
    const float found = measure(pos);
    if (std::fabs(static_cast<double>(design) - found) < kLengthMatch) {
        // close enough
    } else if (design > found) {
        pos = PlacementPosition(k, design, dtv, end + k);
    } else if (design < found) {
        pos = PlacementPosition(k, design, dtv, end - k);
    }
    marks.set[static_cast<std::size_t>(marker)] = true;
    marks.byRule[static_cast<std::size_t>(marker)] = true;
    return true;
}

void ResetGrade(ChannelMarks& marks, MarkerOutcome& outcome)
{
    marks.grade = 0;
    outcome.gradeReset = true;
}

MarkerOutcome AfterEnd(ChannelMarks& marks, const PlacementBasis& basis)
{
    MarkerOutcome outcome;
    if (!marks.IsSet(kMarkerEnd))
        return outcome;
    if (marks.IsSet(kMarkerBottom)) {
        ResetGrade(marks, outcome);
        return outcome;
    }
    if (marks.IsSet(kMarkerFreeEnd))
        return outcome; // free end without bottom: wait for the bottom
    if (!PlaceBottomFromDesign(marks, basis))
        return outcome; // nothing placed: end and bottom are not both set
    PlaceFreeEndFromDesign(marks, basis);
    ResetGrade(marks, outcome);
    outcome.bottomFromDesign = true;
    return outcome;
}

MarkerOutcome AfterBottom(ChannelMarks& marks, const PlacementBasis& basis)
{
    MarkerOutcome outcome;
    if (marks.IsSet(kMarkerEnd) && !marks.IsSet(kMarkerFreeEnd))
        PlaceFreeEndFromDesign(marks, basis);
    if (marks.IsSet(kMarkerEnd) && marks.IsSet(kMarkerBottom))
        ResetGrade(marks, outcome);
    return outcome;
}

} // namespace

PlacementBasis PlacementBasisOf(const TestRecord& record, int waveSpeed)
{
    return {UsableSampleCount(record), record.m_nSampleInterval, waveSpeed,
            record.m_fDesignLength, record.m_fDesignL0};
}

int CursorStep(int sampleCount)
{
    return sampleCount == 512 ? 2 : 1;
}

int PlacementPosition(int k, float length, std::int64_t intervalTimesSpeed, std::int64_t start)
{
    const double samples =
        static_cast<double>(k) * 2000000.0 * length / static_cast<double>(intervalTimesSpeed);
    return TruncToInt(samples + static_cast<double>(start));
}

bool PlaceBottomFromDesign(ChannelMarks& marks, const PlacementBasis& basis)
{
    return PlaceWithCorrection(marks, basis, kMarkerBottom, basis.designLength, [&](int pos) {
        return MarkerLength(pos, marks.pos[kMarkerEnd], basis.sampleInterval, basis.waveSpeed);
    });
}

bool PlaceFreeEndFromDesign(ChannelMarks& marks, const PlacementBasis& basis)
{
    return PlaceWithCorrection(marks, basis, kMarkerFreeEnd, basis.designL0, [&](int pos) {
        return TruncToCentimetres(
            MarkerLength(pos, marks.pos[kMarkerEnd], basis.sampleInterval, basis.waveSpeed));
    });
}

MarkerOutcome ApplyMarker(ChannelMarks& marks, int marker, std::optional<int> position,
                          const PlacementBasis& basis)
{
    if (marker < 0 || marker >= kMarkerCount)
        return {};
    const auto m = static_cast<std::size_t>(marker);
    if (position) {
        const bool defect = marker == kMarkerDefectStart || marker == kMarkerDefectEnd;
        if (defect && marks.IsSet(kMarkerBottom) && *position > marks.pos[kMarkerBottom]) {
            MarkerOutcome refused;
            refused.refusal = kDefectPastBottom;
            return refused;
        }
        marks.pos[m] = *position;
        marks.set[m] = true;
        marks.byRule[m] = false; // the engineer's own
    } else if (marks.IsSet(marker)) {
        marks.byRule[m] = false; // confirmed where it stands
    }
    switch (marker) {
    case kMarkerEnd:
        return AfterEnd(marks, basis);
    case kMarkerBottom:
        return AfterBottom(marks, basis);
    default:
        return {};
    }
}

void ClearMarks(ChannelMarks& marks)
{
    const int grade = marks.grade;
    marks = ChannelMarks{};
    marks.grade = grade;
}

} // namespace rovana
