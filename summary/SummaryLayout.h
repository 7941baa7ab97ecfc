#pragma once

#include "Picture.h"
#include "SheetInput.h"
#include "SummaryRows.h"

#include <QPoint>
#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace rovana::summary {

// The printed summary as plain values: A4 portrait pages in the result sheet's Song face,
// each with the title, the project and testing organisation, the table's header row and
// as many rows as fit, "第 n 页 共 m 页" in the footer; the statistics after the last row
// (on a page of their own when they do not fit below it). Coordinates are device pixels
// of the page, origin top left, y downwards. SummaryPainter paints it.

enum class PageRole
{
    Title,
    HeaderInfo,   // tag 0: "工程名称：…", tag 1: "检测单位：…"
    ColumnHeader, // column; tag: line of the header (0, 1)
    Cell,         // row (0-based into the summary's rows) and column
    GridLine,     // horizontal (tag 0) or vertical (tag 1) line of the table
    StatisticsHeading,
    StatisticsLabel, // tag: index into StatisticsLines
    StatisticsValue, // tag: index into StatisticsLines
    Footer,
};

// An item of a page, in the picture vocabulary: its role is a PageRole; cells carry their
// row (0-based into the summary's rows) and column.
using PageItem = picture::Item;

struct SummaryPage
{
    std::vector<PageItem> items;
    int firstRow = 0;      // first table row on the page
    int rowCount = 0;      // table rows on the page
    bool hasTable = false; // the header row stands on the page
    bool hasStatistics = false;
};

// Font sizes in points.
inline constexpr double kSummaryTitlePointSize = 20.0; // as the sheet's title
inline constexpr double kSummaryTablePointSize = 7.0;

// The column widths in pixels, which add up to `tableWidth`: each column as wide as its
// widest text and header line plus padding, the rest of the width shared out in
// proportion; when the texts are too wide, the bolt number and file columns give way
// first (down to their header), then all columns alike. Texts that still do not fit are
// cut with "…" when laid out.
std::array<int, kColumnCount> ColumnWidths(const SiteSummary& summary, int tableWidth, int padding,
                                           const sheet::MeasureText& measure);

// `text` cut at the end and closed with "…" so that it is at most `width` pixels wide.
QString Elided(const QString& text, int width, double pointSize, const sheet::MeasureText& measure);

// The header lines of a column on paper: the unit goes to a second line.
QStringList HeaderLines(Column column);

// The pages one at a time: the column widths and the page count are fixed at the start
// (one walk over the rows), each page is laid out when asked for (its rows read again).
// Printing a site of 100,000 bolts this way never holds more than one page. `summary` (or
// the content's rows, statistics and header) and `measure` must outlive the pager.
class SummaryPager
{
public:
    SummaryPager(const SiteSummary& summary, const sheet::SheetDevice& device,
                 const sheet::MeasureText& measure);
    SummaryPager(const SummaryContent& content, const sheet::SheetDevice& device,
                 const sheet::MeasureText& measure);
    ~SummaryPager();
    SummaryPager(const SummaryPager&) = delete;
    SummaryPager& operator=(const SummaryPager&) = delete;

    int PageCount() const;
    SummaryPage Page(int index) const; // 0-based
    // Whether rows could not be read back so far (the pages then miss them).
    bool ReadFailed() const { return m_bReadFailed; }

private:
    struct Plan;
    void MakePlan();

    std::unique_ptr<RowSpan> m_pOwnRows; // a summary's rows in memory
    SummaryContent m_Content;
    sheet::SheetDevice m_Device;
    const sheet::MeasureText& m_Measure;
    std::unique_ptr<Plan> m_Plan;
    mutable bool m_bReadFailed = false;
};

// Every page of the pager.
std::vector<SummaryPage> LayoutSummaryPages(const SiteSummary& summary,
                                            const sheet::SheetDevice& device,
                                            const sheet::MeasureText& measure);

} // namespace rovana::summary
