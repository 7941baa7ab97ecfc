#include "PickScore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace rovana::boltmodel {

void Reliability::Add(double c, bool isRight)
{
    const auto tenth = static_cast<std::size_t>(std::clamp(static_cast<int>(c * 10.0), 0, 9));
    ++count[tenth];
    right[tenth] += isRight;
    confidence[tenth] += c;
}

Reliability& Reliability::operator+=(const Reliability& other)
{
    for (std::size_t i = 0; i < count.size(); ++i) {
        count[i] += other.count[i];
        right[i] += other.right[i];
        confidence[i] += other.confidence[i];
    }
    return *this;
}

int Reliability::Total() const
{
    int total = 0;
    for (int c : count)
        total += c;
    return total;
}

double Reliability::WorstGap(int least) const
{
    double worst = 0.0;
    for (std::size_t i = 0; i < count.size(); ++i) {
        if (count[i] >= least)
            worst = std::max(worst, std::abs(static_cast<double>(right[i]) / count[i] -
                                             confidence[i] / count[i]));
    }
    return worst;
}

double Reliability::ExpectedGap() const
{
    double sum = 0.0;
    for (std::size_t i = 0; i < count.size(); ++i)
        sum += std::abs(static_cast<double>(right[i]) - confidence[i]);
    return Total() == 0 ? 0.0 : sum / Total();
}

pick::PickInput InputOf(const ModelBolt& bolt)
{
    const BoltParameters& p = bolt.parameters;
    return {bolt.samples, p.sampleInterval, p.waveSpeed, p.designLength, p.designFreeLength};
}

namespace {

double MetresFromEnd(const LabelledBolt& b, const pick::PickResult& picked, int sample)
{
    const int end = picked.end ? picked.end->sample : b.end;
    return (sample - end) * (b.sampleInterval * 1e-6) * b.waveSpeed / 2.0;
}

double BottomError(const LabelledBolt& b, const pick::PickResult& picked, const pick::PickedEcho& e)
{
    return std::abs(MetresFromEnd(b, picked, e.sample) - b.length) / b.length;
}

bool DefectMeets(const LabelledBolt& b, const pick::PickResult& picked, const pick::PickedDefect& d,
                 const LabelledDefect& v)
{
    const double tolerance = std::max(0.25, b.pulseMetres / 2.0);
    return MetresFromEnd(b, picked, d.start.sample) - tolerance <= v.bottom &&
           MetresFromEnd(b, picked, d.end.sample) + tolerance >= v.top;
}

} // namespace

bool FreeEndRight(const LabelledBolt& b, const pick::PickResult& picked, const pick::PickedEcho& e)
{
    return std::abs(MetresFromEnd(b, picked, e.sample) - b.freeLength) <= 0.1;
}

bool BottomRight(const LabelledBolt& b, const pick::PickResult& picked, const pick::PickedEcho& e)
{
    return BottomError(b, picked, e) <= 0.03;
}

bool DefectRight(const LabelledBolt& b, const pick::PickResult& picked, const pick::PickedDefect& d)
{
    return std::any_of(b.defects.begin(), b.defects.end(),
                       [&](const LabelledDefect& v) { return DefectMeets(b, picked, d, v); });
}

