#pragma once

#include "DocumentPainter.h"
#include "ReportContent.h"

#include <QString>

#include <memory>

class QIODevice;
class QTextDocument;

namespace rovana::inspection {

// The report as an editable OpenDocument text, made with Qt's own QTextDocumentWriter, so
// that word processors open it: the same chapters as text, the settings and statistics as
// tables, 附录 A as a table, the charts and 附录 B's result sheets as pictures (the sheet's
// page drawn at kSheetDpi). It has no running head or page numbers: the word processor
// breaks the pages.
class ReportOdt
{
public:
    static constexpr int kSheetDpi = 200;

    explicit ReportOdt(const ReportContent& content);
    ~ReportOdt();

    // Steps Build reports: one per result sheet.
    int Steps() const;
    // Makes the text document; false when `progress` said stop or the summary's rows could
    // not be read back (`why` then says why).
    bool Build(const document::PageProgress& progress = {}, QString* why = nullptr);
    // Writes the document built onto `out` as OpenDocument text; false when it could not.
    bool Write(QIODevice& out);

    const QTextDocument& Text() const { return *m_pText; }

private:
    const ReportContent& m_Content;
    std::unique_ptr<QTextDocument> m_pText;
};

} // namespace rovana::inspection
