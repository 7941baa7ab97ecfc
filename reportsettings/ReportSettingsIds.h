#pragma once

// Identifiers of the report settings dialog. Every control carries its identifier as its
// object name (QString::number(id)); labels and group boxes carry none.
namespace rovana {

// The dialog's private save request: save the fields into the file being edited. No
// parameters; the result is nonzero when the file was written.
inline constexpr int WM_PRINTSET_SAVE = 0x0400 + 200; // WM_USER + 200 = 0x04C8

namespace reportsettings {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Project information (工程信息).
inline constexpr int IDC_STATIC_FILE = 1013;    // name of the file being edited
inline constexpr int IDC_CHECK_TITLE = 1002;    // "标题名称": print the sheet title
inline constexpr int IDC_EDIT_TITLE = 1003;     // sheet title, never enabled
inline constexpr int IDC_EDIT_PROJECT = 1045;   // 工程名称
inline constexpr int IDC_EDIT_ITEM = 1008;      // 项目名称
inline constexpr int IDC_EDIT_BOLTNO = 1009;    // 文件编号
inline constexpr int IDC_COMBO_BOLTTYPE = 1043; // 锚杆类型, editable
inline constexpr int IDC_EDIT_INSTRUMENT = 1041;
inline constexpr int IDC_EDIT_INSTALLDATE = 1036;
inline constexpr int IDC_EDIT_TESTDATE = 1017;
inline constexpr int IDC_EDIT_TESTUNIT = 1023;

// Design parameters (设计参数).
inline constexpr int IDC_EDIT_DESIGNDIAMETER = 1005; // mm
inline constexpr int IDC_EDIT_DESIGNLENGTH = 1012;   // m, read-only
inline constexpr int IDC_COMBO_DESIGNGRADE = 1048;

// Test parameters (检测参数).
inline constexpr int IDC_EDIT_TESTDIAMETER = 1047; // mm
inline constexpr int IDC_EDIT_TESTLENGTH = 1018;   // m, exposed + anchorage, read-only
inline constexpr int IDC_EDIT_EXPOSED = 1010;      // m, read-only
inline constexpr int IDC_EDIT_ANCHORAGE = 1007;    // m, read-only
inline constexpr int IDC_EDIT_QUALITY = 1039;      // quality class text, read-only
inline constexpr int IDC_EDIT_GRADE = 1038;        // compactness grade text, read-only
inline constexpr int IDC_EDIT_BASIS = 1040;        // test standard, read-only

// Print selection (打印选择).
inline constexpr int IDC_LIST_FILES = 1011;
inline constexpr int IDC_CHECK_ALL = 1021;
inline constexpr int IDC_CHECK_CHANNEL1 = 1019;
inline constexpr int IDC_CHECK_CHANNEL2 = 1014;
inline constexpr int IDC_CHECK_CHANNEL3 = 1015;

inline constexpr int IDC_BUTTON_SAVE = 1016;
inline constexpr int IDC_CHECK_APPLY = 1044; // "应用到后续文件"

// Never shown; filled and read like the visible fields.
inline constexpr int IDC_EDIT_WAVESPEED = 1006; // m/s
inline constexpr int IDC_EDIT_TESTER = 1022;
inline constexpr int IDC_EDIT_TOTAL = 1037; // m, only filled

inline constexpr int kChannelBoxes[3] = {IDC_CHECK_CHANNEL1, IDC_CHECK_CHANNEL2,
                                         IDC_CHECK_CHANNEL3};

} // namespace reportsettings
} // namespace rovana
