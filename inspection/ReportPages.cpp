#include "ReportPages.h"

#include "PictureBuilders.h"
#include "ReportCharts.h"

#include <algorithm>

namespace rovana::inspection {

namespace {

using picture::Edges;
using picture::Picture;

picture::Font FontAt(double pointSize)
{
    return {picture::Face::SheetUnshaped, pointSize};
}

picture::Pen Stroke(const PageGeometry& g, QColor color = Qt::black)
{
    return {color, std::max(1, g.line / 24), picture::LineStyle::Solid, false};
}

void Put(Picture& p, ReportRole role, int tag, QPoint at, const QString& text, double pointSize)
{
    p.push_back(picture::Text(role, tag, at, text, FontAt(pointSize)));
}

bool IsWordCharacter(QChar c)
{
    return c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u'.' || c == u'_' || c == u'-');
}

bool IsOpening(QChar c)
{
    static const QString opening = QStringLiteral("（《「『【“‘(");
    return opening.contains(c);
}

bool IsClosing(QChar c)
{
    static const QString closing = QStringLiteral("，。、；：！？）》」』】”’,.;:!?)%");
    return closing.contains(c);
}

// The pages of the chapters, filled from the top.
class Flow
{
public:
    Flow(const PageGeometry& g, const sheet::MeasureText& measure) : m_g(g), m_measure(measure)
    {
        m_y = g.body.top;
    }

    // Room for `height` more pixels on this page, else a new one.
    void Need(int height)
    {
        if (m_y + height > m_g.body.bottom && m_y > m_g.body.top)
            Break();
    }
    void Break()
    {
        m_pages.push_back(std::move(m_page));
        m_page.clear();
        m_y = m_g.body.top;
    }
    void Skip(int height)
    {
        if (m_y > m_g.body.top)
            m_y += height;
    }
    int Page() const { return static_cast<int>(m_pages.size()); }
    int& Y() { return m_y; }
    Picture& Current() { return m_page; }
    std::vector<Picture> Finish()
    {
        if (!m_page.empty())
            m_pages.push_back(std::move(m_page));
        return std::move(m_pages);
    }

    // Lines of text from `x`, each on the page that has room for it.
    void Lines(const QStringList& lines, int x, ReportRole role, int tag, int lineHeight)
    {
        for (const QString& text : lines) {
            Need(lineHeight);
            Put(m_page, role, tag, {x, m_y}, text, m_g.bodyPt);
            m_y += lineHeight;
        }
    }

private:
    const PageGeometry& m_g;
    const sheet::MeasureText& m_measure;
    std::vector<Picture> m_pages;
    Picture m_page;
    int m_y = 0;
};

void FlowBlock(Flow& flow, const Block& block, const ReportContent& content, const PageGeometry& g,
               const sheet::MeasureText& measure)
{
    const int width = g.body.right - g.body.left;
    const int lineHeight = (3 * g.line) / 2;
    switch (block.kind) {
    case Block::Kind::Paragraph:
        flow.Lines(WrapText(QStringLiteral("　　") + block.text, width, g.bodyPt, measure),
                   g.body.left, ReportRole::Paragraph, 0, lineHeight);
        flow.Y() += g.line / 2;
        return;
    case Block::Kind::Names:
        flow.Need(2 * lineHeight);
        flow.Lines({block.text}, g.body.left, ReportRole::Paragraph, 0, lineHeight);
        flow.Lines(WrapText(block.fields.front().second, width, g.bodyPt, measure), g.body.left,
                   ReportRole::Paragraph, 0, lineHeight);
        flow.Y() += g.line / 2;
        return;
    case Block::Kind::Fields: {
        int labels = 0;
        for (const auto& [label, value] : block.fields)
            labels = std::max(labels, measure(label + QStringLiteral("："), g.bodyPt).width());
        const int valueX = g.body.left + 2 * g.line + labels;
        for (std::size_t row = 0; row < block.fields.size(); ++row) {
            const auto& [label, value] = block.fields[row];
            const QStringList lines = WrapText(value, g.body.right - valueX, g.bodyPt, measure);
            flow.Need(lineHeight);
            Put(flow.Current(), ReportRole::FieldLabel, static_cast<int>(row),
                {g.body.left + 2 * g.line, flow.Y()}, label + QStringLiteral("："), g.bodyPt);
            flow.Lines(lines, valueX, ReportRole::FieldValue, static_cast<int>(row), lineHeight);
        }
        flow.Y() += g.line / 2;
        return;
    }
    case Block::Kind::Chart: {
        const int height = (g.body.bottom - g.body.top) * 3 / 10;
        flow.Need(height + 2 * lineHeight);
        flow.Y() += g.line / 2;
        const Edges box{g.body.left + 2 * g.line, flow.Y(), g.body.right - 2 * g.line,
                        flow.Y() + height};
        const Picture chart =
            block.chart == Chart::ClassCounts
                ? ClassCountChart(content.summary.statistics, box, g.smallPt, measure)
                : LengthRatioChart(content.ratios, box, g.smallPt, measure);
        flow.Current().insert(flow.Current().end(), chart.begin(), chart.end());
        flow.Y() += height + g.line / 2;
        const int captionWidth = measure(block.caption, g.bodyPt).width();
        Put(flow.Current(), ReportRole::ChartCaption, 0,
            {(g.body.left + g.body.right - captionWidth) / 2, flow.Y()}, block.caption, g.bodyPt);
        flow.Y() += 2 * lineHeight;
        return;
    }
    }
}

} // namespace

