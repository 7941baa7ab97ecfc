#pragma once

#include "DisplaySettings.h"

// Command, control and resource identifiers of the application shell (menu 128,
// accelerator table 128, toolbar 128, status bar). The numbers are fixed: other
// parts and tests find commands and controls by them; every QAction carries its identifier as data
// and as object name (QString::number(id)).
//
// The display-mode identifiers ID_VIEW_TIMEDOMAIN (32795), ID_VIEW_SPECTRUM (32794),
// ID_VIEW_PHASE (32847) and ID_VIEW_ENERGY (32849) come from DisplaySettings.h; the
// status-bar pane identifiers ID_INDICATOR_PROJECT (59142) .. ID_INDICATOR_SPARE (59149)
// from ReportView.h.
namespace rovana {

// File menu.
inline constexpr int ID_FILE_NEW = 57600;           // "新建(&N)\tCtrl+N"
inline constexpr int ID_FILE_OPEN = 57601;          // "打开(&O)...\tCtrl+O", toolbar
inline constexpr int ID_FILE_SAVE = 57603;          // "保存(&S)\tCtrl+S", toolbar
inline constexpr int ID_FILE_PRINT_SETUP = 57606;   // "打印设置(&R)..."
inline constexpr int ID_FILE_PRINT = 57607;         // "打印(&P)...\tCtrl+P", toolbar
inline constexpr int ID_FILE_PRINT_PREVIEW = 57609; // "打印预览(&V)"
inline constexpr int ID_FILE_MRU_FILE1 = 57616;     // recent files: 57616 .. 57619
inline constexpr int ID_FILE_SAVE_PICTURE = 32815;  // "保存图片(&C)   \tCtrl+C"
inline constexpr int ID_APP_EXIT = 57665;           // "退出(&X)"
inline constexpr int ID_FILE_SITE_SUMMARY = 32860;  // "检测结果汇总", toolbar
inline constexpr int ID_FILE_REPORT_SETTINGS = 32895;   // "检测报告设置..."
inline constexpr int ID_FILE_INSPECTION_REPORT = 32896; // "生成检测报告..."

// Toolbar-only commands.
inline constexpr int ID_TOOL_PRINT_SETUP = 32827;   // tooltip "打印设置", same as 57606
inline constexpr int ID_TOOL_PRINT_PREVIEW = 32826; // tooltip "打印预览"

// View menu toggles.
inline constexpr int ID_VIEW_FILTER = 32843;     // "滤    波"
inline constexpr int ID_VIEW_FILL = 32845;       // "填    充"
inline constexpr int ID_VIEW_COMPRESS = 32854;   // "压    缩"
inline constexpr int ID_VIEW_PROCESSING = 32873; // "信号处理...", toolbar
inline constexpr int ID_VIEW_NEXT_TEST = 32890;  // "下一个测试\tPage Down"
inline constexpr int ID_VIEW_PREV_TEST = 32891;  // "上一个测试\tPage Up"

// Accelerator-only commands of the display-mode keys.
inline constexpr int ID_KEY_TIMEDOMAIN = 32819; // F7, same as 32795
inline constexpr int ID_KEY_SPECTRUM = 59410;   // F8, same as 32794
inline constexpr int ID_KEY_PHASE = 32820;      // F9, same as 32847
inline constexpr int ID_KEY_ENERGY = 32821;     // F10, same as 32849

// Help menu.
inline constexpr int ID_APP_ABOUT = 57664;   // "关于Veltra-Orvik(&A)...", toolbar
inline constexpr int ID_HELP_MANUAL = 57670; // "使用说明\tF1"

// Edit menu: the history of the test on screen.
inline constexpr int ID_EDIT_UNDO = 57643;       // "撤销\tCtrl+Z", with the step's name
inline constexpr int ID_EDIT_REDO = 57644;       // "重做\tCtrl+Y" (Ctrl+Shift+Z too)
inline constexpr int ID_VIEW_RESET_GAIN = 32876; // "恢复原始放大\tCtrl+0"
inline constexpr int ID_VIEW_FIT_AMPLITUDE = 32877; // "适合幅值\tCtrl+F"

// Window commands of the accelerator table.
inline constexpr int ID_NEXT_PANE = 57680; // F6
inline constexpr int ID_PREV_PANE = 57681; // Shift+F6

// Resources.
inline constexpr int IDR_MAINFRAME = 128; // menu, toolbar, accelerators, string 128
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int AFX_IDW_TOOLBAR = 0xE800;
inline constexpr int AFX_IDW_STATUS_BAR = 0xE801;
inline constexpr int ID_SEPARATOR = 0; // the status bar's message pane

inline constexpr int kRecentFileCount = 4;
inline constexpr int kInfoPaneWidth = 280; // the evaluation panel keeps this width

} // namespace rovana
