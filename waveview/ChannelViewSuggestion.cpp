// Suggested markers in a channel view: shown dashed, taken as the marker commands would
// place them, dropped.
#include "ChannelView.h"

#include "ChannelViewHost.h"
#include "SuggestedMarkers.h"

namespace rovana {

namespace {

// A design-placed bottom gets the suggestion beside it when their lengths differ by more.
constexpr double kDesignBottomTolerance = 0.03;

} // namespace

void ChannelView::ShowSuggestion()
{
    if (!m_pHost)
        return;
    SelectThisChannel();
    m_Suggestion = wave::SuggestionOf(SuggestMarkers(m_pHost->CurrentRecord(), m_nChannel));
    viewport()->update();
}

void ChannelView::OfferSuggestionBesideDesignBottom()
{
    if (!m_pHost)
        return;
    const SuggestedMarkers suggested = SuggestMarkers(m_pHost->CurrentRecord(), m_nChannel);
    if (suggested.length &&
        wave::DiffersBy(*suggested.length, BottomLength(), kDesignBottomTolerance))
        m_Suggestion = wave::SuggestionOf(suggested);
}

void ChannelView::TakeSuggestion()
{
    if (!m_Suggestion)
        return;
    const wave::MarkerSuggestion suggestion = *m_Suggestion;
    m_Suggestion.reset();
    // The end last but the defect: with the free end and bottom in place, its follow-up
    // hands the lengths to the panel and resets the grade, as when the engineer marks them.
    for (const int marker :
         {kMarkerFreeEnd, kMarkerBottom, kMarkerEnd, kMarkerDefectStart, kMarkerDefectEnd}) {
        const int position = suggestion.pos[static_cast<std::size_t>(marker)];
        if (position <= 0)
            continue;
        m_nCursor = position - ScrollPosition();
        m_bCursorShown = 1;
        RunMarkerCommand(marker);
    }
    m_bCursorShown = 0;
    viewport()->update();
}

void ChannelView::DropSuggestion()
{
    m_Suggestion.reset();
}

} // namespace rovana
