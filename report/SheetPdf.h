#pragma once

#include "SafeFileWriter.h"
#include "SheetInput.h"

#include <QStringList>

#include <functional>

namespace rovana::sheet {

// The sheet settings right after `opened` was opened in the program and shown: it is the
// current test, every channel view has maximum amplitude 1700 and growing gain 1,
// compression is on, the title is shown and the test-parameter lengths come from the
// file's report channel (0 -> channel 1, 1 -> channel 2, anything else -> channel 3).
SheetSettings SettingsAfterOpening(const TestRecord& opened);

struct SheetPdfResult
{
    bool written = false;   // true only once the whole PDF is in place and synced
    WriteResult write;      // why it was not (WriteResult::message() for the user)
    int pages = 0;          // one per file
    QStringList unreadable; // files that got the "cannot read" page instead of a sheet
    QStringList messages;   // for each of them, why
};

// The processing of each file's trace, by the file's path; none leaves every trace raw.
using ChainForFile = std::function<processing::ChainSettings(const QString& path)>;

// Writes one A4 portrait sheet at 600 dpi per file, in the given order, into one PDF.
// The document goes to a temporary file beside `pdfPath` and replaces it only when it
// was written completely (SafeFileWriter); on any failure an existing file stays as it
// was. Needs a QGuiApplication (fonts).
SheetPdfResult WriteSheetPdf(const QString& pdfPath, const QStringList& files,
                             const WriteOptions& options = {}, const ChainForFile& chainFor = {});

} // namespace rovana::sheet
