// The view's suggested markers: labels with each pick's confidence, the reasons for what
// is withheld.
#include "SuggestionOverlay.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace rovana::wave {
namespace {

// The view's suggestion: each offered pick a dashed line labelled with its confidence in
// per cent ("底部 92%"), a withheld one no line, and the picker's reasons in the text at the
// bottom left in their order.
TEST(SuggestionOverlayTest, ConfidencesOnTheLabelsAndTheReasonsInTheText)
{
    using pick::PickReason;
    struct Row
    {
        const char* name;
        std::optional<double> freeEnd, bottom; // confidence of the offered pick
        std::vector<PickReason> reasons;
        std::vector<QString> labels, texts; // expected labels; texts the summary holds
    };
    const Row rows[] = {
        {"both offered", 0.875, 0.92, {}, {"端部 100%", "自由端 88%", "底部 92%"}, {"L=5.25m"}},
        {"bottom withheld",
         0.995,
         {},
         {PickReason::BottomNotClear},
         {"端部 100%", "自由端 100%"},
         {"底部反射不明显"}},
        {"free end and bottom withheld",
         {},
         {},
         {PickReason::FreeEndNotClear, PickReason::SuspectedMultiple},
         {"端部 100%"},
         {"自由端不明显  疑似自由段多次反射"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SuggestedMarkers s;
        s.pick.end = pick::PickedEcho{30, 1.0};
        if (row.freeEnd)
            s.pick.freeEnd = pick::PickedEcho{70, *row.freeEnd};
        if (row.bottom) {
            s.pick.bottom = pick::PickedEcho{330, *row.bottom};
            s.length = 5.25f;
        }
        for (const PickReason r : row.reasons)
            s.reasons.append(PickReasonText(r));
        const MarkerSuggestion m = SuggestionOf(s);
        for (const QString& text : row.texts)
            EXPECT_TRUE(m.summary.contains(text)) << m.summary.toStdString();
        EXPECT_EQ(m.pos[kMarkerBottom] > 0, row.bottom.has_value());
        WaveInput in;
        in.width = 800;
        in.height = 300;
        in.screenHeight = 1080;
        DrawList list;
        AppendSuggestion(list, in, m);
        std::vector<QString> labels;
        for (const DrawItem& item : list)
            if (item.role == Role::SuggestionLabel)
                labels.push_back(item.text);
        EXPECT_EQ(labels, row.labels);
    }
}

} // namespace
} // namespace rovana::wave
