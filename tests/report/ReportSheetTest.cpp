// The result sheet's geometry, checked against hand-computed positions on an A4 page of
// 4960 x 7016 pixels at 600 dpi with a fake text measure: every character is 8 pixels per
// point wide, every line 10 pixels per point high.
#include "ReportSheet.h"
#include "SheetBody.h"
#include "SheetDiagram.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace rovana::sheet {

void PrintTo(const SheetRect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

constexpr float kLengthTolerance = 1e-6f; // metres; far below the centimetre cut
const SheetDevice kA4At600{4960, 7016, 600};

QSize FakeMeasure(const QString& text, double pointSize)
{
    return {static_cast<int>(text.size() * pointSize * 8), static_cast<int>(pointSize * 10)};
}

std::vector<const SheetItem*> FindAll(const SheetDrawList& list, SheetRole role)
{
    std::vector<const SheetItem*> out;
    for (const SheetItem& item : list)
        if (item.role == role)
            out.push_back(&item);
    return out;
}

const SheetItem* Find(const SheetDrawList& list, SheetRole role, int tag = 0)
{
    for (const SheetItem& item : list)
        if (item.role == role && item.tag == tag)
            return &item;
    return nullptr;
}

// The items point into the list: it must outlive them.
std::vector<const SheetItem*> FindAll(SheetDrawList&&, SheetRole) = delete;
const SheetItem* Find(SheetDrawList&&, SheetRole, int = 0) = delete;

class SheetTest : public ::testing::Test
{
protected:
    SheetTest()
    {
        print.m_nSampleInterval = 10;
        print.m_nSampleCount = 2048;
        print.m_nWaveSpeed = 3500;
        print.m_nReportChannel = 1;
        settings.options.bChannel1 = 1;
        settings.channels.fill({1700, 0});
    }
    SheetDrawList Draw() const { return DrawSheet(Context()); }
    SheetContext Context() const { return {kA4At600, print, settings, measure}; }
    void Mark(const std::array<int, 5>& markers, int channel = 1)
    {
        print.m_nMarkedChannels = 1;
        print.m_nMarkers[static_cast<std::size_t>(channel)] = markers;
    }

    TestRecord print;
    SheetSettings settings;
    MeasureText measure = FakeMeasure;
};

TEST_F(SheetTest, SheetRectangleAndDiagramTop)
{
    const SheetRect sheet = SheetRectangle(kA4At600);
    EXPECT_EQ(sheet, (SheetRect{760, 467, 4630, 6549}));
    EXPECT_EQ(DiagramTop(sheet), 1871);
}

TEST_F(SheetTest, TableLayout)
{
    const SheetLayout lay = ComputeSheetLayout(Context(), SheetRectangle(kA4At600));
    EXPECT_EQ(lay, (SheetLayout{.X0 = 826,
                                .top1 = 707,
                                .Ybot = 5239,
                                .Lx = 373,
                                .E = 2027,
                                .D2 = 1320,
                                .h = 220,
                                .y4 = 1587,
                                .Y5 = 3139,
                                .y6 = 3839,
                                .y7 = 4539,
                                .y8 = 5239}));
}

TEST_F(SheetTest, TitleFrameAndGrid)
{
    const SheetDrawList list = Draw();
    const SheetItem* title = Find(list, SheetRole::Title);
    ASSERT_TRUE(title);
    EXPECT_EQ(title->text, QStringLiteral("单根锚杆检测结果表"));
    EXPECT_EQ(title->at, QPoint(1793, 467));
    EXPECT_EQ(title->font.pointSize, 20.0);

    ASSERT_TRUE(Find(list, SheetRole::Frame));
    EXPECT_EQ(Find(list, SheetRole::Frame)->rect, (SheetRect{373, 707, 4630, 5239}));
    EXPECT_EQ(Find(list, SheetRole::HeadingColumn)->points, QPolygon({{760, 707}, {760, 5239}}));

    struct Row
    {
        int tag;
        int x1, y, x2;
    };
    for (const Row& r :
         {Row{kGridInfoRow1, 760, 927, 4630}, Row{kGridInfoRow3, 760, 1367, 4630},
          Row{kGridInfoEnd, 373, 1587, 4630}, Row{kGridDiagramEnd, 373, 3139, 4630},
          Row{kGridDesignSplit, 760, 3419, 4630}, Row{kGridDesignEnd, 373, 3839, 4630},
          Row{kGridTestSplit, 760, 4119, 4630}, Row{kGridTestEnd, 373, 4539, 4630}}) {
        SCOPED_TRACE(r.tag);
        const SheetItem* line = Find(list, SheetRole::GridLine, r.tag);
        ASSERT_TRUE(line);
        EXPECT_EQ(line->points, QPolygon({{r.x1, r.y}, {r.x2, r.y}}));
    }
    // Column lines of the basic information stand 40 px left of X0 plus a sixth, a half
    // and two thirds of the width; the parameter blocks are cut in fifths.
    EXPECT_EQ(Find(list, SheetRole::ColumnLine, kColumnInfo)->points,
              QPolygon({{1431, 707}, {1431, 1587}}));
    EXPECT_EQ(Find(list, SheetRole::ColumnLine, kColumnInfo + 2)->points,
              QPolygon({{3366, 707}, {3366, 1587}}));
    EXPECT_EQ(Find(list, SheetRole::ColumnLine, kColumnDesign + 2)->points,
              QPolygon({{2308, 3139}, {2308, 3839}}));
    EXPECT_EQ(Find(list, SheetRole::ColumnLine, kColumnTest + 4)->points,
              QPolygon({{3856, 3839}, {3856, 4539}}));
}

TEST_F(SheetTest, WithoutTitleTheFrameStillStartsBelowATitleLine)
{
    settings.options.bShowTitle = 0;
    const SheetDrawList list = Draw();
    EXPECT_FALSE(Find(list, SheetRole::Title));
    EXPECT_EQ(Find(list, SheetRole::Frame)->rect.top, 707);
}

TEST_F(SheetTest, SectionHeadingsOneCharacterPerLine)
{
    const SheetDrawList list = Draw();
    struct Row
    {
        int section;
        QString first;
        int characters;
        int firstY;
    };
    const Row rows[] = {{0, "基", 4, 877},
                        {1, "检", 10, 1769},
                        {2, "设", 4, 3239},
                        {3, "检", 4, 3939},
                        {4, "检", 4, 4639}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.section);
        const SheetItem* first = Find(list, SheetRole::Heading, r.section * 100);
        ASSERT_TRUE(first);
        EXPECT_EQ(first->text, r.first);
        EXPECT_EQ(first->at, QPoint(522, r.firstY));
        const SheetItem* last = Find(list, SheetRole::Heading, r.section * 100 + r.characters - 1);
        ASSERT_TRUE(last);
        EXPECT_EQ(last->at, QPoint(522, r.firstY + (r.characters - 1) * 125));
        EXPECT_FALSE(Find(list, SheetRole::Heading, r.section * 100 + r.characters));
    }
}

