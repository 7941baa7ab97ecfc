#pragma once

#include "CDrawViewHost.h"
#include "CInfoView.h"
#include "DisplaySettings.h"

namespace rovana::test {

// Stands in for the main frame of a report view: display switches, a loaded file and a
// real evaluation panel.
class FakeFrame : public CDrawViewHost
{
public:
    DisplaySettings& Display() override { return display; }
    int FileLoaded() const override { return 1; }
    void SetStatusPane(int, const QString&) override {}
    CInfoView* InfoView() override { return &panel; }

    DisplaySettings display;
    CInfoView panel;
};

} // namespace rovana::test
