#include "ReportCharts.h"

#include "NameTables.h"
#include "PictureBuilders.h"

#include <algorithm>
#include <cmath>

namespace rovana::inspection {

namespace {

using picture::Edges;
using picture::Item;
using picture::Picture;

const QColor kGrid(190, 190, 190);
const QColor kBar(150, 150, 150);
const QColor kRatio(40, 40, 40);

picture::Font FontAt(double pointSize)
{
    return {picture::Face::SheetUnshaped, pointSize};
}

picture::Pen PenOf(int width, QColor color = Qt::black)
{
    return {color, width, picture::LineStyle::Solid, false};
}

// The chart's inner box: room left for the value labels, below for the bolt or class axis.
struct Frame
{
    Edges plot;
    int line = 0;   // text line height
    int stroke = 1; // axis width
};

Frame FrameOf(const Edges& box, double pointSize, const sheet::MeasureText& measure,
              const QString& widestLabel)
{
    Frame f;
    f.line = measure(QStringLiteral("0"), pointSize).height();
    f.stroke = std::max(1, f.line / 16);
    const int labels = measure(widestLabel, pointSize).width() + f.line / 2;
    f.plot = {box.left + labels + f.line, box.top + f.line, box.right - f.line / 2,
              box.bottom - 2 * f.line};
    return f;
}

void AddText(Picture& p, ChartRole role, int tag, QPoint at, const QString& text, double pointSize)
{
    p.push_back(picture::Text(role, tag, at, text, FontAt(pointSize)));
}

// Grid lines and labels of the value axis from `low` to `high` in steps of `step`.
void AddValueAxis(Picture& p, const Frame& f, double low, double high, double step,
                  double pointSize, const sheet::MeasureText& measure, const QString& unit)
{
    const Edges& r = f.plot;
    const auto y = [&](double v) {
        return r.bottom -
               static_cast<int>(std::lround((v - low) / (high - low) * (r.bottom - r.top)));
    };
    for (double v = low; v <= high + step / 2; v += step) {
        const int tag = static_cast<int>(std::lround(v));
        if (v > low)
            p.push_back(picture::Line(ChartRole::GridLine, tag, {r.left, y(v)}, {r.right, y(v)},
                                      PenOf(f.stroke, kGrid)));
        const QString text = QString::number(tag) + unit;
        const QSize size = measure(text, pointSize);
        AddText(p, ChartRole::TickLabel, tag,
                {r.left - f.line / 2 - size.width(), y(v) - size.height() / 2}, text, pointSize);
    }
    p.push_back(
        picture::Line(ChartRole::Axis, 0, {r.left, r.top}, {r.left, r.bottom}, PenOf(f.stroke)));
    p.push_back(picture::Line(ChartRole::Axis, 1, {r.left, r.bottom}, {r.right, r.bottom},
                              PenOf(f.stroke)));
}

void AddNoData(Picture& p, const Frame& f, const QString& text, double pointSize,
               const sheet::MeasureText& measure)
{
    const QSize size = measure(text, pointSize);
    AddText(p, ChartRole::NoData, 0,
            {(f.plot.left + f.plot.right - size.width()) / 2,
             (f.plot.top + f.plot.bottom - size.height()) / 2},
            text, pointSize);
}

} // namespace

double TickStep(double span, int ticks)
{
    if (!(span > 0.0) || ticks < 1)
        return 1.0;
    const double raw = span / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw - 1e-9 * power)
            return m * power;
    return 10.0 * power;
}

Picture ClassCountChart(const summary::SummaryStatistics& s, const Edges& box, double pointSize,
                        const sheet::MeasureText& measure)
{
    Picture p;
    const int most = *std::max_element(s.classCounts.begin(), s.classCounts.end());
    const double step = std::max(1.0, TickStep(std::max(most, 1), 5));
    const double high = std::max(step, std::ceil(most / step) * step);
    const Frame f = FrameOf(box, pointSize, measure, QString::number(static_cast<int>(high)));
    AddValueAxis(p, f, 0.0, high, step, pointSize, measure, QString());
    const Edges& r = f.plot;
    const int slot = (r.right - r.left) / 4;
    for (int k = 0; k < 4; ++k) {
        const int count = s.classCounts[static_cast<std::size_t>(k)];
        const int left = r.left + k * slot + slot / 4;
        const int right = left + slot / 2;
        const int top = r.bottom - static_cast<int>(std::lround(count / high * (r.bottom - r.top)));
        if (count > 0) {
            Item bar = picture::Shape(Item::Kind::Rectangle, ChartRole::Bar,
                                      {left, top, right, r.bottom}, kBar, PenOf(f.stroke));
            bar.tag = k;
            p.push_back(bar);
        }
        const QString number = QString::number(count);
        AddText(
            p, ChartRole::BarCount, k,
            {(left + right - measure(number, pointSize).width()) / 2, top - f.line - f.line / 4},
            number, pointSize);
        const QString label =
            kQualityClassNames[static_cast<std::size_t>(k)] + QStringLiteral("类");
        AddText(p, ChartRole::ClassLabel, k,
                {(left + right - measure(label, pointSize).width()) / 2, r.bottom + f.line / 3},
                label, pointSize);
    }
    if (s.evaluated == 0)
        AddNoData(p, f, QStringLiteral("无已评定锚杆"), pointSize, measure);
    return p;
}