TEST_F(SheetTest, BasicInformation)
{
    print.m_strProjectName = QStringLiteral("城西边坡");
    print.m_bInfoSaved = 1;
    print.m_strTestDate = QStringLiteral("2026-06-03");
    print.m_nBoltType = 4;
    const SheetDrawList list = Draw();
    struct Row
    {
        SheetRole role;
        int tag;
        QString text;
        QPoint at;
    };
    const Row rows[] = {
        {SheetRole::InfoLabel, 0, "工程名称", {906, 762}},
        {SheetRole::InfoValue, 1, "城西边坡", {1450, 762}},
        {SheetRole::InfoLabel, 2, "项目名称", {2841, 762}},
        {SheetRole::InfoValue, 3, "", {3385, 762}},
        {SheetRole::InfoLabel, 8, "安装日期", {906, 762 + 440}},
        {SheetRole::InfoValue, 13, "永久性锚杆", {1450, 762 + 660}},
        {SheetRole::InfoValue, 15, "2026-06-03", {3385, 762 + 660}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text.toStdString());
        const SheetItem* item = Find(list, r.role, r.tag);
        ASSERT_TRUE(item);
        EXPECT_EQ(item->text, r.text);
        EXPECT_EQ(item->at, r.at);
        EXPECT_EQ(item->font.pointSize, 11.0);
    }
}

