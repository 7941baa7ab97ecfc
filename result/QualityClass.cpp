#include "QualityClass.h"

namespace rovana {

int DeriveQualityClass(int grade, float designLength, float measuredLength)
{
    // Without a grade, or without a measured length (end and bottom not set, or cleared),
    // nobody evaluated the bolt: no class, never a class IV for a length of 0.
    if (grade < 0 || grade > 3 || !(measuredLength > 0.0f))
        return -1;
    const float shortfall = designLength - measuredLength;
    const float ratio = measuredLength / designLength; // NaN for 0 / 0 fails below
    if (shortfall <= 0.5f && ratio >= 0.95f)
        return grade;
    return 3;
}

} // namespace rovana
