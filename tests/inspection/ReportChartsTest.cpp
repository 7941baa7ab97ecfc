// The report's two charts as pictures: bars in proportion to the class counts, each bolt's
// ratio where the value axis puts it with the 95 % line between, and the ratios of a site of
// any size gathered into a bounded number of slots.
#include "ReportCharts.h"

#include <gtest/gtest.h>

namespace rovana::inspection {
namespace {

// Every character 10 pixels wide, a line 12 high.
const sheet::MeasureText kMeasure = [](const QString& text, double) {
    return QSize(10 * static_cast<int>(text.size()), 12);
};
const picture::Edges kBox{0, 0, 1000, 500};

std::vector<const picture::Item*> Items(const picture::Picture& p, ChartRole role)
{
    std::vector<const picture::Item*> out;
    for (const picture::Item& item : p)
        if (item.role == role)
            out.push_back(&item);
    return out;
}

QStringList Texts(const picture::Picture& p, ChartRole role)
{
    QStringList out;
    for (const picture::Item* item : Items(p, role))
        out << item->text;
    return out;
}

TEST(ReportChartsTest, BarsStandInProportionToTheClassCounts)
{
    summary::SummaryStatistics s;
    s.classCounts = {3, 0, 1, 6};
    s.evaluated = 10;
    const picture::Picture chart = ClassCountChart(s, kBox, 9.0, kMeasure);
    const std::vector<const picture::Item*> bars = Items(chart, ChartRole::Bar);
    ASSERT_EQ(bars.size(), 3u); // none for class II
    EXPECT_EQ(bars[0]->tag, 0);
    EXPECT_EQ(bars[1]->tag, 2);
    EXPECT_EQ(bars[2]->tag, 3);
    const auto height = [](const picture::Item* bar) { return bar->rect.bottom - bar->rect.top; };
    EXPECT_NEAR(height(bars[0]) * 2.0, height(bars[2]), 2.0);
    EXPECT_NEAR(height(bars[1]) * 6.0, height(bars[2]), 6.0);
    EXPECT_EQ(bars[0]->rect.bottom, bars[2]->rect.bottom); // one base line
    EXPECT_LT(bars[0]->rect.right, bars[1]->rect.left);    // in class order, apart
    EXPECT_EQ(Texts(chart, ChartRole::BarCount), (QStringList{"3", "0", "1", "6"}));
    EXPECT_EQ(Texts(chart, ChartRole::ClassLabel), (QStringList{"I类", "II类", "III类", "IV类"}));
    EXPECT_TRUE(Items(chart, ChartRole::NoData).empty());
    EXPECT_EQ(Texts(ClassCountChart({}, kBox, 9.0, kMeasure), ChartRole::NoData),
              QStringList{"无已评定锚杆"});
}

TEST(ReportChartsTest, RatiosStandWhereTheAxisPutsThemWithTheLineBetween)
{
    RatioSeries series(3);
    series.Add(0, 90.0);
    series.Add(1, 100.0);
    series.Add(2, std::nullopt); // not measured: no mark
    series.Add(3, 50.0);         // past the last bolt: ignored
    const picture::Picture chart = LengthRatioChart(series, kBox, 9.0, kMeasure);
    const std::vector<const picture::Item*> marks = Items(chart, ChartRole::Ratio);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0]->tag, 0);
    EXPECT_EQ(marks[1]->tag, 1);
    const auto middle = [](const picture::Item* m) { return (m->rect.top + m->rect.bottom) / 2.0; };
    const std::vector<const picture::Item*> line = Items(chart, ChartRole::RatioLine);
    ASSERT_FALSE(line.empty());
    const double y95 = line.front()->points[0].y();
    EXPECT_NEAR(y95, (middle(marks[0]) + middle(marks[1])) / 2.0, 1.5);
    EXPECT_GT(middle(marks[0]), y95); // 90 % below the line
    EXPECT_LT(middle(marks[1]), y95);
    EXPECT_LT(marks[0]->rect.right, marks[1]->rect.left); // in table order
    EXPECT_EQ(Texts(chart, ChartRole::BoltLabel), (QStringList{"1", "2", "3"}));
    EXPECT_TRUE(Items(chart, ChartRole::NoData).empty());

    // No bolt: no bolt numbers, and the chart says why it is empty.
    const picture::Picture empty = LengthRatioChart(RatioSeries(0), kBox, 9.0, kMeasure);
    EXPECT_TRUE(Items(empty, ChartRole::BoltLabel).empty());
    EXPECT_TRUE(Items(empty, ChartRole::Ratio).empty());
    EXPECT_EQ(Texts(empty, ChartRole::NoData), QStringList{"无实测长度"});
}

// A site of more bolts than slots: each slot holds its neighbours' least and greatest ratio,
// every bolt in exactly one slot.
TEST(ReportChartsTest, ManyBoltsShareBoundedSlots)
{
    const int bolts = 2 * RatioSeries::kSlots + 1;
    RatioSeries series(bolts);
    for (int i = 0; i < bolts; ++i)
        series.Add(i, 80.0 + i % 3);
    ASSERT_EQ(static_cast<int>(series.Slots().size()), RatioSeries::kSlots);
    int next = 0;
    for (const RatioSeries::Slot& slot : series.Slots()) {
        EXPECT_EQ(slot.first, next);
        EXPECT_TRUE(slot.count == 2 || slot.count == 3) << slot.first;
        next += slot.count;
    }
    EXPECT_EQ(next, bolts);
    EXPECT_EQ(series.Slots()[0].least, 80.0);
    EXPECT_EQ(series.Slots()[0].greatest, 81.0);
    EXPECT_EQ(series.Least(), 80.0);
    EXPECT_EQ(series.Greatest(), 82.0);
    EXPECT_EQ(TickStep(37, 8), 5.0);
    EXPECT_EQ(TickStep(20, 4), 5.0); // on the line
    EXPECT_EQ(TickStep(21, 4), 10.0);
}

} // namespace
} // namespace rovana::inspection