// Every value cell against the record field it comes from, each field distinct, so that a
// value in the wrong cell fails.
TEST_F(SheetTest, EveryValueCellShowsItsOwnField)
{
    print.m_strProjectName = QStringLiteral("工程甲");
    print.m_strItemName = QStringLiteral("项目乙");
    print.m_strBoltNo = QStringLiteral("B-07");
    print.m_strTestBasis = QStringLiteral("依据丙");
    print.m_strInstallDate = QStringLiteral("2026-01-02");
    print.m_strInstrument = QStringLiteral("仪器丁");
    print.m_nBoltType = 2;
    print.m_strTestDate = QStringLiteral("2026-03-04");
    print.m_fDesignDiameter = 25.5f;
    print.m_fDesignLength = 7.25f;
    print.m_fDesignL0 = 1.5f;
    print.m_nDesignGrade = 2;
    print.m_fTestDiameter = 22.25f;
    print.m_bInfoSaved = 1;
    // The report channel 2's analysis; the other channels, the stored lengths and class and
    // the report information's copies hold other values, which must not reach the sheet.
    print.m_fMeasured = {{{9.0f, 9.0f}, {1.5f, 4.0f}, {8.0f, 8.0f}}};
    Mark({20, 120, 377, 0, 0});
    print.m_nGrade = {0, 3, 1};
    print.m_nQualityClass = {0, 2, 1};
    print.m_strGradeText = QStringLiteral("A >=90%");
    print.m_strQualityClass = QStringLiteral("I");
    print.m_fExposedLength = 1.25f;
    print.m_fAnchorLength = 6.5f;
    print.m_strTestUnit = QStringLiteral("单位戊");
    const SheetDrawList list = Draw();
    const struct
    {
        SheetRole role;
        int tag;
        const char* text;
    } cells[] = {
        {SheetRole::InfoValue, 1, "工程甲"},
        {SheetRole::InfoValue, 3, "项目乙"},
        {SheetRole::InfoValue, 5, "B-07"},
        {SheetRole::InfoValue, 7, "依据丙"},
        {SheetRole::InfoValue, 9, "2026-01-02"},
        {SheetRole::InfoValue, 11, "仪器丁"},
        {SheetRole::InfoValue, 13, "摩擦型锚杆"},
        {SheetRole::InfoValue, 15, "2026-03-04"},
        {SheetRole::DesignValue, 0, "25.50 mm"},
        {SheetRole::DesignValue, 1, "7.25 m"},
        {SheetRole::DesignValue, 2, "1.50 m"},
        {SheetRole::DesignValue, 3, "5.75 m"},
        {SheetRole::DesignValue, 4, "C 80%~75%"},
        {SheetRole::TestValue, 0, "22.25 mm"},
        {SheetRole::TestValue, 1, "6.25 m"},
        {SheetRole::TestValue, 2, "1.75 m"},
        {SheetRole::TestValue, 3, "4.50 m"},
        {SheetRole::TestValue, 4, "D <75%"},
        {SheetRole::Conclusion, 0,
         "自由端长:1.75m, 锚固长度:4.50m, 密实度等级:D <75%, 锚固质量等级:IV类"},
        {SheetRole::Conclusion, 1, " 评定不合格"}, // D gives IV, whatever was stored
        {SheetRole::UnitName, 0, "单位戊"},
    };
    for (const auto& c : cells) {
        const SheetItem* item = Find(list, c.role, c.tag);
        ASSERT_TRUE(item) << c.text;
        EXPECT_EQ(item->text, QString::fromUtf8(c.text));
    }
}

TEST_F(SheetTest, IndicesOutsideTheirTablesPrintNothing)
{
    print.m_nBoltType = 5;
    print.m_nDesignGrade = -1;
    const SheetDrawList list = Draw();
    EXPECT_EQ(Find(list, SheetRole::InfoValue, 13)->text, "");
    EXPECT_EQ(Find(list, SheetRole::DesignValue, 4)->text, "");
    print.m_nDesignGrade = 3;
    const SheetDrawList inTable = Draw();
    EXPECT_EQ(Find(inTable, SheetRole::DesignValue, 4)->text, "D <75%");
}

TEST_F(SheetTest, DesignAndTestParameters)
{
    print.m_fDesignDiameter = 25.0f;
    print.m_fDesignLength = 6.0f;
    print.m_fDesignL0 = 1.25f;
    print.m_fTestDiameter = 22.0f;
    print.m_nWaveSpeed = 5000; // one sample 0.025 m: L0 1.00 m, L 5.50 m
    Mark({20, 60, 240, 0, 0});
    print.m_nGrade[1] = 1;
    print.m_nQualityClass[1] = 1;
    const SheetDrawList list = Draw();
    struct Row
    {
        SheetRole role;
        int column;
        QString text;
        QPoint at;
    };
    const Row rows[] = {
        {SheetRole::DesignHeading, 0, "Φ(mm)", {927, 3224}},
        {SheetRole::DesignHeading, 4, "D(%)", {760 + 211 + 3096, 3224}},
        {SheetRole::DesignValue, 0, "25.00 mm", {795, 3544}},
        {SheetRole::DesignValue, 1, "6.00 m", {760 + 123 + 774, 3544}},
        {SheetRole::DesignValue, 3, "4.75 m", {760 + 123 + 2322, 3544}},
        {SheetRole::DesignValue, 4, "A >=90%", {760 + 79 + 3096, 3544}},
        {SheetRole::TestHeading, 2, "L0(m)", {760 + 167 + 1548, 3924}},
        {SheetRole::TestValue, 0, "22.00 mm", {795, 4244}},
        {SheetRole::TestValue, 1, "5.50 m", {760 + 123 + 774, 4244}},
        {SheetRole::TestValue, 2, "1.00 m", {760 + 123 + 1548, 4244}},
        {SheetRole::TestValue, 4, "B 90%~80%", {760 - 9 + 3096, 4244}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text.toStdString());
        const SheetItem* item = Find(list, r.role, r.column);
        ASSERT_TRUE(item);
        EXPECT_EQ(item->text, r.text);
        EXPECT_EQ(item->at, r.at);
    }
}

