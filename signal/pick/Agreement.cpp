#include "Agreement.h"

#include "Bottom.h"

#include <algorithm>
#include <cmath>

namespace rovana::pick {

namespace {

double MetresPerSample(const PickInput& in)
{
    return in.sampleIntervalUs * 1e-6 * in.waveSpeed / 2.0;
}

bool SameKind(const PickInput& a, const PickResult& pa, const PickInput& b, const PickResult& pb)
{
    if (!pa.end || !pb.end || a.sampleIntervalUs != b.sampleIntervalUs ||
        a.waveSpeed != b.waveSpeed || a.sampleIntervalUs <= 0 || a.waveSpeed <= 0)
        return false;
    if (a.designLength != b.designLength || a.designFreeLength != b.designFreeLength)
        return false;
    const int wa = std::max(1, pa.blowWidth), wb = std::max(1, pb.blowWidth);
    return pa.blowPolarity == pb.blowPolarity && 3 * std::max(wa, wb) <= 4 * std::min(wa, wb);
}

// The pick a channel makes of one kind, offered or withheld.
const std::optional<PickedEcho>& Either(const std::optional<PickedEcho>& offered,
                                        const std::optional<PickedEcho>& withheld)
{
    return offered ? offered : withheld;
}

void Decide(std::optional<PickedEcho>& offered, std::optional<PickedEcho>& withheld)
{
    std::optional<PickedEcho> pick = offered ? offered : withheld;
    offered.reset();
    withheld.reset();
    if (pick)
        (pick->confidence >= kOfferAt ? offered : withheld) = pick;
}

} // namespace

double Logit(double p)
{
    const double q = std::clamp(p, 1e-6, 1.0 - 1e-6);
    return std::log(q / (1.0 - q));
}

double AgreedConfidence(double p, int agree, int against)
{
    const auto& w = kAgreementWeights;
    const double z = w[0] + w[1] * Logit(p) + w[2] * agree + w[3] * against;
    return 1.0 / (1.0 + std::exp(-std::clamp(z, -40.0, 40.0)));
}

void CompareChannels(std::span<const PickInput> inputs, ChannelsPicked& picked)
{
    const int n = static_cast<int>(inputs.size());
    picked.compared.clear();
    picked.agreeing.assign(static_cast<std::size_t>(n), Agreeing{});
    // The channels like the first one with a blow and a time base.
    for (int i = 0; i < n && picked.compared.empty(); ++i) {
        for (int j = 0; j < n; ++j) {
            if (SameKind(inputs[static_cast<std::size_t>(i)],
                         picked.channels[static_cast<std::size_t>(i)],
                         inputs[static_cast<std::size_t>(j)],
                         picked.channels[static_cast<std::size_t>(j)]))
                picked.compared.push_back(j);
        }
        if (picked.compared.size() < 2)
            picked.compared.clear();
    }
    for (const int i : picked.compared) {
        const PickResult& a = picked.channels[static_cast<std::size_t>(i)];
        const double perSample = MetresPerSample(inputs[static_cast<std::size_t>(i)]);
        const auto metres = [&](const PickResult& r, const PickedEcho& e) {
            return (e.sample - r.end->sample) * perSample;
        };
        Agreeing& count = picked.agreeing[static_cast<std::size_t>(i)];
        for (const int j : picked.compared) {
            if (j == i)
                continue;
            const PickResult& b = picked.channels[static_cast<std::size_t>(j)];
            const auto& freeA = Either(a.freeEnd, a.withheldFreeEnd);
            const auto& freeB = Either(b.freeEnd, b.withheldFreeEnd);
            if (freeA && freeB) {
                const bool agree = std::abs(metres(a, *freeA) - metres(b, *freeB)) <= 0.1;
                count.freeEnd += agree;
                count.freeEndAgainst += !agree && b.freeEnd;
            }
            const auto& bottomA = Either(a.bottom, a.withheldBottom);
            const auto& bottomB = Either(b.bottom, b.withheldBottom);
            if (bottomA && bottomB) {
                const double la = metres(a, *bottomA), lb = metres(b, *bottomB);
                const bool agree = std::abs(la - lb) <= 0.03 * std::max(la, lb);
                count.bottom += agree;
                count.bottomAgainst += !agree && b.bottom;
            }
        }
    }
}

void AgreeChannels(std::span<const PickInput> inputs, ChannelsPicked& picked)
{
    CompareChannels(inputs, picked);
    for (const int i : picked.compared) {
        PickResult& r = picked.channels[static_cast<std::size_t>(i)];
        const Agreeing& count = picked.agreeing[static_cast<std::size_t>(i)];
        for (auto* e : {&r.freeEnd, &r.withheldFreeEnd}) {
            if (*e)
                (*e)->confidence =
                    AgreedConfidence((*e)->confidence, count.freeEnd, count.freeEndAgainst);
        }
        for (auto* e : {&r.bottom, &r.withheldBottom}) {
            if (*e)
                (*e)->confidence =
                    AgreedConfidence((*e)->confidence, count.bottom, count.bottomAgainst);
        }
        Decide(r.freeEnd, r.withheldFreeEnd);
        Decide(r.bottom, r.withheldBottom);
        // A compared channel has a blow and a time base: its reasons are these two only.
        r.reasons.clear();
        if (!r.freeEnd)
            r.reasons.push_back(PickReason::FreeEndNotClear);
        if (!r.bottom)
            r.reasons.push_back(WithheldBottomReason(r));
    }
}

ChannelsPicked PickChannels(std::span<const PickInput> inputs)
{
    ChannelsPicked picked;
    for (const PickInput& input : inputs)
        picked.channels.push_back(PickEchoes(input));
    AgreeChannels(inputs, picked);
    return picked;
}

bool AgreementCouldMove(double p, int others)
{
    const bool alone = p >= kOfferAt;
    // Channels are compared only two or more at a time.
    if (others < 1)
        return false;
    for (int agree = 0; agree <= others; ++agree) {
        for (int against = 0; agree + against <= others; ++against) {
            if ((AgreedConfidence(p, agree, against) >= kOfferAt) != alone)
                return true;
        }
    }
    return false;
}

ChannelBottom PickChannelBottom(std::span<const PickInput> inputs, int which)
{
    ChannelBottom found;
    const int n = static_cast<int>(inputs.size());
    if (which < 0 || which >= n)
        return found;
    PickResult own = PickEchoes(inputs[static_cast<std::size_t>(which)]);
    const std::optional<PickedEcho>& pick = Either(own.bottom, own.withheldBottom);
    if (pick && AgreementCouldMove(pick->confidence, n - 1)) {
        ChannelsPicked picked;
        for (int c = 0; c < n; ++c)
            picked.channels.push_back(c == which ? std::move(own)
                                                 : PickEchoes(inputs[static_cast<std::size_t>(c)]));
        AgreeChannels(inputs, picked);
        own = std::move(picked.channels[static_cast<std::size_t>(which)]);
        found.othersPicked = true;
    }
    if (own.end)
        found.end = own.end->sample;
    if (own.bottom) {
        found.bottom = own.bottom->sample;
        return found;
    }
    for (const PickReason reason : own.reasons) {
        if (reason != PickReason::FreeEndNotClear) {
            found.reason = reason;
            break;
        }
    }
    return found;
}

} // namespace rovana::pick