PageGeometry GeometryOf(const sheet::SheetDevice& device, const sheet::MeasureText& measure)
{
    PageGeometry g;
    g.device = device;
    const int W = device.width, H = device.height;
    g.body = {W / 15, H / 15, W - W / 15, H - H / 15};
    g.bodyPt = sheet::BodyPointSize(device.dpiY);
    g.line = std::max(1, measure(QString(), g.bodyPt).height());
    g.small = std::max(1, measure(QString(), g.smallPt).height());
    return g;
}

QStringList WrapText(const QString& text, int width, double pointSize,
                     const sheet::MeasureText& measure)
{
    QStringList lines;
    for (QString rest : text.split(QLatin1Char('\n'))) {
        while (measure(rest, pointSize).width() > width) {
            qsizetype lo = 1, hi = rest.size(); // left(lo) fits or is one character
            while (hi - lo > 1) {
                const qsizetype mid = (lo + hi) / 2;
                (measure(rest.left(mid), pointSize).width() <= width ? lo : hi) = mid;
            }
            qsizetype k = lo;
            if (k < rest.size() && rest[k].isLowSurrogate())
                k = k > 1 ? k - 1 : k + 1;
            if (k < rest.size() && IsWordCharacter(rest[k - 1]) && IsWordCharacter(rest[k])) {
                qsizetype j = k - 1;
                while (j > 0 && IsWordCharacter(rest[j - 1]) && IsWordCharacter(rest[j]))
                    --j;
                if (j > 0)
                    k = j;
            }
            while (k > 1 && k < rest.size() && IsClosing(rest[k]) && !IsClosing(rest[k - 1]))
                --k;
            while (k > 1 && IsOpening(rest[k - 1]))
                --k;
            lines << rest.left(k);
            rest = rest.mid(k);
            while (rest.startsWith(QLatin1Char(' ')))
                rest.remove(0, 1);
        }
        lines << rest;
    }
    return lines;
}

Picture CoverPage(const ReportSettings& settings, const PageGeometry& g,
                  const sheet::MeasureText& measure)
{
    Picture p;
    const int W = g.device.width, H = g.device.height;
    const int titleWidth = measure(kInspectionReportTitle, g.titlePt).width();
    Put(p, ReportRole::CoverTitle, 0, {(W - titleWidth) / 2, H * 2 / 10}, kInspectionReportTitle,
        g.titlePt);

    const int big = measure(QString(), g.headingPt).height();
    const std::vector<std::pair<QString, QString>> fields = CoverFields(settings);
    int labels = 0;
    for (const auto& [label, value] : fields)
        labels = std::max(labels, measure(label + QStringLiteral("："), g.headingPt).width());
    const int left = W / 5, right = W - W / 5;
    int y = H * 4 / 10;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int tag = static_cast<int>(i);
        Put(p, ReportRole::CoverLabel, tag, {left, y}, fields[i].first + QStringLiteral("："),
            g.headingPt);
        const QStringList lines =
            WrapText(fields[i].second, right - left - labels, g.headingPt, measure);
        for (const QString& line : lines) {
            Put(p, ReportRole::CoverValue, tag, {left + labels, y}, line, g.headingPt);
            p.push_back(picture::Line(ReportRole::CoverRule, tag, {left + labels, y + big},
                                      {right, y + big}, Stroke(g)));
            y += (3 * big) / 2;
        }
        y += big / 2;
    }

    // The signature block: each role, its name, and blank lines to sign and date on.
    y = std::max(y + 2 * big, H * 7 / 10);
    const std::vector<std::pair<QString, QString>> signatures = Signatures(settings);
    const int nameX = left + measure(QStringLiteral("批准："), g.headingPt).width();
    const int signX = left + (right - left) * 45 / 100;
    const int dateX = left + (right - left) * 75 / 100;
    const QString sign = QStringLiteral("签字："), date = QStringLiteral("日期：");
    for (std::size_t i = 0; i < signatures.size(); ++i) {
        const int tag = static_cast<int>(i);
        Put(p, ReportRole::SignatureLabel, tag, {left, y},
            signatures[i].first + QStringLiteral("："), g.headingPt);
        Put(p, ReportRole::SignatureName, tag, {nameX, y}, signatures[i].second, g.headingPt);
        Put(p, ReportRole::SignatureLabel, tag, {signX, y}, sign, g.headingPt);
        const int signEnd = signX + measure(sign, g.headingPt).width();
        p.push_back(picture::Line(ReportRole::SignatureLine, 2 * tag, {signEnd, y + big},
                                  {dateX - big, y + big}, Stroke(g)));
        Put(p, ReportRole::SignatureLabel, tag, {dateX, y}, date, g.headingPt);
        p.push_back(picture::Line(ReportRole::SignatureLine, 2 * tag + 1,
                                  {dateX + measure(date, g.headingPt).width(), y + big},
                                  {right, y + big}, Stroke(g)));
        y += 2 * big;
    }
    return p;
}