// The conclusion repeats the test row's lengths and the analysis's grade and class; a
// bolt without both, or without end and bottom, is not evaluated and names no class.
TEST(ConclusionTest, LengthsOfTheTestRowAndTheAnalysisVerdict)
{
    // One sample is 0.025 m (10 µs, 5000 m/s): end 20, free end 80, bottom 250 measure
    // L0 1.50 m and L 5.75 m. The class is derived from grade and L, never the stored one.
    struct Row
    {
        int grade;
        float design;
        std::array<int, 5> markers;
        const char* text;
    };
    const Row rows[] = {
        {0,
         5.5f,
         {20, 80, 250, 0, 0},
         "自由端长:1.50m, 锚固长度:4.25m, 密实度等级:A >=90%, 锚固质量等级:I类\r\n 评定合格"},
        {2,
         5.5f,
         {20, 80, 250, 0, 0},
         "自由端长:1.50m, 锚固长度:4.25m, 密实度等级:C 80%~75%, 锚固质量等级:III类\r\n 评定合格"},
        {2, // 5.75 m of 7 m: class IV whatever the grade
         7.0f,
         {20, 80, 250, 0, 0},
         "自由端长:1.50m, 锚固长度:4.25m, 密实度等级:C 80%~75%, 锚固质量等级:IV类\r\n "
         "评定不合格"},
        {-1, 5.5f, {20, 80, 250, 0, 0}, "自由端长:1.50m, 锚固长度:4.25m\r\n 未评定"},
        {4, 5.5f, {20, 80, 250, 0, 0}, "自由端长:1.50m, 锚固长度:4.25m\r\n 未评定"},
        {1, 5.5f, {0, 0, 0, 0, 0}, "\r\n 未评定"},   // cleared: no lengths nobody measured
        {1, 5.5f, {20, 80, 0, 0, 0}, "\r\n 未评定"}, // no bottom
    };
    for (const Row& r : rows) {
        TestRecord d;
        d.m_nSampleInterval = 10;
        d.m_nWaveSpeed = 5000;
        d.m_fDesignLength = r.design;
        d.m_nReportChannel = 2;
        d.m_nMarkedChannels = 1;
        d.m_nMarkers[2] = r.markers;
        d.m_fMeasured[2] = {9.5f, 9.25f}; // stored copies that disagree: never read
        d.m_nGrade[2] = r.grade;
        d.m_nQualityClass[2] = 1;
        d.m_strGradeText = QStringLiteral("B 90%~80%");
        d.m_strQualityClass = QStringLiteral("I");
        d.m_fExposedLength = 0.3f;
        EXPECT_EQ(ConclusionText(ResultOf(d)), QString::fromUtf8(r.text)) << r.grade;
    }
}

TEST_F(SheetTest, ConclusionOnTwoLinesAndTheOrganisationBelowTheFrame)
{
    Mark({20, 77, 334, 0, 0});
    print.m_nGrade[1] = 0;
    print.m_fDesignLength = 12.0f; // 5.49 m of 12 m: class IV by the rule, whatever the grade
    print.m_strTestUnit = QStringLiteral("检测中心");
    const SheetDrawList list = Draw();
    const auto lines = FindAll(list, SheetRole::Conclusion);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]->at, QPoint(780, 4724));
    EXPECT_TRUE(lines[0]->text.endsWith(QStringLiteral("类")));
    EXPECT_EQ(lines[1]->at, QPoint(780, 4834));
    EXPECT_EQ(lines[1]->text, QStringLiteral(" 评定不合格"));
    EXPECT_EQ(Find(list, SheetRole::UnitLabel)->at, QPoint(373, 5349));
    EXPECT_EQ(Find(list, SheetRole::UnitName)->at, QPoint(813, 5349));
    EXPECT_EQ(Find(list, SheetRole::UnitName)->text, QStringLiteral("检测中心"));
}

TEST_F(SheetTest, BodyAndDefectFontsFollowTheResolution)
{
    EXPECT_EQ(BodyPointSize(361), 11.0);
    EXPECT_EQ(BodyPointSize(360), 10.0);
    EXPECT_EQ(DefectPointSize(361), 14.0);
    EXPECT_EQ(DefectPointSize(360), 10.0);
}

TEST_F(SheetTest, DiagramLabelsAndMarks)
{
    const SheetDrawList list = Draw();
    EXPECT_EQ(Find(list, SheetRole::BaseLine)->points, QPolygon({{770, 2739}, {4620, 2739}}));
    const SheetItem* label = Find(list, SheetRole::ChannelLabel);
    EXPECT_EQ(label->text, QStringLiteral("信号2"));
    EXPECT_EQ(label->at, QPoint(4198, 1881));
    EXPECT_EQ(Find(list, SheetRole::AmplitudeTick, 0)->points,
              QPolygon({{760, 1957}, {790, 1957}}));
    EXPECT_EQ(Find(list, SheetRole::AmplitudeTick, 1)->points,
              QPolygon({{760, 2652}, {790, 2652}}));
    EXPECT_EQ(Find(list, SheetRole::AmplitudeLabel, 0)->text, "1360 mv");
    EXPECT_EQ(Find(list, SheetRole::AmplitudeLabel, 1)->text, "-1360 mv");
    EXPECT_EQ(Find(list, SheetRole::AmplitudeLabel, 1)->at, QPoint(800, 2652));
    const int xs[] = {1727, 2695, 3662};
    for (int j = 1; j <= 3; ++j) {
        EXPECT_EQ(Find(list, SheetRole::TimeTick, j)->points,
                  QPolygon({{xs[j - 1], 2739}, {xs[j - 1], 2749}}));
        EXPECT_EQ(Find(list, SheetRole::TimeLabel, j)->at, QPoint(xs[j - 1], 2749));
    }
    EXPECT_EQ(Find(list, SheetRole::TimeUnit)->at, QPoint(4480, 2749));
}

