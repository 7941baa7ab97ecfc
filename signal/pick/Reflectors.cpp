#include "Reflectors.h"

#include "Correlation.h"
#include "EchoSearch.h"

#include <algorithm>
#include <cmath>

namespace rovana::pick {

namespace {

constexpr float kReflectorSnr = 10.0f; // an echo whose multiples are taken off
// Echoes weaker than this share of the blow are not taken: the blow cut from the record
// is not the exact pulse, and what is left of it after subtraction is of this order.
constexpr float kReflectorFloor = 0.08f;

} // namespace

void RemoveReflector(PickContext& s, const std::vector<float>& echoes, int at, bool keepEcho)
{
    const int n = static_cast<int>(s.y.size());
    const int delay = at - s.end;
    if (delay <= 0 || at >= n)
        return;
    const float g = std::clamp(0.5f * s.y[static_cast<std::size_t>(at)] / s.blow, -0.8f, 0.8f);
    const auto takeMultiples = [&](std::vector<float>& y) {
        for (int i = n - 1; i >= delay; --i)
            y[static_cast<std::size_t>(i)] -= g * echoes[static_cast<std::size_t>(i - delay)];
    };
    if (keepEcho) {
        // Below the reflector's own lobe the record only loses the shifted echoes (at +
        // width is past the delay): the energies are compared first, and the record is
        // changed only when the subtraction stays.
        double before = 0.0, after = 0.0;
        for (int i = at + s.width; i < n; ++i) {
            const float v = s.y[static_cast<std::size_t>(i)];
            const float w = v - g * echoes[static_cast<std::size_t>(i - delay)];
            before += static_cast<double>(v) * v;
            after += static_cast<double>(w) * w;
        }
        if (!(after > before))
            takeMultiples(s.y);
        return;
    }
    // The reflector's own echo is there as measured: it goes in any case.
    SubtractEcho(s.y, s.autocorrelation, at, 2.0f * g * s.blow);
    std::vector<float> y = s.y;
    takeMultiples(y);
    // Where the blow cut from the record is a poor copy of the blow (an echo inside it),
    // the shifted record carries that error along: the multiples are only taken off when
    // that leaves less below the reflector than there was.
    double before = 0.0, after = 0.0;
    for (int i = at + s.width; i < n; ++i) {
        before += static_cast<double>(s.y[static_cast<std::size_t>(i)]) *
                  s.y[static_cast<std::size_t>(i)];
        after +=
            static_cast<double>(y[static_cast<std::size_t>(i)]) * y[static_cast<std::size_t>(i)];
    }
    if (after > before)
        return;
    s.y = std::move(y);
}

std::vector<int> TakeOffReflectors(PickContext& s, const std::vector<float>& echoes, int from)
{
    // Every clear echo past the free end comes back again from the head, and such a
    // multiple of a void's echo may fall where the toe's echo is: in time order, each
    // clear echo's multiples go before the next is looked for.
    std::vector<int> taken;
    const int n = static_cast<int>(s.y.size());
    // sign * v / s.noise < kReflectorSnr without a division per sample.
    const bool plainNoise = s.noise > 0.0f && std::isfinite(s.noise);
    const float least = plainNoise ? LeastReaching(s.noise, kReflectorSnr) : 0.0f;
    const auto faint = [&](float a) {
        return plainNoise ? a < least : a / s.noise < kReflectorSnr;
    };
    const float weakest = std::max(least, kReflectorFloor); // with plain noise
    for (int i = std::max(from, 1), found = 0; i < n - 1 && found < 8; ++i) {
        if (plainNoise && (i = FirstNotUnder(s.y.data(), i, n - 1, weakest, true)) >= n - 1)
            break;
        const float v = s.y[static_cast<std::size_t>(i)];
        const float sign = v < 0.0f ? -1.0f : 1.0f;
        if (faint(sign * v) || sign * v < kReflectorFloor || !IsPeak(s.y, i, sign))
            continue;
        RemoveReflector(s, echoes, i, true);
        taken.push_back(i);
        ++found;
        i += s.width / 2;
    }
    return taken;
}

} // namespace rovana::pick
