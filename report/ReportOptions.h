#pragma once

#include <QString>

namespace rovana {

// The print options the report settings dialog hands to the report view. The result sheet
// reads only the flags; it takes all its texts from the printed record.
struct ReportOptions
{
    int bShowTitle = 1; // the sheet's title is drawn when non-zero
    int bChannel1 = 0;  // 1 = channel 1 chosen; the test-parameter lengths come from the
    int bChannel2 = 0;  // first chosen channel of 1 and 2, else from channel 3
    int bChannel3 = 0;
    QString strTitle;
    QString strItemName;
    QString strFileNumber;
    QString strExposedLength;
    QString strAnchorLength;
    QString strWaveSpeed;
    QString strTestDate;

    friend bool operator==(const ReportOptions&, const ReportOptions&) = default;
};

} // namespace rovana
