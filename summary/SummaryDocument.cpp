#include "SummaryDocument.h"

#include "SheetPainter.h"
#include "SummaryPainter.h"

namespace rovana::summary {

SummaryDocument::SummaryDocument(const SummaryContent& content) : m_Content(content) {}

SummaryDocument::SummaryDocument(const SiteSummary& summary)
    : m_pOwnRows(std::make_unique<RowSpan>(summary.rows)), m_Content{*m_pOwnRows,
                                                                     summary.statistics,
                                                                     summary.header}
{}

SummaryDocument::~SummaryDocument() = default;

int SummaryDocument::Layout(const QPaintDevice& device)
{
    m_pPager.reset();
    m_Measure = SummaryMeasure(device);
    m_pPager = std::make_unique<SummaryPager>(m_Content, sheet::DeviceOf(device), m_Measure);
    return m_pPager->PageCount();
}

document::Page SummaryDocument::PageAt(int index)
{
    return {m_pPager->Page(index).items, {}, {}};
}

QFont SummaryDocument::FontOf(const picture::Font& font) const
{
    return sheet::PageFont(font);
}

QString SummaryDocument::Failure() const
{
    if (!m_pPager || !m_pPager->ReadFailed())
        return {};
    return m_Content.rows.ErrorString().isEmpty() ? QStringLiteral("无法生成 PDF")
                                                  : m_Content.rows.ErrorString();
}

} // namespace rovana::summary
