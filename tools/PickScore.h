#pragma once

// How well the echo picker marks model bolts: the shares the picker's benchmark reports
// and its tests hold a floor under. Standard library only.

#include "BoltModel.h"
#include "EchoPicker.h"

#include <cstdint>
#include <string>

namespace rovana::boltmodel {

struct PickTally
{
    int bolts = 0;
    int visibleBottoms = 0;
    int bottomsWithin3 = 0; // visible bottoms with L within 3 % of the built length
    int bottomsWithin5 = 0;
    int visibleBottomsLost = 0; // visible bottoms reported as not clear
    int lostBottoms = 0;
    int lostBottomsReported = 0; // lost bottoms reported as not clear
    int visibleFreeEnds = 0;
    int freeEndsWithin = 0; // visible free ends with L0 within 0.1 m
    int visibleVoids = 0;
    int voidsFound = 0;   // visible voids with a defect starting at their top
    int falseDefects = 0; // defects whose start is at no void's top

    void Add(const ModelBolt& bolt, const pick::PickResult& picked);
};

// The picker's input for a model bolt, with its design lengths.
pick::PickInput InputOf(const ModelBolt& bolt);

// Picks and scores bolts with seeds first..first+count-1.
PickTally ScoreSeeds(std::uint64_t first, int count);

// A share in percent; 0 of 0 is reported as 100.
double Percent(int part, int whole);

// The report printed by the benchmark, one line per share.
std::string FormatTally(const PickTally& tally);

} // namespace rovana::boltmodel
