#include "SummaryLayout.h"

#include "PictureBuilders.h"
#include "SheetItems.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace rovana::summary {

namespace {

constexpr int kStatisticsRowsPerColumn = 9;

int Mm(int dpi, double mm)
{
    return static_cast<int>(std::lround(mm * dpi / 25.4));
}

// One row's cell texts, made when they are measured or laid out and not kept: a site of
// 100,000 bolts holds 1.5 million of them.
std::array<QString, kColumnCount> RowTexts(const SummaryRow& row)
{
    std::array<QString, kColumnCount> texts;
    for (int k = 0; k < kColumnCount; ++k)
        texts[static_cast<std::size_t>(k)] = CellOf(row, static_cast<Column>(k)).text;
    return texts;
}

// False in `read` when the rows could not be read back.
std::array<int, kColumnCount> WidthsOf(const SummaryRows& rows, int tableWidth, int padding,
                                       const sheet::MeasureText& measure, bool& read)
{
    const double pt = kSummaryTablePointSize;
    std::array<int, kColumnCount> natural{};
    std::array<int, kColumnCount> least{}; // the header's width: a column never gets narrower
    for (int k = 0; k < kColumnCount; ++k) {
        int header = 0;
        for (const QString& line : HeaderLines(static_cast<Column>(k)))
            header = std::max(header, measure(line, pt).width());
        least[static_cast<std::size_t>(k)] = header + 2 * padding;
        natural[static_cast<std::size_t>(k)] = header + 2 * padding;
    }
    read = rows.VisitAll([&](const SummaryRow& row) {
        const std::array<QString, kColumnCount> texts = RowTexts(row);
        for (std::size_t k = 0; k < texts.size(); ++k)
            if (!texts[k].isEmpty())
                natural[k] = std::max(natural[k], measure(texts[k], pt).width() + 2 * padding);
    });

    std::array<double, kColumnCount> w{};
    std::copy(natural.begin(), natural.end(), w.begin());
    const double sum = std::accumulate(w.begin(), w.end(), 0.0);
    if (sum <= tableWidth) {
        for (double& x : w)
            x += (tableWidth - sum) * x / sum;
    } else {
        // The free texts give way first, down to their header (复核 holds the reason of a
        // header out of range, which the window and the files show whole).
        double deficit = sum - tableWidth;
        const std::array<std::size_t, 3> yielding = {static_cast<std::size_t>(Column::BoltNo),
                                                     static_cast<std::size_t>(Column::Review),
                                                     static_cast<std::size_t>(Column::File)};
        double room = 0.0;
        for (std::size_t k : yielding)
            room += w[k] - least[k];
        if (room > 0.0) {
            const double take = std::min(deficit, room);
            for (std::size_t k : yielding)
                w[k] -= take * (w[k] - least[k]) / room;
            deficit -= take;
        }
        if (deficit > 0.0) {
            const double now = std::accumulate(w.begin(), w.end(), 0.0);
            for (double& x : w)
                x *= tableWidth / now;
        }
    }
    // Whole pixels; the last column takes what rounding left over.
    std::array<int, kColumnCount> widths{};
    int used = 0;
    for (int k = 0; k + 1 < kColumnCount; ++k) {
        widths[static_cast<std::size_t>(k)] = static_cast<int>(w[static_cast<std::size_t>(k)]);
        used += widths[static_cast<std::size_t>(k)];
    }
    widths[kColumnCount - 1] = tableWidth - used;
    return widths;
}

PageItem Text(PageRole role, QPoint at, const QString& text, double pointSize, int row = -1,
              int column = -1, int tag = 0)
{
    PageItem item = picture::Text(role, tag, at, text, {picture::Face::SheetUnshaped, pointSize});
    item.row = row;
    item.column = column;
    return item;
}

PageItem Line(QPoint from, QPoint to, int tag)
{
    return picture::Line(PageRole::GridLine, tag, from, to, sheet::SheetPen());
}

// Everything about the page that does not depend on the rows on it.
struct Geometry
{
    int left = 0, right = 0, top = 0, bottom = 0;
    int pad = 0;
    double bodyPt = 0.0;
    int bodyH = 0, tableH = 0;
    int infoY = 0;
    int tableTop = 0;
    int headerH = 0;
    int rowH = 0;
    int footerY = 0;
    int tableLimit = 0; // rows and statistics end above this
    int statsLineH = 0;
    int statsH = 0;
    std::array<int, kColumnCount + 1> xs{}; // column edges
};

Geometry GeometryOf(const sheet::SheetDevice& device, const sheet::MeasureText& measure)
{
    Geometry g;
    const int W = device.width, H = device.height, dpi = std::max(device.dpiY, 1);
    // The result sheet's margins: a fifteenth of each dimension.
    g.left = W / 15;
    g.right = W - W / 15;
    g.top = H / 15;
    g.bottom = H - H / 15;
    g.pad = Mm(dpi, 0.6);
    g.bodyPt = sheet::BodyPointSize(device.dpiY);
    const int titleH = measure(QString(), kSummaryTitlePointSize).height();
    g.bodyH = measure(QString(), g.bodyPt).height();
    g.tableH = measure(QString(), kSummaryTablePointSize).height();
    g.infoY = static_cast<int>(1.2 * titleH + g.top);
    g.tableTop = g.infoY + (16 * g.bodyH) / 10;
    g.headerH = 2 * g.tableH + 2 * g.pad;
    g.rowH = (3 * g.tableH) / 2;
    g.footerY = g.bottom - g.bodyH;
    g.tableLimit = g.footerY - g.bodyH / 2;
    g.statsLineH = (14 * g.bodyH) / 10;
    g.statsH = (16 * g.bodyH) / 10 + kStatisticsRowsPerColumn * g.statsLineH;
    return g;
}

void AddFrame(const Geometry& g, const sheet::SheetDevice& device, const SummaryHeader& header,
              const sheet::MeasureText& measure, int page, int pages, SummaryPage& out)
{
    const int titleW = measure(kSummaryTitle, kSummaryTitlePointSize).width();
    out.items.push_back(Text(PageRole::Title, {(g.left + g.right - titleW) / 2, g.top},
                             kSummaryTitle, kSummaryTitlePointSize));
    const int half = (g.right - g.left) / 2;
    const int room = half - Mm(std::max(device.dpiY, 1), 4.0);
    out.items.push_back(
        Text(PageRole::HeaderInfo, {g.left, g.infoY},
             Elided(QStringLiteral("工程名称：") + header.projectName, room, g.bodyPt, measure),
             g.bodyPt, -1, -1, 0));
    out.items.push_back(
        Text(PageRole::HeaderInfo, {g.left + half, g.infoY},
             Elided(QStringLiteral("检测单位：") + header.testUnit, room, g.bodyPt, measure),
             g.bodyPt, -1, -1, 1));
    const QString footer = QStringLiteral("第 %1 页 共 %2 页").arg(page).arg(pages);
    const int footerW = measure(footer, g.bodyPt).width();
    out.items.push_back(
        Text(PageRole::Footer, {(g.left + g.right - footerW) / 2, g.footerY}, footer, g.bodyPt));
}

// The header row and rows [first, first + count) from y = g.tableTop; returns the bottom.
// False in `read` when the rows could not be read back.
int AddTable(const Geometry& g, const SummaryRows& rows, int first, int count,
             const sheet::MeasureText& measure, SummaryPage& out, bool& read)
{
    const double pt = kSummaryTablePointSize;
    const int bottom = g.tableTop + g.headerH + count * g.rowH;
    out.items.push_back(Line({g.left, g.tableTop}, {g.right, g.tableTop}, 0));
    for (int k = 0; k < kColumnCount; ++k) {
        const QStringList lines = HeaderLines(static_cast<Column>(k));
        const int x0 = g.xs[static_cast<std::size_t>(k)];
        const int w = g.xs[static_cast<std::size_t>(k) + 1] - x0;
        // One line stands in the middle of the header row, two fill it.
        int y = g.tableTop + g.pad + (lines.size() == 1 ? g.tableH / 2 : 0);
        for (int i = 0; i < lines.size(); ++i) {
            const QString text = Elided(lines[i], w - 2 * g.pad, pt, measure);
            const int tw = measure(text, pt).width();
            out.items.push_back(
                Text(PageRole::ColumnHeader, {x0 + (w - tw) / 2, y}, text, pt, -1, k, i));
            y += g.tableH;
        }
    }
    out.items.push_back(
        Line({g.left, g.tableTop + g.headerH}, {g.right, g.tableTop + g.headerH}, 0));
    int i = 0;
    read = rows.Visit(first, count, [&](const SummaryRow& row) {
        const int r = first + i;
        const int rowTop = g.tableTop + g.headerH + i * g.rowH;
        const int y = rowTop + (g.rowH - g.tableH) / 2;
        const std::array<QString, kColumnCount> texts = RowTexts(row);
        for (int k = 0; k < kColumnCount; ++k) {
            const QString& full = texts[static_cast<std::size_t>(k)];
            if (full.isEmpty())
                continue;
            const int x0 = g.xs[static_cast<std::size_t>(k)];
            const int w = g.xs[static_cast<std::size_t>(k) + 1] - x0;
            const QString text = Elided(full, w - 2 * g.pad, pt, measure);
            const int x = IsNumberColumn(static_cast<Column>(k))
                              ? x0 + w - g.pad - measure(text, pt).width()
                              : x0 + g.pad;
            out.items.push_back(Text(PageRole::Cell, {x, y}, text, pt, r, k));
        }
        out.items.push_back(Line({g.left, rowTop + g.rowH}, {g.right, rowTop + g.rowH}, 0));
        ++i;
    });
    for (int x : g.xs)
        out.items.push_back(Line({x, g.tableTop}, {x, bottom}, 1));
    out.firstRow = first;
    out.rowCount = count;
    out.hasTable = true;
    return bottom;
}

void AddStatistics(const Geometry& g, const SummaryStatistics& statistics, int top,
                   const sheet::MeasureText& measure, SummaryPage& out)
{
    out.items.push_back(
        Text(PageRole::StatisticsHeading, {g.left, top}, QStringLiteral("统计"), g.bodyPt));
    const std::vector<StatisticsLine> lines = StatisticsLines(statistics);
    const int half = (g.right - g.left) / 2;
    const int firstY = top + (16 * g.bodyH) / 10;
    for (int column = 0; column * kStatisticsRowsPerColumn < static_cast<int>(lines.size());
         ++column) {
        const int begin = column * kStatisticsRowsPerColumn;
        const int end =
            std::min<int>(begin + kStatisticsRowsPerColumn, static_cast<int>(lines.size()));
        int labelW = 0;
        for (int i = begin; i < end; ++i)
            labelW = std::max(labelW,
                              measure(lines[static_cast<std::size_t>(i)].label, g.bodyPt).width());
        const int x = g.left + column * half;
        const int valueX = x + labelW + 2 * g.bodyH;
        for (int i = begin; i < end; ++i) {
            const StatisticsLine& line = lines[static_cast<std::size_t>(i)];
            const int y = firstY + (i - begin) * g.statsLineH;
            out.items.push_back(
                Text(PageRole::StatisticsLabel, {x, y}, line.label, g.bodyPt, -1, -1, i));
            QString value = line.ValueText();
            if (line.hasShare)
                value += QStringLiteral("（%1）").arg(line.ShareText());
            out.items.push_back(
                Text(PageRole::StatisticsValue, {valueX, y}, value, g.bodyPt, -1, -1, i));
        }
    }
    out.hasStatistics = true;
}

} // namespace

