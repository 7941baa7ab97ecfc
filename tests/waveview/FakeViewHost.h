#pragma once

#include "ChannelViewHost.h"
#include "DisplaySettings.h"
#include "TestEdit.h"
#include "TestRecord.h"

namespace rovana::test {

// Stands in for the report view: a test file the tests change at will (`record`), the test
// being edited on it, the display switches and the selection. The panel is the report
// view's; its own tests cover it.
class FakeViewHost : public ChannelViewHost
{
public:
    TestEdit& Edit() override { return Synced(); }
    const TestEdit& Edit() const override { return Synced(); }
    const TestRecord& CurrentRecord() const override { return Synced().Edited(); }
    const DisplaySettings& Display() const override { return display; }
    int ActiveChannel() const override { return active; }
    void SetActiveChannel(int channel) override { active = channel; }
    void RepaintChannel(int) override {}
    void RefreshInfoPanel(int) override {}
    bool SaveCopyWithResults() override { return false; }

    // The record becomes the test being edited as a load makes it: its stored markers,
    // grades and wave speed.
    void LoadRecord()
    {
        m_Edit.Load(record);
        m_Synced = record;
    }
    // Marker `marker` of `channel` set at `pos` by the engineer, or unset for pos < 0.
    void SetMarker(int channel, int marker, int pos)
    {
        EditInputs in = Synced().Inputs();
        auto& m = in.channels[static_cast<std::size_t>(channel)];
        m.set[static_cast<std::size_t>(marker)] = pos >= 0;
        m.pos[static_cast<std::size_t>(marker)] = pos >= 0 ? pos : 0;
        m.byRule[static_cast<std::size_t>(marker)] = false;
        m_Edit.SetInputs(in);
    }

    // The test file; a change shows at the next look, the marks set so far kept and the
    // record's wave speed taken.
    TestRecord record;
    DisplaySettings display;
    int active = -1;

private:
    TestEdit& Synced() const
    {
        if (!(record == m_Synced)) {
            EditInputs keep = m_Edit.Inputs();
            keep.waveSpeed = record.m_nWaveSpeed;
            m_Edit.Load(record);
            m_Edit.SetInputs(keep);
            m_Synced = record;
        }
        return m_Edit;
    }

    mutable TestEdit m_Edit;
    mutable TestRecord m_Synced;
};

} // namespace rovana::test
