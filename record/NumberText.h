#pragma once

#include <QString>

namespace rovana {

// Lenient number reading, as the dialogs' texts are read: leading white space is
// skipped, the longest number at the start is taken, anything after it is ignored, and
// a text without a number at its start reads as 0. The decimal point is always '.'.
double LenientToDouble(const QString& text);

// The same, as a float; values beyond the float range become infinite.
float LenientToFloat(const QString& text);

// A decimal integer; values beyond the int range are clamped to it.
int LenientToInt(const QString& text);

} // namespace rovana
