#include "EvaluationPanel.h"
#include "ChannelViewHost.h"
#include "DisplaySettings.h"
#include "TestRecord.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace rovana {
namespace {

class FakeReportHost : public ChannelViewHost
{
public:
    const TestRecord& CurrentRecord() const override { return record; }
    const DisplaySettings& Display() const override { return display; }
    int ActiveChannel() const override { return active; }
    float MeasuredLength(int channel) const override { return lengths.at(channel); }
    // The panel only reads the report view; what the channel views ask of it is not used.
    void SetActiveChannel(int) override {}
    void RepaintChannel(int) override {}
    void RefreshInfoPanel(int) override {}
    void SetPanelGrade(int) override {}
    void SetPanelLengths(int, float, float) override {}
    void SetRecordWaveSpeed(int) override {}
    bool SaveCopyWithResults() override { return false; }

    TestRecord record;
    DisplaySettings display;
    int active = 0;
    std::array<float, 3> lengths{};
};

class EvaluationPanelTest : public ::testing::Test
{
protected:
    void SetUp() override { panel.SetReportView(&host); }
    template <typename W> W* Control(int id) { return panel.findChild<W*>(QString::number(id)); }

    FakeReportHost host;
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
    EXPECT_TRUE(Control<QLineEdit>(IDC_EDIT_LENGTH)->isHidden());
    for (int id = 1026; id <= 1029; ++id)
        EXPECT_NE(Control<QRadioButton>(id), nullptr) << id;
    EXPECT_EQ(panel.m_nChannelGrade, (std::array<int, 3>{-1, -1, -1}));
}

struct LengthRow
{
    float design;
    float measured;
    int grade;
    int expectedClass;
};

class InfoViewLengthTest : public EvaluationPanelTest,
                           public ::testing::WithParamInterface<LengthRow>
{};

TEST_P(InfoViewLengthTest, ClassFollowsGradeOnlyWhenTheLengthMatches)
{
    const LengthRow& r = GetParam();
    host.record.m_fDesignLength = r.design;
    host.active = 1;
    panel.SetPanelGrade(r.grade);
    panel.SetPanelLengths(1, r.measured - 0.5f, r.measured);
    EXPECT_EQ(panel.m_nChannelClass[1], r.expectedClass);
    EXPECT_EQ(panel.ShownClass(), r.expectedClass);
    EXPECT_EQ(panel.m_fChannelAnchor[1], r.measured - 0.5f);
}

INSTANTIATE_TEST_SUITE_P(Lengths, InfoViewLengthTest,
                         ::testing::Values(LengthRow{4.0f, 3.85f, 1, 1},
                                           LengthRow{4.0f, 3.75f, 1, 3},
                                           LengthRow{12.0f, 11.45f, 0, 3}));

TEST_F(EvaluationPanelTest, CriterionThreeAfterMeasuringGivesCAndRederivesTheClass)
{
    host.record.m_fDesignLength = 4.0f;
    host.lengths[0] = 3.85f;
    panel.SetPanelGrade(0);
    panel.SetPanelLengths(0, 3.35f, 3.85f);
    EXPECT_EQ(panel.ShownClass(), 0);
    panel.ClickCriterion(2);
    EXPECT_EQ(panel.ShownGrade(), 2);
    EXPECT_EQ(Control<QComboBox>(IDC_COMBO_GRADE)->currentText(), "C 80%~75%");
    EXPECT_EQ(panel.m_nChannelGrade[0], 2);
    EXPECT_EQ(panel.m_nChannelClass[0], 2); // from the measured 3.85
    EXPECT_EQ(panel.ShownClass(), 2);
}

// 3.7975 m of 4.00 m fails the 95 % rule; its two-decimal text 3.80 would pass it. The
// class must not depend on whether a marker command or a criterion click came last.
TEST_F(EvaluationPanelTest, TheClassUsesTheExactLengthWhateverTheLastAction)
{
    host.record.m_fDesignLength = 4.0f;
    host.active = 1;
    host.lengths[1] = 3.7975f;
    panel.SetPanelGrade(0);
    panel.SetPanelLengths(1, 3.0f, 3.7975f); // what a marker command pushes
    EXPECT_EQ(panel.m_nChannelClass[1], 3);
    for (int criterion : {0, 1, 0}) {
        panel.ClickCriterion(criterion);
        EXPECT_EQ(panel.m_nChannelGrade[1], criterion);
        EXPECT_EQ(panel.m_nChannelClass[1], 3) << criterion;
        EXPECT_EQ(panel.ShownClass(), 3);
    }
}

TEST_F(EvaluationPanelTest, SetPanelGradeSwitchesTheMatchingCriterion)
{
    panel.SetPanelGrade(3);
    EXPECT_EQ(panel.CheckedCriterion(), 3);
    EXPECT_EQ(panel.m_nChannelGrade[0], 3);
    panel.SetPanelGrade(-1); // no grade: the combo clears, the criterion stays
    EXPECT_EQ(panel.ShownGrade(), -1);
    EXPECT_EQ(panel.CheckedCriterion(), 3);
    EXPECT_EQ(panel.m_nChannelGrade[0], -1);
}

TEST_F(EvaluationPanelTest, ClearingKeepsTheStoredValues)
{
    host.record.m_fDesignLength = 3.5f;
    panel.SetPanelGrade(1);
    panel.SetPanelLengths(0, 2.81f, 3.5f);
    EXPECT_EQ(panel.ShownAnchor(), "2.81");
    panel.ClearPanel();
    EXPECT_EQ(panel.CheckedCriterion(), -1);
    EXPECT_TRUE(panel.ShownAnchor().isEmpty());
    EXPECT_EQ(panel.ShownGrade(), -1);
    EXPECT_EQ(panel.ShownClass(), -1);
    EXPECT_EQ(panel.m_nChannelGrade[0], 1);
    EXPECT_EQ(panel.m_nChannelClass[0], 1);
    EXPECT_EQ(Control<QLineEdit>(IDC_EDIT_LENGTH)->text(), "3.50");
}

TEST_F(EvaluationPanelTest, ZeroLengthsGiveNoClass)
{
    host.record.m_fDesignLength = 3.5f;
    panel.SetPanelGrade(0);
    panel.SetPanelLengths(0, 0.0f, 0.0f);
    EXPECT_EQ(panel.ShownAnchor(), "0.00");
    EXPECT_EQ(panel.ShownClass(), -1);
    EXPECT_EQ(panel.m_nChannelClass[0], -1);
}

TEST_F(EvaluationPanelTest, CriterionClickWithoutSelectedChannelStoresNothing)
{
    host.active = -1;
    panel.ClickCriterion(1);
    EXPECT_EQ(panel.ShownGrade(), 1);
    EXPECT_EQ(panel.m_nChannelGrade, (std::array<int, 3>{-1, -1, -1}));
}

} // namespace
} // namespace rovana
