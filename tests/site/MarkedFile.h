#pragma once

#include "ResultSave.h"
#include "SiteWaveSpeed.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace rovana::test {

// SampleRecord (10 µs, 3500 m/s, design 3.50 m) with end 20, free end 49 and bottom 220 on
// channel 1, graded A, as a save of this program writes it.
inline QByteArray MarkedFile()
{
    QByteArray bytes = ComposeInstrumentFile(SampleRecord());
    TestRecord r;
    EXPECT_TRUE(r.LoadFromBytes(bytes));
    r.m_nMarkers[0] = {20, 49, 220, 0, 0};
    r.m_nGrade[0] = 0;
    PatchResults(bytes, AnalysisAtWaveSpeed(r, 3500));
    return bytes;
}

} // namespace rovana::test
