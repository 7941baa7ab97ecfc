#pragma once

#include "ChannelMarks.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace rovana {

// The marker rules of a channel as plain functions on its marks: placing a marker, the
// automatic placement of the bottom and free end from the design lengths, clearing.

// What the automatic placement reads of the test.
struct PlacementBasis
{
    int sampleCount = 0;    // usable samples
    int sampleInterval = 0; // µs
    int waveSpeed = 0;      // m/s
    float designLength = 0.0f;
    float designL0 = 0.0f;
};
PlacementBasis PlacementBasisOf(const TestRecord& record, int waveSpeed);

// Step k of the cursor keys and of automatic placement: records of exactly 512 samples
// are handled in double steps.
int CursorStep(int sampleCount);

// trunc(k * 2 000 000 * X / (dt * v) + e) with X in metres and dt * v in µs * m/s; the
// position where a length X from start e lies.
int PlacementPosition(int k, float length, std::int64_t intervalTimesSpeed, std::int64_t start);

// Places the bottom (design length) or the free end (design free length) from the end
// marker, with one correction step of k samples when the length found differs from the
// design by 0.001 m or more, sets the marker and marks it as placed by the rule. With
// dt * v = 0 there is no position: nothing is placed and the result is false.
bool PlaceBottomFromDesign(ChannelMarks& marks, const PlacementBasis& basis);
bool PlaceFreeEndFromDesign(ChannelMarks& marks, const PlacementBasis& basis);

// What a marker command did besides the marks.
struct MarkerOutcome
{
    QString refusal;               // why nothing was placed, for the user
    bool gradeReset = false;       // the channel's grade went back to A
    bool bottomFromDesign = false; // the bottom was placed by the design-length rule
};

// Said when a defect marker would lie past the bottom marker.
inline const QString kDefectPastBottom = QStringLiteral("缺陷位置不能超出锚杆底部，未设置缺陷标记");

// A marker command. With a position (the cursor was shown), the marker is set there by the
// engineer; a defect marker past a set bottom is refused and nothing changes. Without one,
// a marker the rule placed is confirmed by the engineer where it stands. Then the
// follow-up: after the end, with the bottom set the grade goes back to A; with neither
// bottom nor free end the bottom and free end are placed by the design-length rule (grade
// A). After the bottom, a missing free end is placed by the rule, and with the end set the
// grade goes back to A.
MarkerOutcome ApplyMarker(ChannelMarks& marks, int marker, std::optional<int> position,
                          const PlacementBasis& basis);

// Clear: all five markers unset, positions 0; the grade stays.
void ClearMarks(ChannelMarks& marks);

} // namespace rovana
