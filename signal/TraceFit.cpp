#include "TraceFit.h"

#include <algorithm>
#include <cstdlib>

namespace rovana {

int FittedAmplitude(std::span<const std::int16_t> shown, std::size_t from)
{
    int largest = 0;
    for (std::size_t i = std::min(from, shown.size()); i < shown.size(); ++i)
        largest = std::max(largest, std::abs(static_cast<int>(shown[i])));
    // ceil(largest / 0.9) in whole numbers: 900 gives exactly 1000.
    return std::max(1, (10 * largest + 8) / 9);
}

} // namespace rovana
