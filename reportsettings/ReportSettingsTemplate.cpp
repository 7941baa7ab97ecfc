#include "ReportSettingsTemplate.h"

#include "ReportSettingsIds.h"

#include <QFontMetrics>

namespace rovana {

using namespace reportsettings;

namespace {

using K = ControlKind;

// The labels stand left of their fields, the units "m" and "mm" right of them; the three
// hidden fields lie on top of each other below the OK button.
constexpr DialogControl kControls[] = {
    {-1, K::GroupBox, u"工程信息", {11, 7, 211, 139}, kPlain},
    {-1, K::Label, u"当前文件", {15, 20, 38, 8}, kPlain},
    {IDC_STATIC_FILE, K::Static, u"", {56, 20, 154, 8}, kPlain},
    {IDC_CHECK_TITLE, K::CheckBox, u"标题名称", {13, 37, 43, 10}, kPlain},
    {IDC_EDIT_TITLE, K::Edit, u"", {56, 35, 151, 14}, kDisabled},
    {-1, K::Label, u"工程名称", {15, 57, 38, 8}, kPlain},
    {IDC_EDIT_PROJECT, K::Edit, u"", {56, 54, 151, 14}, kPlain},
    {-1, K::Label, u"项目名称", {15, 75, 38, 8}, kPlain},
    {IDC_EDIT_ITEM, K::Edit, u"", {56, 72, 54, 14}, kPlain},
    {-1, K::Label, u"文件编号", {114, 75, 36, 8}, kPlain},
    {IDC_EDIT_BOLTNO, K::Edit, u"", {152, 72, 54, 14}, kPlain},
    {-1, K::Label, u"锚杆类型", {15, 93, 38, 8}, kPlain},
    {IDC_COMBO_BOLTTYPE, K::ComboEdit, u"", {56, 90, 55, 30}, kPlain},
    {-1, K::Label, u"仪器型号", {114, 93, 36, 8}, kPlain},
    {IDC_EDIT_INSTRUMENT, K::Edit, u"", {152, 90, 54, 14}, kReadOnly},
    {-1, K::Label, u"安装日期", {15, 110, 38, 8}, kPlain},
    {IDC_EDIT_INSTALLDATE, K::Edit, u"", {56, 107, 54, 14}, kPlain},
    {-1, K::Label, u"检测日期", {114, 110, 36, 8}, kPlain},
    {IDC_EDIT_TESTDATE, K::Edit, u"", {152, 107, 54, 14}, kPlain},
    {-1, K::Label, u"检测单位", {15, 128, 38, 8}, kPlain},
    {IDC_EDIT_TESTUNIT, K::Edit, u"", {56, 125, 151, 14}, kPlain},

    {-1, K::GroupBox, u"设计参数", {11, 149, 211, 52}, kPlain},
    {-1, K::Label, u"直径Φ", {15, 163, 38, 8}, kPlain},
    {IDC_EDIT_DESIGNDIAMETER, K::FloatEdit, u"", {56, 160, 41, 14}, kPlain},
    {-1, K::Label, u"mm", {99, 163, 15, 8}, kPlain},
    {-1, K::Label, u"设计长度", {116, 164, 36, 8}, kPlain},
    {IDC_EDIT_DESIGNLENGTH, K::FloatEdit, u"", {154, 161, 41, 14}, kReadOnly},
    {-1, K::Label, u"m", {197, 164, 10, 8}, kPlain},
    {-1, K::Label, u"密实度", {15, 181, 36, 8}, kPlain},
    {IDC_COMBO_DESIGNGRADE, K::ComboList, u"", {54, 179, 151, 30}, kPlain},

    {-1, K::GroupBox, u"检测参数", {11, 204, 210, 86}, kPlain},
    {-1, K::Label, u"直径Φ", {15, 220, 38, 8}, kPlain},
    {IDC_EDIT_TESTDIAMETER, K::FloatEdit, u"", {56, 217, 41, 14}, kPlain},
    {-1, K::Label, u"mm", {99, 220, 15, 8}, kPlain},
    {-1, K::Label, u"检测长度", {116, 220, 36, 8}, kPlain},
    {IDC_EDIT_TESTLENGTH, K::FloatEdit, u"", {154, 217, 41, 14}, kReadOnly},
    {-1, K::Label, u"m", {197, 220, 10, 8}, kPlain},
    {-1, K::Label, u"外露长度", {15, 238, 38, 8}, kPlain},
    {IDC_EDIT_EXPOSED, K::Edit, u"", {56, 235, 41, 14}, kReadOnly},
    {-1, K::Label, u"m", {99, 238, 10, 8}, kPlain},
    {-1, K::Label, u"锚固长度", {116, 238, 36, 8}, kPlain},
    {IDC_EDIT_ANCHORAGE, K::Edit, u"", {154, 235, 41, 14}, kReadOnly},
    {-1, K::Label, u"m", {197, 238, 10, 8}, kPlain},
    {-1, K::Label, u"锚固质量", {15, 255, 38, 8}, kPlain},
    {IDC_EDIT_QUALITY, K::Edit, u"", {56, 252, 41, 14}, kReadOnly},
    {-1, K::Label, u"密实度", {116, 255, 36, 8}, kPlain},
    {IDC_EDIT_GRADE, K::Edit, u"", {154, 252, 52, 14}, kReadOnly},
    {-1, K::Label, u"检测依据", {15, 272, 38, 8}, kPlain},
    {IDC_EDIT_BASIS, K::Edit, u"", {56, 269, 151, 14}, kReadOnly},

    {-1, K::GroupBox, u"打印选择", {231, 7, 97, 284}, kPlain},
    {-1, K::GroupBox, u"文件选择", {232, 16, 89, 206}, kPlain},
    {IDC_CHECK_ALL, K::CheckBox, u"全    选", {276, 22, 39, 10}, kPlain},
    {IDC_LIST_FILES, K::CheckList, u"", {237, 36, 74, 177}, kPlain},
    {-1, K::GroupBox, u"类型选择", {232, 235, 89, 52}, kPlain},
    {IDC_CHECK_CHANNEL1, K::CheckBox, u"通道1", {244, 247, 34, 10}, kPlain},
    {IDC_CHECK_CHANNEL2, K::CheckBox, u"通道2", {244, 259, 34, 10}, kPlain},
    {IDC_CHECK_CHANNEL3, K::CheckBox, u"通道3", {244, 271, 34, 10}, kPlain},

    {IDC_BUTTON_SAVE, K::PushButton, u"保  存", {33, 296, 50, 14}, kPlain},
    {IDC_CHECK_APPLY, K::CheckBox, u"应用到后续文件", {99, 299, 64, 10}, kPlain},
    {IDOK, K::PushButton, u"确定", {219, 296, 50, 14}, kDefaultButton},
    {IDCANCEL, K::PushButton, u"取消", {278, 296, 50, 14}, kPlain},

    {-1, K::Label, u"波速", {280, 316, 20, 8}, kHidden},
    {IDC_EDIT_WAVESPEED, K::Edit, u"", {274, 310, 54, 14}, kHidden},
    {-1, K::Label, u"检测人", {282, 316, 25, 8}, kHidden},
    {IDC_EDIT_TESTER, K::Edit, u"", {274, 310, 54, 14}, kHidden},
    {-1, K::Label, u"锚杆总长", {289, 316, 33, 8}, kHidden},
    {IDC_EDIT_TOTAL, K::Edit, u"", {274, 310, 54, 14}, kHidden},
};

} // namespace

std::span<const DialogControl> ReportSettingsTemplate()
{
    return kControls;
}

QSize DialogBaseUnits(const QFontMetrics& metrics)
{
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect MapDialogRect(const QRect& units, const QSize& base)
{
    const auto x = [&](int v) { return v * base.width() / 4; };
    const auto y = [&](int v) { return v * base.height() / 8; };
    return {x(units.x()), y(units.y()), x(units.width()), y(units.height())};
}

} // namespace rovana
