#pragma once

#include "Agreement.h"
#include "BoltResult.h"
#include "EchoPicker.h"
#include "TestRecord.h"

#include <QStringList>

#include <array>
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
    // How many of the other channels that hold the same kind of record agree with its free
    // end and bottom, and how many offer others (all 0 when none was compared).
    pick::Agreeing agreeing;
};

// The suggestions for every channel of a record, compared where they hold the same kind
// of record (pick::PickChannels): three blows of one bolt confirm each other's picks.
struct RecordSuggestions
{
    std::array<SuggestedMarkers, kChannelCount> channels;
    std::vector<int> compared; // the channels compared, 0..2; empty when fewer than two
};

// Picks the markers of `channel` (0..2) from its valid samples (UsableSampleCount), the
// record's sampling interval and wave speed, with the design lengths as a prior, its
// confidences moved by the record's other channels where they hold the same kind of
// record. A channel outside 0..2 gives no markers and the reason "通道不存在".
SuggestedMarkers SuggestMarkers(const TestRecord& record, int channel);

// The same for all three channels at once.
RecordSuggestions SuggestAllChannels(const TestRecord& record);

// "底部反射不明显", "自由端不明显", "未找到敲击信号", "采样间隔或波速无效",
// "疑似自由段多次反射"; empty for None.
QString PickReasonText(pick::PickReason reason);

// A saved bottom is confirmed by a suggested length within this share of the saved one;
// further apart, or with no bottom suggested, the summary asks for a second look.
inline constexpr double kConfirmShare = 0.05;

// Whether the picker confirms the bottom saved on the record's report channel: the one
// rule behind the summary's "请复核" for a measured bolt.
struct SavedBottomCheck
{
    bool saved = false;     // the report channel is measured (end and bottom set)
    bool confirmed = false; // the picker offers a bottom within kConfirmShare of the saved L
    bool review = false;    // saved and not confirmed: the summary marks "请复核"
    // The report channel's L as SuggestMarkers gives it (its offered bottom), whether a
    // bottom was saved or not; none for a record without a report channel 0..2.
    std::optional<float> suggestedLength;
    QStringList reasons; // why the picker offers no bottom there (PickReasonText)
};

// The check for the record's report channel: its offered bottom as SuggestMarkers gives it
// (three blows compared), found at the cost of one channel where the others cannot change
// it (pick::PickChannelBottom). A saved bottom is confirmed when that bottom's L lies
// within kConfirmShare of the saved one; a bottom the picker only withholds, lost, or
// offered further away confirms nothing.
SavedBottomCheck CheckSavedBottom(const TestRecord& record);

// The judgement alone, from what the picker gave (`check.suggestedLength`) and the saved
// analysis `result`: sets `saved`, `confirmed` and `review`. What a summary kept of the
// picker is judged again on every summary, so the rule is never read from a store.
void JudgeSavedBottom(SavedBottomCheck& check, const BoltResult& result);

} // namespace rovana