QStringList HeaderLines(Column column)
{
    const QString& header = ColumnHeaders()[static_cast<std::size_t>(column)];
    if (const qsizetype open = header.indexOf(QLatin1Char('(')); open > 0)
        return {header.left(open), header.mid(open)};
    if (header.endsWith(QStringLiteral("等级")) && header.size() > 3)
        return {header.chopped(2), QStringLiteral("等级")};
    return {header};
}

QString Elided(const QString& text, int width, double pointSize, const sheet::MeasureText& measure)
{
    if (measure(text, pointSize).width() <= width)
        return text;
    const QString ellipsis = QStringLiteral("…");
    qsizetype lo = 0, hi = text.size(); // text.left(lo) + "…" fits; text.left(hi) + "…" may not
    while (hi - lo > 1) {
        const qsizetype mid = (lo + hi) / 2;
        if (measure(text.left(mid) + ellipsis, pointSize).width() <= width)
            lo = mid;
        else
            hi = mid;
    }
    if (lo > 0 && text[lo - 1].isHighSurrogate())
        --lo;
    return text.left(lo) + ellipsis;
}

std::array<int, kColumnCount> ColumnWidths(const SiteSummary& summary, int tableWidth, int padding,
                                           const sheet::MeasureText& measure)
{
    bool read = true;
    return WidthsOf(RowSpan(summary.rows), tableWidth, padding, measure, read);
}

