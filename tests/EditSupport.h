#pragma once

#include "ChannelView.h"
#include "ReportView.h"

#include <functional>

namespace rovana::test {

// Changes the record of the test on `view` as a load of its file so changed would: the
// markers and grades set so far stay (they are the record's as edited), the channels are
// distributed again.
inline void ChangeRecord(ReportView& view, const std::function<void(TestRecord&)>& change)
{
    TestRecord r = view.m_Edit.Edited();
    change(r);
    view.m_Edit.Load(r);
    for (int c = 0; c < kChannelCount; ++c)
        view.DistributeChannel(c);
}

// Marker `marker` of `channel` set at `pos` by the engineer, or unset for pos < 0.
inline void SetMarker(ReportView& view, int channel, int marker, int pos)
{
    EditInputs in = view.m_Edit.Inputs();
    auto& m = in.channels[static_cast<std::size_t>(channel)];
    m.set[static_cast<std::size_t>(marker)] = pos >= 0;
    m.pos[static_cast<std::size_t>(marker)] = pos >= 0 ? pos : 0;
    m.byRule[static_cast<std::size_t>(marker)] = false;
    view.m_Edit.SetInputs(in);
}

// Opens `path` in `view` as a click in the file tree does: the test being edited, the
// channels distributed, the report channel selected and the panel fed.
inline bool OpenInView(ReportView& view, const QString& path)
{
    TestRecord record;
    if (!record.Load(path))
        return false;
    view.TakeLoadedRecord(record);
    for (ChannelView* v : view.m_pChannelView) {
        v->m_nMagnify = 1;
        v->m_bCursorShown = 0;
        v->DropSuggestion();
    }
    for (int c = 0; c < kChannelCount; ++c)
        view.DistributeChannel(c);
    view.m_strCurPath = path;
    view.m_strFolder = path.left(path.lastIndexOf('/'));
    view.m_nActiveChannel = record.m_nReportChannel;
    view.RefreshInfoPanel(view.m_nActiveChannel);
    return true;
}

inline const ChannelMarks& Marks(const ReportView& view, int channel)
{
    return view.m_Edit.Marks(channel);
}

} // namespace rovana::test