// Each tick reads the time at the tick: the diagram spans 10.24 ms with compression and
// 2.048 ms without, whatever the printed file's sampling interval, which sets only how
// many of its samples fit.
TEST_F(SheetTest, TimeLabelsAreTheTimesAtTheTicks)
{
    const struct
    {
        int interval, compress;
        const char* labels[3];
        int secondTraceX; // where sample 1 lands
    } rows[] = {
        {10, 1, {"2.56", "5.12", "7.68"}, 763},
        {5, 1, {"2.56", "5.12", "7.68"}, 761},
        {2, 0, {"0.51", "1.02", "1.54"}, 763},
    };
    for (const auto& r : rows) {
        print.m_nSampleInterval = r.interval;
        settings.bCompress = r.compress;
        const SheetDrawList list = Draw();
        SCOPED_TRACE(r.interval);
        for (int j = 1; j <= 3; ++j)
            EXPECT_EQ(Find(list, SheetRole::TimeLabel, j)->text, r.labels[j - 1]);
        EXPECT_EQ(FindAll(list, SheetRole::Trace).front()->points.value(1).x(), r.secondTraceX);
    }
}

TEST_F(SheetTest, NoSamplesInThePrintedFileLeavesTheTimeLabelsEmpty)
{
    print.m_nSampleCount = 0;
    const SheetDrawList list = Draw();
    for (int j = 1; j <= 3; ++j)
        EXPECT_EQ(Find(list, SheetRole::TimeLabel, j)->text, "");
    EXPECT_DOUBLE_EQ(TraceScale(print, settings, 2048), 1.0);
    EXPECT_EQ(SampleScale(print, settings, 2048), 0.0);
}

TEST_F(SheetTest, ReportChannelOutsideTheChannelsDrawsNoDiagram)
{
    Mark({20, 72, 335, 0, 0}, 0);
    for (int channel : {-1, 3, 7}) {
        print.m_nReportChannel = channel;
        const SheetDrawList list = Draw();
        EXPECT_FALSE(Find(list, SheetRole::BaseLine)) << channel;
        EXPECT_TRUE(FindAll(list, SheetRole::Trace).empty()) << channel;
        EXPECT_TRUE(FindAll(list, SheetRole::GroutBar).empty()) << channel;
        EXPECT_TRUE(Find(list, SheetRole::Frame)) << channel;
    }
}

TEST_F(SheetTest, TraceStartsEndsAndIsClippedToTheDiagramCell)
{
    print.m_nSampleCount = 4;
    print.m_nSamples[1][0] = 850;
    print.m_nSamples[1][1] = -850;
    const SheetDrawList list = Draw();
    const auto traces = FindAll(list, SheetRole::Trace);
    ASSERT_EQ(traces.size(), 1u);
    // 850 of 1700 lies a quarter of the 868-px height down; -850 three quarters.
    EXPECT_EQ(traces[0]->points, QPolygon({{760, 1871 + 217},
                                           {763, 1871 + 651},
                                           {767, 2305},
                                           {771, 2305},
                                           {775, 2305},
                                           {4630, 2305}}));
    EXPECT_EQ(traces[0]->clip, (SheetRect{760, 1587, 4630, 3139}));
    EXPECT_EQ(Find(list, SheetRole::ZeroLine)->pen.style, picture::LineStyle::Dot);
}

// A record at full int16 scale drawn at 1700: every point of the trace lies between the
// top of the diagram cell (1871) and the time axis (2739), never over the axis, its labels
// or the interpretation bars below it.
TEST_F(SheetTest, AFullScaleTraceStaysBetweenTheCellTopAndTheTimeAxis)
{
    print.m_nSampleCount = 1024;
    for (int i = 0; i < 1024; ++i)
        print.m_nSamples[1][static_cast<std::size_t>(i)] = i % 2 ? 32767 : -32768;
    Mark({20, 120, 320, 0, 0});
    const SheetDrawList list = Draw();
    const int axis = Find(list, SheetRole::BaseLine)->points[0].y();
    const int top = 1871;
    int highest = axis, lowest = top;
    for (const SheetItem* trace : FindAll(list, SheetRole::Trace))
        for (const QPoint& p : trace->points) {
            highest = std::min(highest, p.y());
            lowest = std::max(lowest, p.y());
        }
    EXPECT_EQ(highest, top);  // clipped at the cell's top,
    EXPECT_EQ(lowest, axis); // and at the axis
    ASSERT_FALSE(FindAll(list, SheetRole::GroutBar).empty());
    for (const SheetItem* label : FindAll(list, SheetRole::TimeLabel))
        EXPECT_GE(label->at.y(), axis);
    for (SheetRole bar : {SheetRole::GroutBar, SheetRole::RodBar})
        for (const SheetItem* item : FindAll(list, bar))
            EXPECT_GT(item->rect.top, axis);
}