Picture ContentsPage(const std::vector<ContentsLine>& lines, const PageGeometry& g,
                     const sheet::MeasureText& measure)
{
    Picture p;
    const int titleWidth = measure(kContentsTitle, g.headingPt).width();
    Put(p, ReportRole::ContentsTitle, 0,
        {(g.body.left + g.body.right - titleWidth) / 2, g.body.top}, kContentsTitle, g.headingPt);
    int y = g.body.top + 3 * measure(QString(), g.headingPt).height();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int tag = static_cast<int>(i);
        const QString page =
            lines[i].page > 0 ? QString::number(lines[i].page) : QStringLiteral("—");
        const int pageWidth = measure(page, g.bodyPt).width();
        const int titleEnd = g.body.left + measure(lines[i].title, g.bodyPt).width();
        Put(p, ReportRole::ContentsEntry, tag, {g.body.left, y}, lines[i].title, g.bodyPt);
        Put(p, ReportRole::ContentsPage, tag, {g.body.right - pageWidth, y}, page, g.bodyPt);
        picture::Pen dots = Stroke(g);
        dots.style = picture::LineStyle::Dot;
        dots.width = 1;
        p.push_back(picture::Line(
            ReportRole::ContentsLeader, tag, {titleEnd + g.line / 2, y + (3 * g.line) / 4},
            {g.body.right - pageWidth - g.line / 2, y + (3 * g.line) / 4}, dots));
        y += 2 * g.line;
    }
    return p;
}

std::vector<Picture> ChapterPages(const std::vector<Chapter>& chapters,
                                  const ReportContent& content, const PageGeometry& g,
                                  const sheet::MeasureText& measure,
                                  std::vector<std::pair<int, int>>* spans)
{
    Flow flow(g, measure);
    const int heading = measure(QString(), g.headingPt).height();
    for (std::size_t c = 0; c < chapters.size(); ++c) {
        flow.Skip(g.line);
        flow.Need(heading + 4 * g.line); // a title never stands alone at a page's foot
        const int first = flow.Page();
        Put(flow.Current(), ReportRole::ChapterTitle, static_cast<int>(c), {g.body.left, flow.Y()},
            chapters[c].title, g.headingPt);
        flow.Y() += heading + g.line;
        for (const Block& block : chapters[c].blocks)
            FlowBlock(flow, block, content, g, measure);
        if (spans)
            spans->push_back({first, flow.Page()});
    }
    return flow.Finish();
}

void AddFrame(Picture& page, const PageGeometry& g, const sheet::MeasureText& measure,
              const ReportSettings& settings, int pageNumber, int pages)
{
    const int headY = g.body.top - 2 * g.small - g.small / 2;
    Put(page, ReportRole::RunningHead, 0, {g.body.left, headY}, kInspectionReportTitle, g.smallPt);
    const QString number = ReportNumberText(settings);
    Put(page, ReportRole::ReportNumber, 0,
        {g.body.right - measure(number, g.smallPt).width(), headY}, number, g.smallPt);
    const int ruleY = g.body.top - g.small;
    page.push_back(picture::Line(ReportRole::HeadRule, 0, {g.body.left, ruleY},
                                 {g.body.right, ruleY}, Stroke(g)));
    const QString footer = PageFooter(pageNumber, pages);
    Put(page, ReportRole::Footer, 0,
        {(g.body.left + g.body.right - measure(footer, g.smallPt).width()) / 2,
         g.body.bottom + g.small},
        footer, g.smallPt);
}

} // namespace rovana::inspection
