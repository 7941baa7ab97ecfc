#pragma once

#include <QString>
#include <QStringList>

namespace rovana {

class EvaluationPanel;
struct DisplaySettings;

// What the report view needs from the main frame that holds it.
class ReportViewHost
{
public:
    virtual ~ReportViewHost() = default;
    virtual DisplaySettings& Display() = 0;
    // 1 once a test has been loaded (m_bFileLoaded): the status texts are written then.
    virtual int FileLoaded() const = 0;
    // Sets the text of status-bar pane 59142..59149; the pane grows to fit it.
    virtual void SetStatusPane(int id, const QString& text) = 0;
    // The evaluation panel, or null while it does not exist.
    virtual EvaluationPanel* EvaluationPane() = 0;

    // The file names chosen for printing (m_PrintList), in list order.
    virtual QStringList PrintList() const { return {}; }
    // After the last page of a real print: the list is emptied and printing disabled.
    virtual void ClearPrintList() {}
    // m_bPrintMode: 1 while a print job runs, 0 for a preview.
    virtual void SetPrintMode(int /*mode*/) {}
    // Shows the test on screen again from its file, which another step of the program has
    // rewritten (a folder calibration); its history starts again.
    virtual void ReloadTest() {}
};

} // namespace rovana