void PickTally::Add(const LabelledBolt& b, const pick::PickResult& picked)
{
    ++bolts;
    if (b.bottomVisible) {
        ++visibleBottoms;
        if (picked.bottom) {
            bottomsWithin3 += BottomError(b, picked, *picked.bottom) <= 0.03;
            bottomsWithin5 += BottomError(b, picked, *picked.bottom) <= 0.05;
        } else {
            ++visibleBottomsLost;
        }
    } else {
        ++lostBottoms;
        lostBottomsReported += !picked.bottom;
        lostBottomsWithin3 += picked.bottom && BottomError(b, picked, *picked.bottom) <= 0.03;
        lostBottomsWrong += picked.bottom && BottomError(b, picked, *picked.bottom) > 0.05;
    }
    for (const auto& e : {picked.bottom, picked.withheldBottom}) {
        if (e)
            bottoms.Add(e->confidence, BottomRight(b, picked, *e));
    }
    if (picked.bottom && picked.bottom->confidence >= 0.9) {
        ++sureBottoms;
        sureBottomsWrong += BottomError(b, picked, *picked.bottom) > 0.05;
    }
    if (b.freeEndVisible) {
        ++visibleFreeEnds;
        freeEndsWithin += picked.freeEnd && FreeEndRight(b, picked, *picked.freeEnd);
    }
    for (const auto& e : {picked.freeEnd, picked.withheldFreeEnd}) {
        if (e)
            freeEnds.Add(e->confidence, FreeEndRight(b, picked, *e));
    }
    if (picked.freeEnd && picked.freeEnd->confidence >= 0.9) {
        ++sureFreeEnds;
        sureFreeEndsWrong += !FreeEndRight(b, picked, *picked.freeEnd);
    }
    for (const LabelledDefect& v : b.defects) {
        if (!v.visible)
            continue;
        ++visibleVoids;
        voidsFound +=
            std::any_of(picked.defects.begin(), picked.defects.end(),
                        [&](const pick::PickedDefect& d) { return DefectMeets(b, picked, d, v); });
    }
    int wrong = 0;
    for (const pick::PickedDefect& d : picked.defects) {
        const bool isRight = DefectRight(b, picked, d);
        wrong += !isRight;
        voids.Add(d.start.confidence, isRight);
    }
    for (const pick::PickedDefect& d : picked.withheldDefects)
        voids.Add(d.start.confidence, DefectRight(b, picked, d));
    falseDefects += wrong;
    if (b.defects.empty()) {
        ++soundBolts;
        falseDefectsSound += wrong;
    } else {
        ++defectBolts;
        falseDefectsDefect += wrong;
    }
}

PickTally& PickTally::operator+=(const PickTally& o)
{
    bolts += o.bolts;
    visibleBottoms += o.visibleBottoms;
    bottomsWithin3 += o.bottomsWithin3;
    bottomsWithin5 += o.bottomsWithin5;
    visibleBottomsLost += o.visibleBottomsLost;
    lostBottoms += o.lostBottoms;
    lostBottomsReported += o.lostBottomsReported;
    lostBottomsWithin3 += o.lostBottomsWithin3;
    lostBottomsWrong += o.lostBottomsWrong;
    sureBottoms += o.sureBottoms;
    sureBottomsWrong += o.sureBottomsWrong;
    visibleFreeEnds += o.visibleFreeEnds;
    freeEndsWithin += o.freeEndsWithin;
    sureFreeEnds += o.sureFreeEnds;
    sureFreeEndsWrong += o.sureFreeEndsWrong;
    visibleVoids += o.visibleVoids;
    voidsFound += o.voidsFound;
    falseDefects += o.falseDefects;
    soundBolts += o.soundBolts;
    falseDefectsSound += o.falseDefectsSound;
    defectBolts += o.defectBolts;
    falseDefectsDefect += o.falseDefectsDefect;
    bottoms += o.bottoms;
    freeEnds += o.freeEnds;
    voids += o.voids;
    return *this;
}

