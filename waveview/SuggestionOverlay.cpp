#include "SuggestionOverlay.h"

#include "DrawItems.h"

#include <algorithm>
#include <cmath>

namespace rovana::wave {

namespace {

// Darker than the markers' colours, so that a suggestion beside a marker stays apart.
const std::array<QColor, 5> kSuggestionColors = {
    QColor(160, 0, 0), QColor(90, 90, 90), QColor(0, 0, 160), QColor(0, 120, 0), QColor(0, 120, 0)};

} // namespace

MarkerSuggestion SuggestionOf(const SuggestedMarkers& suggested)
{
    MarkerSuggestion s;
    const pick::PickResult& p = suggested.pick;
    const auto take = [&s](int marker, const std::optional<pick::PickedEcho>& echo) {
        if (echo) {
            s.pos[marker] = echo->sample;
            s.confidence[marker] = echo->confidence;
        }
    };
    take(kMarkerEnd, p.end);
    take(kMarkerFreeEnd, p.freeEnd);
    take(kMarkerBottom, p.bottom);
    const pick::PickedDefect* surest = nullptr;
    const auto sureness = [](const pick::PickedDefect& d) {
        return std::min(d.start.confidence, d.end.confidence);
    };
    for (const pick::PickedDefect& d : p.defects)
        if (!surest || sureness(d) > sureness(*surest))
            surest = &d;
    if (surest) {
        take(kMarkerDefectStart, surest->start);
        take(kMarkerDefectEnd, surest->end);
    }
    QStringList parts{QStringLiteral("自动识别")};
    const auto metres = [](const char* name, const std::optional<float>& value) {
        return QString::asprintf("%s=%.2fm", name, static_cast<double>(*value));
    };
    if (suggested.length)
        parts << metres("L", suggested.length);
    if (suggested.freeLength)
        parts << metres("L0", suggested.freeLength);
    if (suggested.anchorLength)
        parts << metres("Lr", suggested.anchorLength);
    parts << suggested.reasons;
    parts << QStringLiteral("Enter 采用  Esc 放弃");
    s.summary = parts.join(QStringLiteral("  "));
    return s;
}

bool DiffersBy(float suggested, float marked, double share)
{
    return std::abs(static_cast<double>(suggested) - marked) > share * std::abs(marked);
}

void AppendSuggestion(DrawList& list, const WaveInput& in, const MarkerSuggestion& suggestion)
{
    if (in.displayMode != kModeTimeDomain)
        return;
    const int H = in.height;
    const double f = CompressFactor(in);
    const FontSpec font{FontKind::Song, LegendPointSize(in.screenHeight)};
    const int lineHeight = in.textHeight + 4;
    for (int m = 0; m < 5; ++m) {
        if (suggestion.pos[m] <= 0)
            continue;
        const int x = TruncToInt(suggestion.pos[m] * f - in.scroll);
        list.push_back(MakeLine(Role::Suggestion, DrawPass::Text,
                                Pen{kSuggestionColors[m], 2, PenStyle::Dash}, {x, 0}, {x, H}, m));
        const QString label =
            QStringLiteral("%1 %2%")
                .arg(kSuggestionNames[m])
                .arg(static_cast<int>(std::lround(suggestion.confidence[m] * 100.0)));
        // Labels of neighbouring markers step down, so that they do not cover each other.
        list.push_back(MakeTextAt(Role::SuggestionLabel, DrawPass::Text,
                                  {x + 3, 36 + (m % 3) * lineHeight}, label, font,
                                  TextBackground::OpaqueWhite, kSuggestionColors[m], m));
    }
    if (!suggestion.summary.isEmpty())
        list.push_back(MakeTextAt(Role::SuggestionText, DrawPass::Text, {4, H - lineHeight - 18},
                                  suggestion.summary, font, TextBackground::OpaqueWhite,
                                  Qt::black));
}

} // namespace rovana::wave