Picture LengthRatioChart(const RatioSeries& series, const Edges& box, double pointSize,
                         const sheet::MeasureText& measure)
{
    Picture p;
    const double least = series.Least().value_or(kLengthRatioLine);
    const double greatest = series.Greatest().value_or(kLengthRatioLine);
    double low = std::min(90.0, std::floor((least - 5.0) / 10.0) * 10.0);
    double high = std::max(110.0, std::ceil((greatest + 5.0) / 10.0) * 10.0);
    low = std::max(low, 0.0);
    const double step = TickStep(high - low, 6);
    low = std::floor(low / step) * step;
    high = std::ceil(high / step) * step;
    const Frame f = FrameOf(box, pointSize, measure, QString::number(high) + QStringLiteral("%"));
    AddValueAxis(p, f, low, high, step, pointSize, measure, QStringLiteral("%"));
    const Edges& r = f.plot;
    const auto y = [&](double v) {
        return r.bottom -
               static_cast<int>(std::lround((v - low) / (high - low) * (r.bottom - r.top)));
    };
    const int bolts = std::max(series.Bolts(), 1);
    const auto x = [&](double bolt) { // bolt in 0..bolts, the middle of bolt i at i + 0.5
        return r.left + static_cast<int>(std::lround(bolt / bolts * (r.right - r.left)));
    };

    // The line, in dashes of a fifth of a text line.
    const int y95 = y(kLengthRatioLine);
    const int dash = std::max(2, f.line / 2);
    for (int x0 = r.left; x0 < r.right; x0 += 2 * dash)
        p.push_back(picture::Line(ChartRole::RatioLine, 0, {x0, y95},
                                  {std::min(x0 + dash, r.right), y95}, PenOf(2 * f.stroke)));
    const QString label = QStringLiteral("%1%").arg(kLengthRatioLine, 0, 'f', 0);
    AddText(p, ChartRole::RatioLineLabel, 0,
            {r.right - measure(label, pointSize).width() - f.line / 4, y95 - f.line - f.stroke},
            label, pointSize);

    const int mark = std::max(3, f.line / 4);
    bool any = false;
    for (const RatioSeries::Slot& s : series.Slots()) {
        if (!s.least)
            continue;
        any = true;
        const int cx = x(s.first + s.count / 2.0);
        if (*s.greatest - *s.least > 1e-9)
            p.push_back(picture::Line(ChartRole::Ratio, s.first, {cx, y(*s.greatest)},
                                      {cx, y(*s.least) + 1},
                                      PenOf(std::max(f.stroke, mark / 2), kRatio)));
        for (const double v : {*s.least, *s.greatest}) {
            p.push_back(picture::Shape(
                Item::Kind::FillRect, ChartRole::Ratio,
                {cx - mark / 2, y(v) - mark / 2, cx - mark / 2 + mark, y(v) - mark / 2 + mark},
                kRatio));
            p.back().tag = s.first;
            if (*s.greatest - *s.least <= 1e-9)
                break;
        }
    }
    // The bolt axis: its first and last bolt and a few between.
    const double boltStep = std::max(1.0, TickStep(bolts, 8));
    for (double b = 1.0; series.Bolts() > 0 && b <= bolts;
         b = (b == 1.0 && boltStep > 1.0) ? boltStep : b + boltStep) {
        const QString text = QString::number(static_cast<int>(b));
        AddText(p, ChartRole::BoltLabel, static_cast<int>(b),
                {x(b - 0.5) - measure(text, pointSize).width() / 2, r.bottom + f.line / 3}, text,
                pointSize);
    }
    const QString axis = QStringLiteral("锚杆（按汇总表顺序）");
    AddText(p, ChartRole::AxisTitle, 1,
            {r.right - measure(axis, pointSize).width(), r.bottom + f.line + f.line / 3}, axis,
            pointSize);
    if (!any)
        AddNoData(p, f, QStringLiteral("无实测长度"), pointSize, measure);
    return p;
}

} // namespace rovana::inspection
