// The evaluation panel shows the selected channel as the test being edited derives it; its
// criteria set that channel's grade.
#include "EvaluationPanel.h"
#include "waveview/FakeViewHost.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace rovana {
namespace {

class EvaluationPanelTest : public ::testing::Test
{
protected:
    // 10 µs, 5000 m/s: one sample is 0.025 m.
    void SetUp() override
    {
        panel.SetReportView(&host);
        host.record.m_nSampleInterval = 10;
        host.record.m_nWaveSpeed = 5000;
        host.record.m_nSampleCount = 1024;
        host.record.m_fDesignLength = 4.0f;
        host.active = 0;
    }
    template <typename W> W* Control(int id) { return panel.findChild<W*>(QString::number(id)); }
    // End at 20, bottom `samples` later, on `channel`; the panel shown afresh.
    void Measure(int channel, int samples)
    {
        host.SetMarker(channel, kMarkerEnd, 20);
        host.SetMarker(channel, kMarkerBottom, 20 + samples);
        panel.Refresh();
    }

    test::FakeViewHost host;
    EvaluationPanel panel;
};

TEST_F(EvaluationPanelTest, FormHasItsControlsWithIdentifiersAndStates)
{
    auto* grade = Control<QComboBox>(IDC_COMBO_GRADE);
    auto* cls = Control<QComboBox>(IDC_COMBO_CLASS);
    ASSERT_TRUE(grade && cls);
    EXPECT_FALSE(grade->isEnabled());
    EXPECT_FALSE(cls->isEnabled());
    // Outputs, never inputs, but legible: the text keeps the enabled colour.
    for (const QComboBox* box : {grade, cls})
        EXPECT_EQ(box->palette().color(QPalette::Disabled, QPalette::ButtonText),
                  box->palette().color(QPalette::Active, QPalette::ButtonText));
    ASSERT_EQ(grade->count(), 4);
    EXPECT_EQ(grade->itemText(3), "D <75%");
    EXPECT_EQ(cls->itemText(1), "II");
    EXPECT_EQ(grade->currentIndex(), -1);
    EXPECT_TRUE(Control<QLineEdit>(IDC_EDIT_ANCHOR)->isReadOnly());
    EXPECT_NE(Control<QLabel>(IDC_STATIC_REASON), nullptr);
    for (int id = 1026; id <= 1029; ++id)
        EXPECT_NE(Control<QRadioButton>(id), nullptr) << id;
}

TEST_F(EvaluationPanelTest, TheClassFollowsTheGradeOnlyWhenTheLengthMatches)
{
    const struct
    {
        float design;
        int samples; // 0.025 m each
        int criterion;
        int shownClass;
    } rows[] = {
        {4.0f, 154, 1, 1},  // 3.85 m: B gives II
        {4.0f, 150, 1, 3},  // 3.75 m: 93.75 %, IV
        {12.0f, 458, 0, 3}, // 11.45 m: 95.4 % but 0.55 m short, IV
        {4.0f, 152, 0, 0},  // 3.80 m: exactly 95 %, included
        {4.0f, 151, 0, 3},  // 3.775 m: below
    };
    for (const auto& r : rows) {
        host.record.m_fDesignLength = r.design;
        Measure(0, r.samples);
        panel.ClickCriterion(r.criterion);
        EXPECT_EQ(panel.ShownGrade(), r.criterion) << r.samples;
        EXPECT_EQ(host.Edit().Marks(0).grade, r.criterion) << r.samples;
        EXPECT_EQ(panel.ShownClass(), r.shownClass) << r.samples;
        EXPECT_EQ(panel.CheckedCriterion(), r.criterion) << r.samples;
    }
    EXPECT_EQ(Control<QComboBox>(IDC_COMBO_GRADE)->currentText(), "A >=90%");
}

TEST_F(EvaluationPanelTest, AChannelNotMeasuredShowsNoLengthGradeOrClassButWhy)
{
    panel.ClickCriterion(2); // chosen before anything is measured
    EXPECT_EQ(panel.CheckedCriterion(), 2);
    EXPECT_EQ(panel.ShownGrade(), -1);
    EXPECT_EQ(panel.ShownClass(), -1);
    EXPECT_TRUE(panel.ShownAnchor().isEmpty());
    EXPECT_EQ(panel.ShownReason(), QStringLiteral("未评定：未标记端部和底部"));
    Measure(0, 154);
    EXPECT_EQ(panel.ShownGrade(), 2);
    EXPECT_EQ(panel.ShownClass(), 2);
    EXPECT_EQ(panel.ShownAnchor(), "3.85");
    EXPECT_TRUE(panel.ShownReason().isEmpty());
}

TEST_F(EvaluationPanelTest, ThePanelFollowsTheSelectedChannel)
{
    Measure(1, 154);
    host.Edit().SetGrade(1, 3);
    host.active = 1;
    panel.Refresh();
    EXPECT_EQ(panel.ShownGrade(), 3);
    EXPECT_EQ(panel.ShownClass(), 3);
    host.active = 2; // nothing there
    panel.Refresh();
    EXPECT_EQ(panel.CheckedCriterion(), -1);
    EXPECT_EQ(panel.ShownGrade(), -1);
    host.active = -1; // no selection: a click grades nothing
    panel.ClickCriterion(1);
    EXPECT_EQ(host.Edit().Marks(0).grade, -1);
    EXPECT_EQ(host.Edit().Marks(1).grade, 3);
    EXPECT_EQ(panel.CheckedCriterion(), -1);
}

} // namespace
} // namespace rovana
