#pragma once

#include "EchoPicker.h"
#include "TestRecord.h"

#include <QStringList>

#include <optional>

namespace rovana {

// The markers the program suggests for one channel of a record, with the lengths they
// give and the reasons for the markers it cannot suggest. Nothing here is stored in the
// record; the engineer takes a suggestion over or not.
struct SuggestedMarkers
{
    int channel = 0; // 0..2
    pick::PickResult pick;
    // Metres, from the picked samples by the program's own rules: L uncut as the screen
    // shows it, (bottom - end) * interval / 1e6 * wave speed / 2; L0 the same from the free
    // end, cut to centimetres; Lr = L - L0. None where a marker is missing, and none at all
    // for a header outside every instrument's range (HeaderOutOfRange).
    std::optional<float> length, freeLength, anchorLength;
    // One text per missing marker, as PickReasonText gives them; first, when the header is
    // outside every instrument's range, why.
    QStringList reasons;
};

// Picks the markers of `channel` (0..2) from its valid samples (UsableSampleCount), the
// record's sampling interval and wave speed, with the design lengths as a prior. A
// channel outside 0..2 gives no markers and the reason "通道不存在".
SuggestedMarkers SuggestMarkers(const TestRecord& record, int channel);

// "底部反射不明显", "自由端不明显", "未找到敲击信号", "采样间隔或波速无效"; empty for None.
QString PickReasonText(pick::PickReason reason);

} // namespace rovana