// A fitted trace: its amplitude is the record's own, its largest excursion from the blow
// on at 90 % of the half-height; the labels say so.
TEST_F(SheetTest, AFittedTraceTakesItsOwnAmplitude)
{
    print.m_nSampleCount = 1024;
    for (int k = 0; k <= 20; ++k) // the blow, a half-sine of 3000 peaking at 30
        print.m_nSamples[1][static_cast<std::size_t>(20 + k)] =
            static_cast<std::int16_t>(std::lround(3000 * std::sin(M_PI * k / 20.0)));
    settings.channels[1].bFit = true;
    EXPECT_EQ(DiagramAmplitude(Context(), 1), 3334); // ceil(3000 / 0.9)
    const SheetDrawList list = Draw();
    EXPECT_EQ(Find(list, SheetRole::AmplitudeLabel, 0)->text, "2667 mv"); // 4/5 of it
    // The peak lies 10 % of the half-height below the top: 434 * (3334 - 3000) / 3334.
    int highest = 4000;
    for (const SheetItem* trace : FindAll(list, SheetRole::Trace))
        for (const QPoint& p : trace->points)
            highest = std::min(highest, p.y());
    EXPECT_EQ(highest, 1871 + 43);
}

TEST_F(SheetTest, PositiveExcursionsAreFilledTwoPixelsWideOnlyFor1024Samples)
{
    print.m_nSamples[1][5] = 1000;
    print.m_nSampleCount = 1024;
    const SheetDrawList filled = Draw();
    auto traces = FindAll(filled, SheetRole::Trace);
    ASSERT_EQ(traces.size(), 2u);
    EXPECT_EQ(traces[0]->points.mid(traces[0]->points.size() - 2),
              QPolygon({{778, 2049}, {778, 2305}}));
    EXPECT_EQ(traces[1]->points.mid(0, 3), QPolygon({{779, 2049}, {779, 2305}, {782, 2305}}));

    print.m_nSampleCount = 1023;
    const SheetDrawList single = Draw();
    traces = FindAll(single, SheetRole::Trace);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0]->points.mid(5, 3), QPolygon({{778, 2049}, {778, 2305}, {782, 2305}}));
}

TEST_F(SheetTest, GrowingGainReachesTheMagnificationAtTheLastSample)
{
    print.m_nSampleCount = 2;
    print.m_nSamples[1][1] = 400;
    settings.channels[1].nMagnify = 4; // gain 4^(2/2) = 4: 1600 of 1700
    const SheetDrawList list = Draw();
    const auto traces = FindAll(list, SheetRole::Trace);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0]->points[1], QPoint(763, 1871 + 25));
}

TEST_F(SheetTest, NonPositiveMaximumAmplitudeDrawsNoTrace)
{
    settings.channels[1].nMaxAmplitude = 0;
    const SheetDrawList list = Draw();
    EXPECT_TRUE(FindAll(list, SheetRole::Trace).empty());
    EXPECT_TRUE(Find(list, SheetRole::ZeroLine));
}

TEST_F(SheetTest, InterpretationBars)
{
    Mark({20, 72, 335, 0, 0});
    const SheetDrawList list = Draw();
    const auto grout = FindAll(list, SheetRole::GroutBar);
    ASSERT_EQ(grout.size(), 2u);
    EXPECT_EQ(grout[0]->kind, SheetItem::Kind::Rectangle);
    EXPECT_EQ(grout[0]->rect, (SheetRect{1070, 2869, 1965, 3086}));
    EXPECT_EQ(grout[1]->kind, SheetItem::Kind::FillRect);
    EXPECT_EQ(grout[1]->brush, QColor(202, 202, 202));
    const auto rod = FindAll(list, SheetRole::RodBar);
    ASSERT_EQ(rod.size(), 2u);
    EXPECT_EQ(rod[1]->rect, (SheetRect{894, 2956, 1965, 2999}));
    EXPECT_EQ(rod[1]->brush, QColor(Qt::black));
    EXPECT_TRUE(FindAll(list, SheetRole::DefectBar).empty());
}

TEST_F(SheetTest, EachBarNeedsTheOneBefore)
{
    struct Row
    {
        int marked;
        std::array<int, 5> m;
        std::size_t grout, rod, defect;
    };
    const Row rows[] = {
        {1, {0, 72, 335, 120, 220}, 2, 0, 0},  // no end: only the grouted bar
        {1, {20, 72, 335, 120, 0}, 2, 2, 0},   // defect start without end
        {1, {20, 0, 335, 120, 220}, 0, 0, 0},  // no free end: nothing
        {1, {20, 72, 0, 120, 220}, 0, 0, 0},   // no bottom: nothing
        {0, {20, 72, 335, 120, 220}, 0, 0, 0}, // no marked channel: nothing
        {1, {20, 72, 335, 120, 220}, 2, 2, 2},
    };
    for (const Row& r : rows) {
        Mark(r.m);
        print.m_nMarkedChannels = r.marked;
        const SheetDrawList list = Draw();
        SCOPED_TRACE(r.m[0] * 1000 + r.m[1]);
        EXPECT_EQ(FindAll(list, SheetRole::GroutBar).size(), r.grout);
        EXPECT_EQ(FindAll(list, SheetRole::RodBar).size(), r.rod);
        EXPECT_EQ(FindAll(list, SheetRole::DefectBar).size(), r.defect);
        EXPECT_EQ(FindAll(list, SheetRole::DefectText).size(), r.defect / 2);
    }
}

