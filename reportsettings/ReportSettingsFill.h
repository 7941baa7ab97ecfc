#pragma once

#include "ReportSettingsHost.h"

#include <QString>

#include <map>
#include <optional>

namespace rovana {

class TestRecord;

// What the report settings dialog writes into its fields when it shows a file: texts by
// control identifier (controls not named keep their text), the selection of the design
// grade, and the dialog's own test-date text when the fill sets it. Pure values, so the
// rules can be checked without a dialog.
struct FieldFill
{
    std::map<int, QString> texts;
    std::optional<int> designGrade;
    std::optional<QString> testDate;
};

// Lengths in metres as the fields show them: "%0.2f".
QString LengthText(float metres);

// The channel box checked when the dialog opens on a file: 0 and 1 choose channels 1
// and 2, any other report channel channel 3.
int ChannelAtOpening(int reportChannel);
// The channel box checked when another file with saved information is selected: 0..2,
// or nothing (the boxes stay) for any other value.
std::optional<int> ChannelOnSelection(int reportChannel);

// The grade, class, free, anchored and tested length fields show the checked channel's
// analysis as the file stores it (ChannelResultOf): the report information keeps copies
// of it, never values of its own.

// A file with saved report information. `ch` is the checked channel 0..2, or -1 when no
// box is checked (no grade or class, lengths 0).
FieldFill FillSavedInfo(const TestRecord& d, int ch);

// A file without saved report information: the instrument's header texts and the
// design lengths, completed by the carried-over values. Engineering name, test basis
// and instrument are not touched.
FieldFill FillInstrumentInfo(const TestRecord& d, int ch, const CarryOverValues& last);

// The fields a click on channel box `ch` (0..2) refills from the record.
std::map<int, QString> ChannelClickTexts(const TestRecord& d, int ch);

} // namespace rovana
