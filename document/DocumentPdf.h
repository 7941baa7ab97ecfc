#pragma once

#include "DocumentPainter.h"
#include "SafeFileWriter.h"

#include <QStringList>

#include <memory>

class QIODevice;

namespace rovana::document {

// How writing a document into a PDF file ended: the one result of every PDF the programs
// write (result sheets, summary, inspection report).
struct DocumentResult
{
    bool written = false;   // true only once the whole PDF is in place and synced
    bool cancelled = false; // the progress said stop: nothing was written
    WriteResult write;      // why it was not written (WriteResult::message() for the user)
    int pages = 0;
    QStringList unreadable; // files whose pages say they could not be read, in page order
    QStringList messages;   // for each of them, why
};

// The document's pages into a PDF on `out` as they are painted (a document of any length
// in the memory of one page). A failed write of `out` shows on `out`; the result's failure
// says why the document itself could not be painted.
PaintResult WritePdf(QIODevice& out, Document& document, const PageSetup& setup = {},
                     const PageProgress& progress = {});

// A PDF file written through the safe writer in two steps, so that a caller writing
// several files puts each in place only when all of them are complete: Write paints every
// page into a temporary file beside `path`, Commit puts it in place. Until Commit an
// existing file at `path` stays byte for byte as it was; a writer destroyed uncommitted
// leaves nothing behind.
class PdfFile
{
public:
    explicit PdfFile(const QString& path, const PageSetup& setup = {},
                     const WriteOptions& options = {});
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    // False when the file could not be written, the document failed or the progress said
    // stop (Result says which).
    bool Write(Document& document, const PageProgress& progress = {});
    // After a Write that returned true.
    const DocumentResult& Commit();
    void Discard();
    const DocumentResult& Result() const { return m_Result; }

private:
    QString m_strPath;
    PageSetup m_Setup;
    std::unique_ptr<SafeFileWriter> m_pFile;
    DocumentResult m_Result;
    bool m_bComplete = false;
};

// Write and Commit at once.
DocumentResult WritePdf(const QString& path, Document& document, const PageSetup& setup = {},
                        const WriteOptions& options = {}, const PageProgress& progress = {});

} // namespace rovana::document
