#pragma once

#include "SafeFileWriter.h"
#include "SheetInput.h"
#include "SiteFile.h"

#include <QStringList>

#include <functional>

namespace rovana::sheet {

// The sheet settings right after `opened` was opened in the program and shown, in a folder
// that keeps no settings: every trace fits its record (ChannelScale::bFit), growing gain 1,
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

// A folder's settings on a sheet: its processing and each channel's amplitude (a fixed one,
// or the record's own fit when the folder fits or has none); the growing gain stays.
void ApplySiteSettings(const SiteFile& site, SheetSettings& settings);

// Completes a page's settings for the file at `path` (its folder's processing and
// amplitudes); none leaves every trace raw at 1700.
using SettingsForFile = std::function<void(const QString& path, SheetSettings& settings)>;

// Writes one A4 portrait sheet at 600 dpi per file, in the given order, into one PDF.
// The document goes to a temporary file beside `pdfPath` and replaces it only when it
// was written completely (SafeFileWriter); on any failure an existing file stays as it
// was. Needs a QGuiApplication (fonts).
SheetPdfResult WriteSheetPdf(const QString& pdfPath, const QStringList& files,
                             const WriteOptions& options = {},
                             const SettingsForFile& settingsFor = {});

} // namespace rovana::sheet
