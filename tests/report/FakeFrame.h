#pragma once

#include "DisplaySettings.h"
#include "EvaluationPanel.h"
#include "ReportViewHost.h"

#include <QMap>

namespace rovana::test {

// Stands in for the main frame of a report view: display switches, a loaded file and a
// real evaluation panel.
class FakeFrame : public ReportViewHost
{
public:
    DisplaySettings& Display() override { return display; }
    int FileLoaded() const override { return 1; }
    void SetStatusPane(int id, const QString& text) override { panes[id] = text; }
    EvaluationPanel* EvaluationPane() override { return &panel; }
    void ReloadTest() override { ++reloads; }

    DisplaySettings display;
    int reloads = 0; // the test on screen asked to be shown again from its file
    EvaluationPanel panel;
    QMap<int, QString> panes; // what the view wrote into the status bar, by pane
};

} // namespace rovana::test
