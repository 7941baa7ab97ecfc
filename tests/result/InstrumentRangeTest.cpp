// The header values every instrument records within, value on each line included: a record
// outside them is measured by nobody, whatever its markers and saved lengths say.
#include "InstrumentRange.h"
#include "BoltResult.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace rovana {
namespace {

// A measured, evaluated bolt whose header lies within every range.
TestRecord Measured()
{
    TestRecord d;
    d.m_nSampleInterval = 10;
    d.m_nWaveSpeed = 4000;
    d.m_fDesignLength = 6.0f;
    d.m_fDesignL0 = 1.0f;
    d.m_nReportChannel = 0;
    d.m_nMarkers[0] = {20, 70, 320, 0, 0};
    d.m_nMarkedChannels = 1;
    d.m_fMeasured[0] = {1.0f, 5.0f}; // L 6.00 m: one sample is 0.02 m
    d.m_nGrade[0] = 0;
    d.m_nQualityClass[0] = 0;
    return d;
}

TEST(InstrumentRangeTest, EachLimitIsInsideAndTheNextValueOutside)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Row
    {
        const char* name;
        std::function<void(TestRecord&)> change;
        const char* why; // empty: within range
    };
    const Row rows[] = {
        {"interval 1", [](TestRecord& d) { d.m_nSampleInterval = 1; }, ""},
        {"interval 1000", [](TestRecord& d) { d.m_nSampleInterval = 1000; }, ""},
        {"interval 0", [](TestRecord& d) { d.m_nSampleInterval = 0; },
         "采样间隔 0 µs 超出仪器范围（1–1000 µs）"},
        {"interval 1001", [](TestRecord& d) { d.m_nSampleInterval = 1001; },
         "采样间隔 1001 µs 超出仪器范围（1–1000 µs）"},
        {"interval 2147483647", [](TestRecord& d) { d.m_nSampleInterval = 2147483647; },
         "采样间隔 2147483647 µs 超出仪器范围（1–1000 µs）"},
        {"speed 1000", [](TestRecord& d) { d.m_nWaveSpeed = 1000; }, ""},
        {"speed 10000", [](TestRecord& d) { d.m_nWaveSpeed = 10000; }, ""},
        {"speed 999", [](TestRecord& d) { d.m_nWaveSpeed = 999; },
         "波速 999 m/s 超出仪器范围（1000–10000 m/s）"},
        {"speed 10001", [](TestRecord& d) { d.m_nWaveSpeed = 10001; },
         "波速 10001 m/s 超出仪器范围（1000–10000 m/s）"},
        {"design 100 m", [](TestRecord& d) { d.m_fDesignLength = 100.0f; }, ""},
        {"design 0 (none)", [](TestRecord& d) { d.m_fDesignLength = 0.0f; }, ""},
        {"design just over 100 m",
         [](TestRecord& d) { d.m_fDesignLength = std::nextafter(100.0f, 200.0f); },
         "设计长度 100 m 超出仪器范围（不超过 100 m）"},
        {"design inf", [=](TestRecord& d) { d.m_fDesignLength = inf; },
         "设计长度 inf m 超出仪器范围（不超过 100 m）"},
        {"design NaN", [](TestRecord& d) { d.m_fDesignLength = std::nanf(""); },
         "设计长度 nan m 超出仪器范围（不超过 100 m）"},
        {"free 100 m", [](TestRecord& d) { d.m_fDesignL0 = 100.0f; }, ""},
        {"free 3e38", [](TestRecord& d) { d.m_fDesignL0 = 3e38f; },
         "设计自由端长度 3e+38 m 超出仪器范围（不超过 100 m）"},
        {"free -inf", [=](TestRecord& d) { d.m_fDesignL0 = -inf; },
         "设计自由端长度 -inf m 超出仪器范围（不超过 100 m）"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TestRecord d = Measured();
        r.change(d);
        EXPECT_EQ(HeaderOutOfRange(d).toStdString(), r.why);
        // The one result follows: no lengths, no grade, no verdict from such a header.
        const BoltResult b = ResultOf(d);
        const bool inside = std::string(r.why).empty();
        EXPECT_EQ(b.report.measured, inside);
        // Inside, L is what the markers measure at this header (6.00 m at the base).
        EXPECT_EQ(b.report.length, inside ? UncutMarkerDistance(d, 320, 20) : 0.0f);
        EXPECT_EQ(b.verdict != Verdict::NotEvaluated, inside);
        EXPECT_EQ(b.headerProblem.toStdString(), r.why);
    }
}

} // namespace
} // namespace rovana
