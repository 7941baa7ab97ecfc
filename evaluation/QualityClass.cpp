#include "QualityClass.h"

namespace rovana {

int DeriveQualityClass(int grade, float designLength, float measuredLength)
{
    const float shortfall = designLength - measuredLength;
    const float ratio = measuredLength / designLength; // NaN for 0 / 0 fails below
    if (shortfall <= 0.5f && ratio >= 0.95f)
        return grade;
    return 3;
}

} // namespace rovana
