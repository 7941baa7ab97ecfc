// The test being edited: inputs in, every derived value out, the save's bytes, unsaved.
#include "InstrumentFile.h"
#include "ResultSave.h"
#include "TestEdit.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace rovana {
namespace {

// The bytes of a test file: 1024 samples at 10 µs, 3500 m/s; design `design` m, 0.5 m free.
QByteArray FileBytes(float design)
{
    InstrumentRecord r = test::SampleRecord();
    r.designLength = design;
    return ComposeInstrumentFile(r);
}

TestRecord Loaded(float design = 3.5f)
{
    TestRecord r;
    EXPECT_TRUE(r.LoadFromBytes(FileBytes(design)));
    return r;
}

// What a save writes into that file, loaded back.
TestRecord SavedAndReloaded(const TestRecord& record, const EditInputs& inputs)
{
    QByteArray bytes = FileBytes(record.m_fDesignLength);
    PatchResults(bytes, AnalysisOf(record, inputs));
    TestRecord back;
    EXPECT_TRUE(back.LoadFromBytes(bytes));
    return back;
}

TEST(TestEdit, ABottomByTheDesignRuleIsNotEvaluatedUntilTheEngineerPlacesIt)
{
    TestEdit edit;
    edit.Load(Loaded());
    edit.SetReportChannel(0);
    edit.ApplyMarker(0, kMarkerEnd, 20); // the rule puts the bottom at 3.5 m, grade A
    ChannelOutcome o = edit.Outcome(0);
    EXPECT_EQ(o.verdict, Verdict::NotEvaluated);
    EXPECT_EQ(o.reason, kBottomByRule);
    EXPECT_FALSE(o.result.measured);
    EXPECT_TRUE(o.marked.lengths); // shown as designed
    EXPECT_EQ(edit.Marks(0).grade, 0);

    // Saved and read back: no bottom, no length, no pass.
    const TestRecord back = SavedAndReloaded(edit.Loaded(), edit.Inputs());
    EXPECT_EQ(back.m_nMarkers[0][kMarkerBottom], 0);
    EXPECT_GT(back.m_nMarkers[0][kMarkerFreeEnd], 0); // the rule's free end is kept
    const BoltResult r = ResultOf(back);
    EXPECT_EQ(r.verdict, Verdict::NotEvaluated);
    EXPECT_FALSE(r.report.measured);
    EXPECT_TRUE(r.ClassText().isEmpty());

    // 底部 at the same spot: now a measurement, evaluated.
    edit.ApplyMarker(0, kMarkerBottom, 220);
    o = edit.Outcome(0);
    EXPECT_EQ(o.verdict, Verdict::Pass);
    EXPECT_TRUE(o.reason.isEmpty());
    EXPECT_EQ(o.result.length, 3.5f);
    EXPECT_EQ(ResultOf(SavedAndReloaded(edit.Loaded(), edit.Inputs())).verdict, Verdict::Pass);
}

TEST(TestEdit, TheClassFollowsTheWaveSpeedAcrossTheRulesBoundariesBothWays)
{
    // Grade B, end 20. Design 2.0 m, 200 samples at 10 µs: at 1900 m/s L is 1.9 m, L / D
    // exactly 0.95 (included: class II); at 1899 m/s it is below (IV). Design 12 m, one
    // sample 1 cm at 2000 m/s: 1150 samples are 11.5 m, exactly 0.5 m short (included);
    // 1149 samples are 0.51 m short (IV).
    struct Row
    {
        float design;
        int bottom, speed, qualityClass;
    };
    const Row rows[] = {
        {2.0f, 220, 1901, 1},   {2.0f, 220, 1900, 1},   {2.0f, 220, 1899, 3},
        {2.0f, 220, 1900, 1},   {2.0f, 220, 1901, 1},   {12.0f, 1170, 2000, 1},
        {12.0f, 1169, 2000, 3}, {12.0f, 1170, 2000, 1},
    };
    for (const Row& r : rows) {
        TestEdit edit;
        edit.Load(Loaded(r.design));
        edit.SetReportChannel(0);
        edit.ApplyMarker(0, kMarkerFreeEnd, 60);
        edit.ApplyMarker(0, kMarkerEnd, 20);
        edit.ApplyMarker(0, kMarkerBottom, r.bottom);
        edit.SetGrade(0, 1);
        edit.SetWaveSpeed(r.speed);
        const std::string what = QStringLiteral("%1 m, %2 samples, %3 m/s")
                                     .arg(r.design)
                                     .arg(r.bottom - 20)
                                     .arg(r.speed)
                                     .toStdString();
        EXPECT_EQ(edit.Outcome(0).result.qualityClass, r.qualityClass) << what;
        EXPECT_EQ(edit.Result().report.qualityClass, r.qualityClass) << what;
        // The saved file reports the same class and lengths.
        const BoltResult saved = ResultOf(SavedAndReloaded(edit.Loaded(), edit.Inputs()));
        EXPECT_EQ(saved.report.qualityClass, r.qualityClass) << what;
        EXPECT_EQ(saved.report.length, edit.Outcome(0).result.length) << what;
    }
}

TEST(TestEdit, AStoredClassTheRuleDoesNotGiveIsRederivedAndCountsAsAChange)
{
    TestRecord stale = Loaded();
    stale.m_nMarkers[0] = {20, 0, 220, 0, 0};
    stale.m_nMarkedChannels = 1;
    stale.m_nGrade[0] = 0;
    stale.m_nQualityClass[0] = 0; // class I saved at another speed
    stale.m_nWaveSpeed = 3000;     // L = 3.0 m of 3.5: class IV by the rule
    stale.m_nReportChannel = 0;
    TestEdit edit;
    edit.Load(stale);
    EXPECT_TRUE(edit.ClassRederived());
    EXPECT_TRUE(edit.HasUnsavedChanges());
    EXPECT_EQ(edit.Outcome(0).result.qualityClass, 3);
    EXPECT_EQ(ResultOf(stale).report.qualityClass, 3); // every output derives it too

    TestRecord agreeing = stale;
    agreeing.m_nQualityClass[0] = 3;
    edit.Load(agreeing);
    EXPECT_FALSE(edit.ClassRederived());
    EXPECT_FALSE(edit.HasUnsavedChanges());
}

TEST(TestEdit, UnsavedMeansTheInputsDifferFromTheSavedOnesAndUndoneIsUnchanged)
{
    TestEdit edit;
    edit.Load(Loaded());
    const EditInputs loaded = edit.Inputs();
    edit.SetWaveSpeed(3600);
    EXPECT_TRUE(edit.HasUnsavedChanges());
    edit.SetInputs(loaded);
    EXPECT_FALSE(edit.HasUnsavedChanges());
    edit.SetGrade(1, 2);
    edit.MarkSaved();
    EXPECT_FALSE(edit.HasUnsavedChanges());
    EXPECT_EQ(edit.Loaded().m_nGrade[1], 2);
}

TEST(TestEdit, AFileChangeKeepsWhatTheEngineerChangedAndTakesTheRest)
{
    TestEdit edit;
    edit.Load(Loaded());
    edit.ApplyMarker(1, kMarkerDefectStart, 300); // the engineer's edit on channel 2
    TestRecord disk = Loaded();
    disk.m_nWaveSpeed = 4127;                 // a folder's calibration
    disk.m_nMarkers[0] = {30, 0, 230, 0, 0}; // another writer's markers on channel 1
    disk.m_nMarkedChannels = 1;
    disk.m_nReportChannel = 2;
    edit.TakeFileChange(disk);
    EXPECT_EQ(edit.Inputs().waveSpeed, 4127);
    EXPECT_EQ(edit.Marks(0).pos[kMarkerBottom], 230);
    EXPECT_EQ(edit.Marks(1).pos[kMarkerDefectStart], 300);
    EXPECT_EQ(edit.Inputs().reportChannel, 2);
    EXPECT_TRUE(edit.HasUnsavedChanges()); // the edit on channel 2 is still unsaved

    TestEdit clean;
    clean.Load(Loaded());
    clean.TakeFileChange(disk);
    EXPECT_FALSE(clean.HasUnsavedChanges());
    EXPECT_EQ(clean.Inputs(), InputsOf(disk));
}

TEST(TestEdit, TheInMemoryRecordIsWhatTheSavedBytesReadBack)
{
    // Distinct values in every channel, so that a swapped field shows.
    TestRecord r = Loaded();
    EditInputs in = InputsOf(r);
    in.waveSpeed = 3700;
    in.reportChannel = 2;
    for (std::size_t c = 0; c < kChannelCount; ++c) {
        in.channels[c].set = {true, c != 1, c != 2, c == 0, c == 0};
        in.channels[c].pos = {int(20 + c), int(70 + c), int(230 + 7 * c), int(100 + c), 150};
        in.channels[c].grade = int(c);
    }
    in.channels[1].byRule[kMarkerBottom] = true; // not set there anyway
    const TestRecord memory = RecordWith(r, in);
    const TestRecord back = SavedAndReloaded(r, in);
    EXPECT_EQ(memory.m_nMarkers, back.m_nMarkers);
    EXPECT_EQ(memory.m_nGrade, back.m_nGrade);
    EXPECT_EQ(memory.m_nQualityClass, back.m_nQualityClass);
    EXPECT_EQ(memory.m_fPanelAnchor, back.m_fPanelAnchor);
    EXPECT_EQ(memory.m_fMeasured, back.m_fMeasured);
    EXPECT_EQ(memory.m_nMarkedChannels, back.m_nMarkedChannels);
    EXPECT_EQ(memory.m_nReportChannel, back.m_nReportChannel);
    EXPECT_EQ(memory.m_nWaveSpeed, back.m_nWaveSpeed);
}

TEST(TestEdit, TheLengthLineShowsOnlyWhatIsMarked)
{
    const struct
    {
        std::array<int, 5> pos; // 0: not set
        std::array<bool, 5> byRule;
        const char* line;
    } rows[] = {
        {{0, 0, 0, 0, 0}, {}, "L=— Lo=— Lr=— Pos=0.00m"},
        {{20, 0, 0, 0, 0}, {}, "L=— Lo=— Lr=— Pos=0.00m"},
        {{20, 104, 0, 0, 0}, {}, "L=— Lo=1.46m Lr=— Pos=0.00m"}, // the engineer's free end
        {{20, 49, 220, 0, 0},
         {false, true, true, false, false},
         "L=3.50m(设计) Lo=0.50m(设计) Lr=3.00m(设计) Pos=0.00m"},
        {{20, 49, 220, 0, 0}, {}, "L=3.50m Lo=0.50m Lr=3.00m Pos=0.00m"},
    };
    for (const auto& r : rows) {
        ChannelMarks m;
        for (std::size_t k = 0; k < kMarkerCount; ++k) {
            m.set[k] = r.pos[k] > 0;
            m.pos[k] = r.pos[k];
            m.byRule[k] = r.byRule[k];
        }
        EXPECT_EQ(LengthLine(MarkedLengthsOf(m, 10, 3500), 0.0f), QString::fromUtf8(r.line));
    }
}

} // namespace
} // namespace rovana