PickTally ScoreSeeds(std::uint64_t first, int count, Model model)
{
    PickTally tally;
    for (int i = 0; i < count; ++i) {
        const LabelledBolt bolt = MakeLabelledBolt(model, first + static_cast<std::uint64_t>(i));
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

namespace {

std::string GoalRow(const char* name, double value, const char* unit, bool met, const char* goal,
                    int part, int whole)
{
    char buf[256];
    std::snprintf(buf, sizeof buf, "| %-58s | %7.2f%s (%d of %d) | %-9s | %s |\n", name, value,
                  unit, part, whole, goal, met ? "met" : "NOT MET");
    return buf;
}

} // namespace

std::string FormatGoals(const PickTally& t)
{
    std::string s = "| share | measured | goal | |\n|---|---|---|---|\n";
    const double within3 = Percent(t.bottomsWithin3, t.visibleBottoms);
    s += GoalRow("visible bottoms within 3 % of L", within3, " %", within3 >= 97.0, ">= 97 %",
                 t.bottomsWithin3, t.visibleBottoms);
    const int lostRight = t.lostBottomsReported + t.lostBottomsWithin3;
    const double lost = Percent(lostRight, t.lostBottoms);
    s += GoalRow("bottoms not visible: said lost, or found within 3 %", lost, " %", lost >= 85.0,
                 ">= 85 %", lostRight, t.lostBottoms);
    const double taken = 100.0 - Percent(t.lostBottoms - t.lostBottomsWrong, t.lostBottoms);
    s += GoalRow("bottoms not visible: another echo taken (> 5 % off)", taken, " %", taken <= 5.0,
                 "<= 5 %", t.lostBottomsWrong, t.lostBottoms);
    const double sure = 100.0 - Percent(t.sureBottoms - t.sureBottomsWrong, t.sureBottoms);
    s += GoalRow("bottom confidence >= 0.9 but > 5 % off", sure, " %", sure <= 1.0, "<= 1 %",
                 t.sureBottomsWrong, t.sureBottoms);
    const double freeEnds = Percent(t.freeEndsWithin, t.visibleFreeEnds);
    s += GoalRow("visible free ends within 0.1 m", freeEnds, " %", freeEnds >= 92.0, ">= 92 %",
                 t.freeEndsWithin, t.visibleFreeEnds);
    const double sureFree = 100.0 - Percent(t.sureFreeEnds - t.sureFreeEndsWrong, t.sureFreeEnds);
    s += GoalRow("free-end confidence >= 0.9 but > 0.1 m off", sureFree, " %", sureFree <= 3.0,
                 "<= 3 %", t.sureFreeEndsWrong, t.sureFreeEnds);
    // The goals are per 300 sound bolts and per 60 with defects.
    const double perSound = t.soundBolts == 0 ? 0.0 : 300.0 * t.falseDefectsSound / t.soundBolts;
    s += GoalRow("false defect ranges per 300 sound bolts", perSound, "", perSound <= 15.0, "<= 15",
                 t.falseDefectsSound, t.soundBolts);
    const double voids = Percent(t.voidsFound, t.visibleVoids);
    s += GoalRow("defects with a visible edge found", voids, " %", voids >= 60.0, ">= 60 %",
                 t.voidsFound, t.visibleVoids);
    const double perDefect = t.defectBolts == 0 ? 0.0 : 60.0 * t.falseDefectsDefect / t.defectBolts;
    s += GoalRow("false defect ranges per 60 bolts with defects", perDefect, "", perDefect <= 6.0,
                 "<= 6", t.falseDefectsDefect, t.defectBolts);
    return s;
}

std::string FormatReliability(const char* name, const Reliability& r)
{
    std::string s = std::string(name) + ": confidence, count, mean confidence, share right\n";
    char buf[160];
    for (std::size_t i = 0; i < r.count.size(); ++i) {
        if (r.count[i] == 0) {
            std::snprintf(buf, sizeof buf, "  %.1f-%.1f  %5d\n", i / 10.0, (i + 1) / 10.0, 0);
        } else {
            const double mean = r.confidence[i] / r.count[i];
            const double share = static_cast<double>(r.right[i]) / r.count[i];
            std::snprintf(
                buf, sizeof buf, "  %.1f-%.1f  %5d   %5.3f   %5.3f%s\n", i / 10.0, (i + 1) / 10.0,
                r.count[i], mean, share,
                r.count[i] >= 30 && std::abs(share - mean) > 0.05 ? "  (off by > 5 points)" : "");
        }
        s += buf;
    }
    std::snprintf(buf, sizeof buf,
                  "  worst gap in a tenth of >= 30 cases %.3f, expected gap %.3f (%d cases)\n",
                  r.WorstGap(), r.ExpectedGap(), r.Total());
    return s + buf;
}

} // namespace rovana::boltmodel
