#include "NumberText.h"

#include <locale.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace rovana {
namespace {

locale_t CLocale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return loc;
}

// Only ASCII can belong to a number; the rest ends the prefix.
QByteArray AsciiPrefix(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        if (ch.unicode() > 0x7F || ch.unicode() == 0)
            break;
        out.append(static_cast<char>(ch.unicode()));
    }
    return out;
}

} // namespace

double LenientToDouble(const QString& text)
{
    const QByteArray ascii = AsciiPrefix(text);
    return strtod_l(ascii.constData(), nullptr, CLocale());
}

float LenientToFloat(const QString& text)
{
    const double d = LenientToDouble(text);
    if (std::isfinite(d) && std::fabs(d) > static_cast<double>(FLT_MAX))
        return std::copysign(HUGE_VALF, static_cast<float>(std::copysign(1.0, d)));
    return static_cast<float>(d);
}

int LenientToInt(const QString& text)
{
    const QByteArray ascii = AsciiPrefix(text);
    const long long v = strtoll_l(ascii.constData(), nullptr, 10, CLocale());
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

} // namespace rovana
