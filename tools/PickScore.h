#pragma once

// How well the echo picker marks model bolts: the shares the picker's benchmark reports
// and its tests hold a floor under, and how far its confidences can be trusted. Standard
// library only.

#include "BoltModel.h"
#include "EchoPicker.h"
#include "LabelledBolt.h"

#include <array>
#include <cstdint>
#include <string>

namespace rovana::boltmodel {

// Confidences in tenths: how many suggestions fell into each and how many were right.
struct Reliability
{
    std::array<int, 10> count{}, right{};
    std::array<double, 10> confidence{}; // their sum
    void Add(double confidence, bool right);
    Reliability& operator+=(const Reliability& other);
    int Total() const;
    // The largest distance between a tenth's share right and its mean confidence, among
    // the tenths with at least `least` cases; 0 when none has.
    double WorstGap(int least = 30) const;
    // The mean of those distances weighted by the tenths' counts (all tenths).
    double ExpectedGap() const;
};

struct PickTally
{
    int bolts = 0;
    int visibleBottoms = 0;
    int bottomsWithin3 = 0; // visible bottoms with L within 3 % of the built length
    int bottomsWithin5 = 0;
    int visibleBottomsLost = 0; // visible bottoms reported as not clear
    int lostBottoms = 0;
    int lostBottomsReported = 0; // lost bottoms reported as not clear
    int lostBottomsWithin3 = 0;  // lost bottoms found all the same, within 3 %
    int lostBottomsWrong = 0;    // lost bottoms where another echo was taken (> 5 % off)
    int sureBottoms = 0;         // bottoms suggested with confidence >= 0.9
    int sureBottomsWrong = 0;    // ... more than 5 % off
    int visibleFreeEnds = 0;
    int freeEndsWithin = 0;    // visible free ends with L0 within 0.1 m
    int sureFreeEnds = 0;      // free ends suggested with confidence >= 0.9
    int sureFreeEndsWrong = 0; // ... more than 0.1 m off
    int visibleVoids = 0;
    int voidsFound = 0;   // visible defects that a suggested defect range lies at
    int falseDefects = 0; // suggested defect ranges at no defect
    int soundBolts = 0, falseDefectsSound = 0;   // on bolts without defects
    int defectBolts = 0, falseDefectsDefect = 0; // on bolts with defects
    // Every suggestion with its confidence, withheld ones included: a bottom is right
    // within 3 %, a free end within 0.1 m, a defect range where it meets a defect.
    Reliability bottoms, freeEnds, voids;

    void Add(const LabelledBolt& bolt, const pick::PickResult& picked);
    PickTally& operator+=(const PickTally& other);
};

// The picker's input for a model bolt, with its design lengths.
pick::PickInput InputOf(const ModelBolt& bolt);

// Whether a pick is right, measured from the picked end (the blow's true peak without
// one): a free end within 0.1 m of the built free length, a bottom within 3 % of the built
// length, a defect range that meets a defect, the range widened by half a pulse length (at
// least 0.25 m) either way.
bool FreeEndRight(const LabelledBolt& bolt, const pick::PickResult& picked,
                  const pick::PickedEcho& freeEnd);
bool BottomRight(const LabelledBolt& bolt, const pick::PickResult& picked,
                 const pick::PickedEcho& bottom);
bool DefectRight(const LabelledBolt& bolt, const pick::PickResult& picked,
                 const pick::PickedDefect& defect);

// Picks and scores bolts with seeds first..first+count-1 of `model`.
PickTally ScoreSeeds(std::uint64_t first, int count, Model model = Model::Layered);

// A share in percent; 0 of 0 is reported as 100.
double Percent(int part, int whole);

// The report printed by the benchmark, one line per share.
std::string FormatTally(const PickTally& tally);

// The table: each share with its goal and whether it is met.
std::string FormatGoals(const PickTally& tally);

// A reliability table: per tenth the count, the mean confidence and the share right, and
// the worst and the expected gap.
std::string FormatReliability(const char* name, const Reliability& reliability);

} // namespace rovana::boltmodel
