#pragma once

#include "Document.h"
#include "ReportPages.h"
#include "SheetDocument.h"
#include "SummaryDocument.h"

#include <memory>

namespace rovana::inspection {

// A part of the report and the pages (from 1) it takes.
struct ReportPart
{
    QString title;
    int first = 0; // its first page, from 1
    int last = 0;  // its last page; below first for a part without pages (no bolts)
    friend bool operator==(const ReportPart&, const ReportPart&) = default;
};

// The inspection report as a document, in this order: the cover, the contents, the
// chapters (工程概况 to 结论), 附录 A (the summary's pages as the summary prints them) and
// 附录 B (each file's result sheet, the page `rovana-cli sheet` prints, with the folder's
// settings). Every page but the cover carries the frame (AddFrame); the summary's own page
// footer gives way to it. `content` must outlive the document.
class ReportDocument final : public document::Document
{
public:
    explicit ReportDocument(const ReportContent& content);
    ~ReportDocument() override;

    int Layout(const QPaintDevice& device) override;
    document::Page PageAt(int index) override;
    QFont FontOf(const picture::Font& font) const override;
    QString Failure() const override;

    // After Layout: the parts with their pages, and the count of all pages.
    const std::vector<ReportPart>& Parts() const { return m_Parts; }
    int PageCount() const { return m_nPages; }

private:
    const ReportContent& m_Content;
    sheet::MeasureText m_Measure;
    PageGeometry m_Geometry;
    std::vector<picture::Picture> m_Front; // cover, contents, chapters
    summary::SummaryDocument m_Summary;
    sheet::SheetDocument m_Sheets;
    int m_nSummaryPages = 0;
    int m_nPages = 0;
    std::vector<ReportPart> m_Parts;
};

// The report laid out for a PDF page (A4 portrait, 600 dpi) without writing one: for the
// page list of `rovana-cli report`.
std::vector<ReportPart> LayOutReport(ReportDocument& document);

} // namespace rovana::inspection
