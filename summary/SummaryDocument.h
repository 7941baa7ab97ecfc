#pragma once

#include "Document.h"
#include "SheetInput.h"
#include "SummaryLayout.h"

#include <memory>

namespace rovana::summary {

// The printed summary as a document: the pages of SummaryPager, laid out for the device
// they go on, each made when it is asked for. `content` (or `summary`) must outlive the
// document. Failure() says why the rows could not be read back.
class SummaryDocument final : public document::Document
{
public:
    explicit SummaryDocument(const SummaryContent& content);
    explicit SummaryDocument(const SiteSummary& summary);
    ~SummaryDocument() override;

    int Layout(const QPaintDevice& device) override;
    document::Page PageAt(int index) override;
    QFont FontOf(const picture::Font& font) const override;
    QString Failure() const override;

private:
    std::unique_ptr<RowSpan> m_pOwnRows; // a summary's rows in memory
    SummaryContent m_Content;
    sheet::MeasureText m_Measure;
    std::unique_ptr<SummaryPager> m_pPager;
};

} // namespace rovana::summary
