#pragma once

#include "TestRecord.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace rovana {

// What the instrument writes when it records a test. Used by the sample generator and
// by tests that need a test file with known contents.
struct InstrumentRecord
{
    int highPass = 0;       // Hz
    int lowPass = 0;        // Hz
    int sampleInterval = 0; // µs
    int sampleCount = 0;    // 0..2048
    std::array<int, 4> reserved{};
    int waveSpeed = 0; // m/s
    float designLength = 0.0f;
    float designL0 = 0.0f;
    QString project; // written in code page 936
    QString file;
    int year = 2026, month = 1, day = 1;
    std::array<std::array<std::int16_t, 2048>, kChannelCount> samples{};
};

// The 13312 bytes of a fresh test file: no markers, grades and classes unset (-1), an
// empty text block, then the acquisition block and the samples.
QByteArray ComposeInstrumentFile(const InstrumentRecord& record);

} // namespace rovana