TEST_F(SheetTest, DefectBarAndRange)
{
    Mark({20, 72, 335, 120, 220});
    const SheetDrawList list = Draw();
    const auto defect = FindAll(list, SheetRole::DefectBar);
    ASSERT_EQ(defect.size(), 2u);
    EXPECT_EQ(defect[0]->kind, SheetItem::Kind::Ellipse);
    EXPECT_EQ(defect[0]->rect, (SheetRect{1234, 2912, 1574, 3042}));
    EXPECT_EQ(defect[1]->brush, QColor(124, 124, 124));
    const SheetItem* text = Find(list, SheetRole::DefectText);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->text, QStringLiteral("缺陷范围:1.75m  - 3.50m "));
    // Right of the bars (they end at 1965), centred on their band 2869..3086.
    EXPECT_EQ(text->at, QPoint(1965 + 48, 2869 + (217 - 140) / 2));
    EXPECT_EQ(text->font.pointSize, 14.0);
}

// A range reaching past the bottom is printed with a word, on the sheet and in the
// result every other output reads; one that ends at the bottom is not flagged.
TEST_F(SheetTest, ADefectRangePastTheBottomSaysSo)
{
    const struct
    {
        std::array<int, 5> markers;
        const char* text;
    } rows[] = {
        {{20, 72, 220, 120, 220}, "缺陷范围:1.75m  - 3.50m "},
        {{20, 72, 220, 120, 221}, "缺陷范围:1.75m  - 3.51m （超出底部，请复核）"},
        {{20, 72, 220, 240, 260}, "缺陷范围:3.84m  - 4.19m （超出底部，请复核）"}, // cut
    };
    for (const auto& r : rows) {
        Mark(r.markers);
        const SheetDrawList list = Draw();
        const SheetItem* text = Find(list, SheetRole::DefectText);
        ASSERT_TRUE(text);
        EXPECT_EQ(text->text, QString::fromUtf8(r.text));
        const auto defect = ChannelResultOf(print, 1).defect;
        ASSERT_TRUE(defect.has_value());
        EXPECT_EQ(DefectRangeText(*defect), text->text);
    }
}

// Bars that reach the right edge leave no room beside them: the text goes under them,
// as large as the rest of the cell allows, and never below the grid line closing it.
TEST_F(SheetTest, DefectRangeUnderBarsThatReachTheRightEdge)
{
    Mark({20, 72, 1500, 120, 220});
    const SheetDrawList list = Draw();
    const SheetItem* text = Find(list, SheetRole::DefectText);
    ASSERT_TRUE(text);
    const SheetLayout lay = ComputeSheetLayout(Context(), SheetRectangle(kA4At600));
    EXPECT_GT(text->at.y(), 3086); // below the lowest bar
    EXPECT_LE(text->at.y() + FakeMeasure(text->text, text->font.pointSize).height(), lay.Y5);
    EXPECT_EQ(text->font.pointSize, 5.0);
}

TEST_F(SheetTest, BottomBeyondTheRightEdgeEndsTheBarsFiveBeforeIt)
{
    Mark({20, 72, 1500, 0, 0});
    const SheetDrawList list = Draw();
    EXPECT_EQ(FindAll(list, SheetRole::GroutBar)[0]->rect.right, 4625);
    EXPECT_EQ(FindAll(list, SheetRole::RodBar)[0]->rect.right, 4625);
    // 826 + 1119 x 3.4014 = 4632 lies past 4630; 1118 gives 4628.7, inside.
    Mark({20, 72, 1119, 0, 0});
    const SheetDrawList past = Draw();
    EXPECT_EQ(FindAll(past, SheetRole::GroutBar)[0]->rect.right, 4625);
    Mark({20, 72, 1118, 0, 0});
    const SheetDrawList inside = Draw();
    EXPECT_EQ(FindAll(inside, SheetRole::GroutBar)[0]->rect.right, 4628);
}

TEST(SheetMarkerLengthTest, CutToCentimetres)
{
    struct Row
    {
        int a, b, interval, speed;
        float metres;
    };
    const Row rows[] = {
        {120, 20, 10, 3500, 1.75f},  {37, 0, 3, 3600, 0.19f}, {220, 20, 10, 3500, 3.5f},
        {20, 120, 10, 3500, -1.75f}, {5, 5, 10, 3500, 0.0f},  {0, 0, 0, 0, 0.0f},
    };
    for (const Row& r : rows) {
        TestRecord d;
        d.m_nSampleInterval = r.interval;
        d.m_nWaveSpeed = r.speed;
        EXPECT_NEAR(SheetMarkerLength(d, r.a, r.b), r.metres, kLengthTolerance)
            << r.a << " " << r.b;
    }
}

