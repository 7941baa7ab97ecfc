#pragma once

#include "ResultSave.h"
#include "SiteWaveSpeed.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <array>

namespace rovana::test {

// SampleRecord (10 µs, design 3.50 m) at `speed` with `markers` on channel 1 and `grade`
// there, as a save of this program writes it.
inline QByteArray MarkedFileAt(int speed, const std::array<int, 5>& markers, int grade)
{
    InstrumentRecord instrument = SampleRecord();
    instrument.waveSpeed = speed;
    QByteArray bytes = ComposeInstrumentFile(instrument);
    TestRecord r;
    EXPECT_TRUE(r.LoadFromBytes(bytes));
    r.m_nMarkers[0] = markers;
    r.m_nMarkedChannels = 1;
    r.m_nGrade[0] = grade;
    PatchResults(bytes, AnalysisAtWaveSpeed(r, speed));
    return bytes;
}

// SampleRecord (10 µs, 3500 m/s, design 3.50 m) with end 20, free end 49 and bottom 220 on
// channel 1, graded A, as a save of this program writes it.
inline QByteArray MarkedFile()
{
    return MarkedFileAt(3500, {20, 49, 220, 0, 0}, 0);
}

} // namespace rovana::test
