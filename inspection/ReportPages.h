#pragma once

#include "Picture.h"
#include "ReportText.h"
#include "SheetInput.h"

#include <QStringList>

#include <vector>

namespace rovana::inspection {

// The report's own pages as pictures: the cover, the contents, the chapters flowed onto as
// many pages as they need, and the frame every page but the cover carries (the running
// head with the report number, "第 N 页 共 M 页" in the footer). A4 portrait in the result
// sheet's Song face; coordinates are device pixels, origin top left.

enum class ReportRole
{
    CoverTitle = 1000,
    CoverLabel, // tag: line
    CoverValue, // tag: line
    CoverRule,  // the line under a cover value; tag: line
    SignatureLabel,
    SignatureName,
    SignatureLine, // a blank line to sign or date on; tag: row * 2 + (0 signature, 1 date)
    ContentsTitle,
    ContentsEntry, // tag: entry
    ContentsPage,  // tag: entry
    ContentsLeader,
    ChapterTitle, // tag: chapter
    Paragraph,    // a line of a paragraph or of names
    FieldLabel,   // tag: the row
    FieldValue,   // tag: the row
    ChartCaption,
    RunningHead,  // the report's title, top left
    ReportNumber, // "报告编号：…", top right
    HeadRule,
    Footer, // "第 N 页 共 M 页"
};

// The page's measures, from its size and resolution.
struct PageGeometry
{
    sheet::SheetDevice device;
    picture::Edges body; // the text area: the result sheet's margins, a fifteenth each side
    double bodyPt = 11.0;
    double smallPt = 9.0;    // running head, footer, chart texts
    double headingPt = 14.0; // chapter titles, the cover's lines
    double titlePt = 26.0;   // the cover's title
    int line = 0;            // a body line's height
    int small = 0;           // a small line's height
};
PageGeometry GeometryOf(const sheet::SheetDevice& device, const sheet::MeasureText& measure);

// `text` broken into lines at most `width` pixels wide: between any two characters but
// inside a run of Latin letters and digits, never before closing punctuation nor after
// opening punctuation; "\n" ends a line. A character wider than the line stands alone on it.
QStringList WrapText(const QString& text, int width, double pointSize,
                     const sheet::MeasureText& measure);

picture::Picture CoverPage(const ReportSettings& settings, const PageGeometry& g,
                           const sheet::MeasureText& measure);

// A line of the contents: a title and the page (from 1) it begins on; 0 for a part without
// pages, shown as "—".
struct ContentsLine
{
    QString title;
    int page = 0;
    friend bool operator==(const ContentsLine&, const ContentsLine&) = default;
};
picture::Picture ContentsPage(const std::vector<ContentsLine>& lines, const PageGeometry& g,
                              const sheet::MeasureText& measure);

// The chapters flowed onto pages; `spans` gets each chapter's first and last page, counted
// from 0 at the first of these pages.
std::vector<picture::Picture> ChapterPages(const std::vector<Chapter>& chapters,
                                           const ReportContent& content, const PageGeometry& g,
                                           const sheet::MeasureText& measure,
                                           std::vector<std::pair<int, int>>* spans = nullptr);

// The frame of page `page` of `pages` (from 1): added to any page but the cover, in the
// margins above and below the text area, so that a result sheet or a summary page keeps
// its face.
void AddFrame(picture::Picture& page, const PageGeometry& g, const sheet::MeasureText& measure,
              const ReportSettings& settings, int pageNumber, int pages);

} // namespace rovana::inspection
