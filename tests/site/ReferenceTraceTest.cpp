// The reference bolt behind a trace: aligned on the blow, scaled to the same blow peak,
// read across sampling intervals.
#include "ReferenceTrace.h"
#include "SiteStore.h"
#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace rovana {
namespace {

// A half-sine pulse of `length` samples starting at `start` on channel 1.
void Pulse(TestRecord& r, int start, int length, double amplitude)
{
    for (int j = 0; j < length; ++j)
        r.m_nSamples[1][static_cast<std::size_t>(start + j)] =
            static_cast<std::int16_t>(amplitude * std::sin(std::numbers::pi * (j + 0.5) / length));
}

// A blow and a bottom echo 3 ms later, at `interval` µs, the blow starting at `blow`.
TestRecord Bolt(int interval, int blow, double amplitude)
{
    TestRecord r;
    r.m_nSampleInterval = interval;
    r.m_nSampleCount = 2048;
    const int per = 100 / interval; // samples in 0.1 ms
    Pulse(r, blow, 2 * per, amplitude);
    Pulse(r, blow + 30 * per, per, -0.3 * amplitude);
    return r;
}

TEST(ReferenceTraceTest, AlignedOnTheBlowAndScaledToItsPeak)
{
    const TestRecord current = Bolt(10, 100, 1000);
    const struct
    {
        TestRecord reference;
        int tolerance; // sample values
    } rows[] = {
        {Bolt(10, 137, 500), 1},  // later and weaker: moved and doubled exactly
        {Bolt(5, 300, 2000), 60}, // twice the rate: read between its samples
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.reference.m_nSampleInterval);
        const auto trace = ReferenceTrace(r.reference, current, 1, {}, false);
        ASSERT_EQ(trace.size(), 2048u);
        for (int k = 0; k < 1200; ++k)
            ASSERT_NEAR(trace[static_cast<std::size_t>(k)],
                        current.m_nSamples[1][static_cast<std::size_t>(k)], r.tolerance)
                << k;
    }
    // A silent channel has no blow to align on.
    TestRecord silent = current;
    silent.m_nSamples[1].fill(0);
    EXPECT_TRUE(ReferenceTrace(silent, current, 1, {}, false).empty());
    EXPECT_TRUE(ReferenceTrace(current, silent, 1, {}, false).empty());
}

// The site file names its reference by a file name of the folder: a name that would reach
// outside it is no reference; a name is kept through a write.
TEST(ReferenceTraceTest, TheSiteFileNamesAReferenceOfItsOwnFolderOnly)
{
    QTemporaryDir dir;
    const struct
    {
        const char* name;
        const char* read;
    } rows[] = {{"MG0002.mg", "MG0002.mg"},
                {"../MG0002.mg", ""},
                {"sub/MG0002.mg", ""},
                {"..", ""},
                {"/etc/passwd", ""}};
    for (const auto& r : rows) {
        ASSERT_TRUE(test::WriteBytes(dir.filePath(kSiteFileName),
                                     QByteArray(R"({"version": 1, "reference": {"file": ")") +
                                         r.name + "\"}}"));
        EXPECT_EQ(SiteStore(dir.path()).Site().referenceFile, QString::fromUtf8(r.read)) << r.name;
    }
    SiteStore store(dir.path());
    ASSERT_TRUE(
        store.Change([](SiteFile& site) { site.referenceFile = QStringLiteral("MG0003.mg"); }));
    EXPECT_EQ(SiteStore(dir.path()).Site().referenceFile, QStringLiteral("MG0003.mg"));
}

} // namespace
} // namespace rovana
