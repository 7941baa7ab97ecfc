#include "ReportDocument.h"

#include "SheetPainter.h"
#include "SummaryPainter.h"

#include <QBuffer>
#include <QPdfWriter>

#include <algorithm>

namespace rovana::inspection {

ReportDocument::ReportDocument(const ReportContent& content)
    : m_Content(content), m_Summary(content.summary.Content()),
      m_Sheets(content.files, [&content](const QString&, sheet::SheetSettings& settings) {
          sheet::ApplySiteSettings(content.site, settings);
      })
{}

ReportDocument::~ReportDocument() = default;

int ReportDocument::Layout(const QPaintDevice& device)
{
    m_Measure = summary::SummaryMeasure(device);
    m_Geometry = GeometryOf(sheet::DeviceOf(device), m_Measure);
    const std::vector<Chapter> chapters = Chapters(m_Content);
    std::vector<std::pair<int, int>> spans;
    std::vector<picture::Picture> pages =
        ChapterPages(chapters, m_Content, m_Geometry, m_Measure, &spans);
    m_nSummaryPages = m_Summary.Layout(device);
    const int sheets = m_Sheets.Layout(device);

    // Cover 1, contents 2, the chapters from 3.
    constexpr int kFirstChapterPage = 3;
    const int chapterPages = static_cast<int>(pages.size());
    m_Parts.clear();
    m_Parts.push_back({QStringLiteral("封面"), 1, 1});
    m_Parts.push_back({kContentsTitle, 2, 2});
    for (std::size_t c = 0; c < chapters.size(); ++c)
        m_Parts.push_back({chapters[c].title, kFirstChapterPage + spans[c].first,
                           kFirstChapterPage + spans[c].second});
    const int summaryFirst = kFirstChapterPage + chapterPages;
    m_Parts.push_back({kAppendixSummary, summaryFirst, summaryFirst + m_nSummaryPages - 1});
    const int sheetsFirst = summaryFirst + m_nSummaryPages;
    m_Parts.push_back({kAppendixSheets, sheetsFirst, sheetsFirst + sheets - 1});
    m_nPages = summaryFirst - 1 + m_nSummaryPages + sheets;

    std::vector<ContentsLine> contents;
    for (std::size_t i = 2; i < m_Parts.size(); ++i)
        contents.push_back(
            {m_Parts[i].title, m_Parts[i].last >= m_Parts[i].first ? m_Parts[i].first : 0});
    m_Front.clear();
    m_Front.push_back(CoverPage(m_Content.Settings(), m_Geometry, m_Measure));
    m_Front.push_back(ContentsPage(contents, m_Geometry, m_Measure));
    for (picture::Picture& page : pages)
        m_Front.push_back(std::move(page));
    return m_nPages;
}

document::Page ReportDocument::PageAt(int index)
{
    document::Page page;
    const int front = static_cast<int>(m_Front.size());
    if (index < front) {
        page.picture = m_Front[static_cast<std::size_t>(index)];
    } else if (index < front + m_nSummaryPages) {
        page = m_Summary.PageAt(index - front);
        // The report numbers the pages: the summary's own footer gives way.
        std::erase_if(page.picture, [](const picture::Item& item) {
            return item.role == summary::PageRole::Footer;
        });
    } else {
        page = m_Sheets.PageAt(index - front - m_nSummaryPages);
    }
    if (index > 0)
        AddFrame(page.picture, m_Geometry, m_Measure, m_Content.Settings(), index + 1, m_nPages);
    return page;
}

QFont ReportDocument::FontOf(const picture::Font& font) const
{
    return sheet::PageFont(font);
}

QString ReportDocument::Failure() const
{
    return m_Summary.Failure();
}

std::vector<ReportPart> LayOutReport(ReportDocument& document)
{
    QBuffer nowhere;
    nowhere.open(QIODevice::WriteOnly);
    QPdfWriter writer(&nowhere);
    const document::PageSetup setup;
    writer.setResolution(setup.resolution);
    writer.setPageLayout(setup.layout);
    document.Layout(writer);
    return document.Parts();
}

} // namespace rovana::inspection