struct SummaryPager::Plan
{
    Geometry g;
    int rows = 0;
    int perPage = 1;
    int tablePages = 1;
    bool statisticsBelow = false;
    int pages = 1;
};

SummaryPager::SummaryPager(const SiteSummary& summary, const sheet::SheetDevice& device,
                           const sheet::MeasureText& measure)
    : m_pOwnRows(std::make_unique<RowSpan>(summary.rows)), m_Content{*m_pOwnRows,
                                                                     summary.statistics,
                                                                     summary.header},
      m_Device(device), m_Measure(measure), m_Plan(std::make_unique<Plan>())
{
    MakePlan();
}

SummaryPager::SummaryPager(const SummaryContent& content, const sheet::SheetDevice& device,
                           const sheet::MeasureText& measure)
    : m_Content(content), m_Device(device), m_Measure(measure), m_Plan(std::make_unique<Plan>())
{
    MakePlan();
}

void SummaryPager::MakePlan()
{
    Plan& p = *m_Plan;
    Geometry& g = p.g;
    g = GeometryOf(m_Device, m_Measure);
    bool read = true;
    const std::array<int, kColumnCount> widths =
        WidthsOf(m_Content.rows, g.right - g.left, g.pad, m_Measure, read);
    m_bReadFailed = !read;
    g.xs[0] = g.left;
    for (int k = 0; k < kColumnCount; ++k)
        g.xs[static_cast<std::size_t>(k) + 1] =
            g.xs[static_cast<std::size_t>(k)] + widths[static_cast<std::size_t>(k)];

    p.rows = m_Content.rows.Count();
    p.perPage = std::max(1, (g.tableLimit - g.tableTop - g.headerH) / std::max(g.rowH, 1));
    p.tablePages = std::max(1, (p.rows + p.perPage - 1) / p.perPage);
    const int lastRows = p.rows - (p.tablePages - 1) * p.perPage;
    const int lastBottom = g.tableTop + g.headerH + lastRows * g.rowH;
    p.statisticsBelow = lastBottom + g.bodyH + g.statsH <= g.tableLimit;
    p.pages = p.tablePages + (p.statisticsBelow ? 0 : 1);
}

