#pragma once

#include <QRect>
#include <QSize>

#include <span>

class QFontMetrics;

namespace rovana {

// The report settings dialog's template: every group box, label and control with its
// rectangle in dialog units, as a resource editor would hold it.
enum class ControlKind
{
    GroupBox,
    Label,     // static text without identifier
    Static,    // static text with identifier, written by the dialog
    CheckBox,  // auto check box
    Edit,      // single line, scrolls horizontally, no length limit
    FloatEdit, // numeric edit control
    ComboEdit, // drop-down combo with an editable field
    ComboList, // drop-down list
    CheckList, // check list box: sorted, single selection, both scroll bars
    PushButton,
};

enum ControlState : unsigned
{
    kPlain = 0,
    kDisabled = 1,
    kReadOnly = 2,
    kHidden = 4,
    kDefaultButton = 8,
};

struct DialogControl
{
    int id; // -1 for labels and group boxes
    ControlKind kind;
    const char16_t* text;
    QRect units; // x, y, width, height in dialog units
    unsigned state;
};

inline constexpr QSize kReportSettingsTemplateSize{335, 328}; // dialog units
inline constexpr int kReportSettingsFontPoints = 9;

// The controls in creation (tab) order.
std::span<const DialogControl> ReportSettingsTemplate();

// The dialog base units of a font: the average width of the 52 Latin letters (rounded
// as the system rounds it) and the line height, in pixels.
QSize DialogBaseUnits(const QFontMetrics& metrics);

// Dialog units to pixels: x and width × base width / 4, y and height × base height / 8,
// each truncated.
QRect MapDialogRect(const QRect& units, const QSize& baseUnits);

} // namespace rovana
