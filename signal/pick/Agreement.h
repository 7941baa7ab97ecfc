#pragma once

// Three blows agree: the channels of one test that hold the same kind of record (the same
// bolt struck again) are compared, and a pick the other channels also make gains
// confidence, one they contradict loses it. Standard library only.

#include "EchoPicker.h"

#include <array>
#include <span>
#include <vector>

namespace rovana::pick {

// Two picks of one kind agree when free ends lie within 0.1 m, bottoms within 3 % of the
// length of each other, lengths measured from each channel's own end marker.
struct Agreeing
{
    int freeEnd = 0, bottom = 0;               // the other compared channels whose pick agrees
    int freeEndAgainst = 0, bottomAgainst = 0; // ... whose sure pick (offered) does not
};

struct ChannelsPicked
{
    std::vector<PickResult> channels; // one per input, confidences after the comparison
    // Which inputs were compared: the same time base and design lengths, a blow of the
    // same sign and of a width within a third of each other's. Fewer than two: none.
    std::vector<int> compared;
    std::vector<Agreeing> agreeing; // per input; all 0 where it was not compared
};

// Picks every channel (PickEchoes), then compares the channels that hold the same kind of
// record: each pick's confidence is moved by the picks of the others (kAgreementWeights),
// a pick may so come to be offered or withheld, and the reasons follow (AgreeChannels).
ChannelsPicked PickChannels(std::span<const PickInput> inputs);

// The comparison of channels already picked (`picked.channels`, one PickEchoes result per
// input) and what it does to their confidences, offers and reasons.
void AgreeChannels(std::span<const PickInput> inputs, ChannelsPicked& picked);

// Whether comparing a pick of confidence `p` with up to `others` other channels could offer
// it where it would be withheld alone, or the other way round: AgreedConfidence for every
// count of agreeing and contradicting channels it could meet, and `p` itself (not compared).
bool AgreementCouldMove(double p, int others);

// The bottom that PickChannels(inputs) offers on channel `which`, found at the cost of one
// channel where the others cannot change it: the other channels are picked only when
// AgreementCouldMove says their comparison could offer or withhold it. The same sample, the
// same offer and the same reason as PickChannels; its confidence is not given, as the
// comparison that would set it may not have been made.
struct ChannelBottom
{
    std::optional<int> end;    // the blow's peak, sample
    std::optional<int> bottom; // the offered bottom, sample
    // Why no bottom is offered (BottomNotClear, SuspectedMultiple, NoBlow, NoTimeBase);
    // None with a bottom.
    PickReason reason = PickReason::None;
    bool othersPicked = false; // the other channels were picked and compared
};
ChannelBottom PickChannelBottom(std::span<const PickInput> inputs, int which);

// The comparison alone: which of the picked channels hold the same kind of record, and
// per channel how many of the others agree with its free end and bottom (offered or
// withheld) and how many offer one that does not. Confidences are left as they are.
void CompareChannels(std::span<const PickInput> inputs, ChannelsPicked& picked);

// The confidence `p` of a pick with `agree` other channels agreeing and `against`
// offering another.
double AgreedConfidence(double p, int agree, int against);

// ln(p / (1 - p)), p kept within 1e-6 of 0 and 1.
double Logit(double p);

// A pick's confidence moved by agreement: 1, its confidence's logit, the other channels
// that agree, those whose offered pick disagrees. Fitted by rovana-pick-fit on three blows
// of layered model bolts.
inline constexpr std::array<double, 4> kAgreementWeights = {-0.1898, 1.0247, 0.0905, -1.1778};

} // namespace rovana::pick
