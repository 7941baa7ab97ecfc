#pragma once

#include "ChannelViewHost.h"
#include "DisplaySettings.h"
#include "TestRecord.h"

namespace rovana::test {

// Stands in for the report view: a record, the display switches and the selection. Calls
// for the panel go nowhere; the report view's own tests cover them with a real panel.
class FakeViewHost : public ChannelViewHost
{
public:
    const TestRecord& CurrentRecord() const override { return record; }
    const DisplaySettings& Display() const override { return display; }
    int ActiveChannel() const override { return active; }
    float MeasuredLength(int) const override { return 0.0f; }
    void SetActiveChannel(int channel) override { active = channel; }
    void RepaintChannel(int) override {}
    void RefreshInfoPanel(int) override {}
    void SetPanelGrade(int) override {}
    void SetPanelLengths(int, float, float) override {}
    void SetRecordWaveSpeed(int waveSpeed) override { record.m_nWaveSpeed = waveSpeed; }
    bool SaveCopyWithResults() override { return false; }

    TestRecord record;
    DisplaySettings display;
    int active = -1;
};

} // namespace rovana::test