TEST_F(SheetTest, UnreadableFileGetsANoticeNotThePreviousBolt)
{
    TestRecord printData;
    ASSERT_TRUE(printData.LoadFromBytes(ComposeInstrumentFile(test::SampleRecord())));
    printData.m_strProjectName = QStringLiteral("上一根锚杆");
    const QString path = QStringLiteral("/nonexistent/MG9999.mg");
    const SheetDrawList list = DrawReportPage(kA4At600, path, printData, settings, measure);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].role, SheetRole::Notice);
    EXPECT_EQ(list[0].text, QStringLiteral("无法读取文件"));
    EXPECT_EQ(list[0].at, QPoint(760, 467));
    EXPECT_EQ(list[1].text, path);
    EXPECT_EQ(list[1].at, QPoint(760, 467 + 300));
    // Then why, a line below the path.
    EXPECT_EQ(list[2].text, QStringLiteral("文件不存在"));
    EXPECT_EQ(list[2].at.x(), 760);
    EXPECT_GT(list[2].at.y(), 467 + 300);
    EXPECT_TRUE(DrawReportPage(kA4At600, QString(), printData, settings, measure).empty());
}

// With the site's processing on, the sheet draws the processed trace (the same as the raw
// drawing of the processed samples) and says under it what was applied, at the bottom of
// the diagram cell, clear of the defect text. A chain that this record's
// sampling interval refuses leaves the trace raw and the line out.
TEST_F(SheetTest, ProcessedTraceSaysWhatWasAppliedUnderIt)
{
    namespace pr = processing;
    // Lines as high as the sheet face's, 12 pixels per point.
    measure = [](const QString& text, double pt) {
        return QSize(static_cast<int>(text.size() * pt * 8), static_cast<int>(pt * 12));
    };
    Mark({20, 72, 1500, 120, 220});
    print.m_nSampleCount = 1024;
    for (int i = 0; i < 1024; ++i)
        print.m_nSamples[1][static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(i < 20 ? 100 : 100 + (i % 7) * 300);
    const SheetDrawList raw = Draw();
    EXPECT_FALSE(Find(raw, SheetRole::Processing));

    print.m_fDesignLength = 6.0f;
    const pr::ChainSettings chain{true, pr::FilterKind::BandPass,  8,  100,
                                  2000, pr::GainKind::Exponential, 100};
    TestRecord processed = print;
    pr::ToDisplaySamples(
        pr::ApplyChain(std::span(print.m_nSamples[1]).first(1024), 10, 3500, 6.0, chain),
        processed.m_nSamples[1]);
    const SheetDrawList expected = DrawSheet({kA4At600, processed, settings, measure});

    settings.chain = chain;
    const SheetDrawList list = Draw();
    ASSERT_EQ(FindAll(list, SheetRole::Trace).size(), FindAll(expected, SheetRole::Trace).size());
    EXPECT_EQ(FindAll(list, SheetRole::Trace)[0]->points,
              FindAll(expected, SheetRole::Trace)[0]->points);
    EXPECT_NE(FindAll(list, SheetRole::Trace)[0]->points,
              FindAll(raw, SheetRole::Trace)[0]->points);
    const SheetItem* line = Find(list, SheetRole::Processing);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text, QStringLiteral("信号处理: 带通 100–2000 Hz 8阶, 指数放大 ×100"));
    const SheetRect sheet = SheetRectangle(kA4At600);
    const QSize ext = measure(line->text, line->font.pointSize);
    EXPECT_EQ(line->at.y() + ext.height() + 2, ComputeSheetLayout(Context(), sheet).Y5);
    EXPECT_EQ(line->at.x() + ext.width() + 48, sheet.right); // one "结" at 6 pt from the edge
    // Beside short bars and under long ones, the defect text stays clear of the line.
    for (const int bottom : {300, 1500}) {
        Mark({20, 72, bottom, 120, 220});
        const SheetDrawList marked = Draw();
        const SheetItem* defect = Find(marked, SheetRole::DefectText);
        ASSERT_TRUE(defect);
        EXPECT_FALSE(QRect(defect->at, measure(defect->text, defect->font.pointSize))
                         .intersects(QRect(line->at, ext)))
            << bottom;
    }

    settings.chain.highHz = 50000;     // half of the 100 kHz sampling rate
    settings.chain.gainAtDesign = 200; // above ×100
    const SheetDrawList refused = Draw();
    EXPECT_FALSE(Find(refused, SheetRole::Processing));
    EXPECT_EQ(FindAll(refused, SheetRole::Trace)[0]->points,
              FindAll(raw, SheetRole::Trace)[0]->points);
}

} // namespace
} // namespace rovana::sheet