SummaryPager::~SummaryPager() = default;

int SummaryPager::PageCount() const
{
    return m_Plan->pages;
}

SummaryPage SummaryPager::Page(int index) const
{
    const Plan& p = *m_Plan;
    const Geometry& g = p.g;
    SummaryPage page;
    AddFrame(g, m_Device, m_Content.header, m_Measure, index + 1, p.pages, page);
    if (index < p.tablePages) {
        const int first = index * p.perPage;
        bool read = true;
        const int bottom = AddTable(g, m_Content.rows, first, std::min(p.perPage, p.rows - first),
                                    m_Measure, page, read);
        m_bReadFailed = m_bReadFailed || !read;
        if (index == p.tablePages - 1 && p.statisticsBelow)
            AddStatistics(g, m_Content.statistics, bottom + g.bodyH, m_Measure, page);
    } else {
        page.firstRow = p.rows;
        AddStatistics(g, m_Content.statistics, g.tableTop, m_Measure, page);
    }
    return page;
}

std::vector<SummaryPage> LayoutSummaryPages(const SiteSummary& summary,
                                            const sheet::SheetDevice& device,
                                            const sheet::MeasureText& measure)
{
    const SummaryPager pager(summary, device, measure);
    std::vector<SummaryPage> out;
    out.reserve(static_cast<std::size_t>(pager.PageCount()));
    for (int p = 0; p < pager.PageCount(); ++p)
        out.push_back(pager.Page(p));
    return out;
}

} // namespace rovana::summary
