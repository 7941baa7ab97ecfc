#pragma once

#include "DocumentPdf.h"
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

// A folder's settings on a sheet, as its site file keeps them: its processing, each
// channel's amplitude (a fixed one, or the record's own fit when the folder fits or has
// none) and each channel's growing gain (none where the folder keeps none).
void ApplySiteSettings(const SiteFile& site, SheetSettings& settings);

// Completes a page's settings for the file at `path` (its folder's processing, amplitudes
// and gains); none leaves every trace raw at its fit, without gain.
using SettingsForFile = std::function<void(const QString& path, SheetSettings& settings)>;

// The result sheets of `files` as a document: one page per file in the given order, each
// the file's sheet with the settings it has right after opening (SettingsAfterOpening),
// completed by `settingsFor`. A file that cannot be read gets a page saying so
// (DrawUnreadablePage), and the page names it. Lays itself out for any device; needs a
// QGuiApplication (fonts).
class SheetDocument final : public document::Document
{
public:
    explicit SheetDocument(QStringList files, SettingsForFile settingsFor = {});

    int Layout(const QPaintDevice& device) override;
    document::Page PageAt(int index) override;
    QFont FontOf(const picture::Font& font) const override;

private:
    QStringList m_Files;
    SettingsForFile m_fnSettingsFor;
    SheetDevice m_Device;
    MeasureText m_Measure;
    TestRecord m_PrintData; // the record of the page being drawn
};

// How a PDF of sheets ended: the one result of every document written.
using SheetPdfResult = document::DocumentResult;

// Writes one A4 portrait sheet at 600 dpi per file, in the given order, into one PDF
// (SheetDocument through document::WritePdf): a temporary file beside `pdfPath` replaces
// it only when it was written completely; on any failure an existing file stays as it was.
SheetPdfResult WriteSheetPdf(const QString& pdfPath, const QStringList& files,
                             const WriteOptions& options = {},
                             const SettingsForFile& settingsFor = {});

} // namespace rovana::sheet
