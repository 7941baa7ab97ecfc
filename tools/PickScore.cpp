#include "PickScore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace rovana::boltmodel {

namespace {

// Metres between two samples of the bolt's record, the program's rule without the cut to
// centimetres.
double Metres(const BoltParameters& p, int a, int b)
{
    return (a - b) * (p.sampleInterval * 1e-6) * p.waveSpeed / 2.0;
}

} // namespace

pick::PickInput InputOf(const ModelBolt& bolt)
{
    const BoltParameters& p = bolt.parameters;
    return {bolt.samples, p.sampleInterval, p.waveSpeed, p.designLength, p.designFreeLength};
}

void PickTally::Add(const ModelBolt& bolt, const pick::PickResult& picked)
{
    const BoltParameters& p = bolt.parameters;
    const BoltTruth& t = bolt.truth;
    ++bolts;
    const int end = picked.end ? picked.end->sample : t.end;
    if (t.bottomVisible) {
        ++visibleBottoms;
        if (picked.bottom) {
            const double error =
                std::abs(Metres(p, picked.bottom->sample, end) - p.length) / p.length;
            bottomsWithin3 += error <= 0.03;
            bottomsWithin5 += error <= 0.05;
        } else {
            ++visibleBottomsLost;
        }
    } else {
        ++lostBottoms;
        lostBottomsReported += !picked.bottom;
    }
    if (t.freeEndVisible) {
        ++visibleFreeEnds;
        freeEndsWithin += picked.freeEnd &&
                          std::abs(Metres(p, picked.freeEnd->sample, end) - p.freeLength) <= 0.1;
    }
    // A defect is at a void when it starts within half a pulse length (at least 0.25 m)
    // of the void's top.
    const double tolerance = std::max(0.25, p.blowMs / 1000.0 * p.waveSpeed / 4.0);
    const auto at = [&](const pick::PickedDefect& d, const VoidSection& v) {
        return std::abs(Metres(p, d.start.sample, end) - v.top) <= tolerance;
    };
    for (std::size_t i = 0; i < p.voids.size(); ++i) {
        if (!t.voids[i].visible)
            continue;
        ++visibleVoids;
        voidsFound += std::any_of(picked.defects.begin(), picked.defects.end(),
                                  [&](const pick::PickedDefect& d) { return at(d, p.voids[i]); });
    }
    for (const pick::PickedDefect& d : picked.defects)
        falseDefects += std::none_of(p.voids.begin(), p.voids.end(),
                                     [&](const VoidSection& v) { return at(d, v); });
}

PickTally ScoreSeeds(std::uint64_t first, int count)
{
    PickTally tally;
    for (int i = 0; i < count; ++i) {
        const ModelBolt bolt = MakeBolt(first + static_cast<std::uint64_t>(i));
        tally.Add(bolt, pick::PickEchoes(InputOf(bolt)));
    }
    return tally;
}

double Percent(int part, int whole)
{
    return whole == 0 ? 100.0 : 100.0 * part / whole;
}

std::string FormatTally(const PickTally& t)
{
    char buf[1024];
    std::snprintf(
        buf, sizeof buf,
        "bolts                              %6d\n"
        "visible bottoms within 3 %% of L    %5.1f %%  (%d of %d)\n"
        "visible bottoms within 5 %% of L    %5.1f %%\n"
        "visible bottoms reported lost      %5.1f %%  (%d)\n"
        "lost bottoms reported lost         %5.1f %%  (%d of %d)\n"
        "visible free ends within 0.1 m     %5.1f %%  (%d of %d)\n"
        "visible voids found                %5.1f %%  (%d of %d)\n"
        "false defects per bolt             %6.3f  (%d)\n",
        t.bolts, Percent(t.bottomsWithin3, t.visibleBottoms), t.bottomsWithin3, t.visibleBottoms,
        Percent(t.bottomsWithin5, t.visibleBottoms),
        Percent(t.visibleBottomsLost, t.visibleBottoms), t.visibleBottomsLost,
        Percent(t.lostBottomsReported, t.lostBottoms), t.lostBottomsReported, t.lostBottoms,
        Percent(t.freeEndsWithin, t.visibleFreeEnds), t.freeEndsWithin, t.visibleFreeEnds,
        Percent(t.voidsFound, t.visibleVoids), t.voidsFound, t.visibleVoids,
        t.bolts == 0 ? 0.0 : static_cast<double>(t.falseDefects) / t.bolts, t.falseDefects);
    return buf;
}

} // namespace rovana::boltmodel
