#pragma once

#include <array>

namespace rovana {

// Commands of a channel view's context menu (menu 130, first submenu); each menu action
// carries its identifier as object name.
inline constexpr int IDR_CHANNEL_MENU = 130;
inline constexpr int ID_MARKER_CLEAR = 32818;       // "清    除"
inline constexpr int ID_SET_AMPLITUDE = 32828;      // "幅    值"
inline constexpr int ID_SET_WAVESPEED = 32833;      // "波    速"
inline constexpr int ID_SET_MAGNIFY = 32836;        // "放    大"
inline constexpr int ID_MARKER_END = 32829;         // "端    部"
inline constexpr int ID_MARKER_FREEEND = 32830;     // "自 由 端"
inline constexpr int ID_MARKER_BOTTOM = 32831;      // "底    部"
inline constexpr int ID_MARKER_DEFECTSTART = 32839; // "缺陷起点"
inline constexpr int ID_MARKER_DEFECTEND = 32840;   // "缺陷终点"
// Suggested markers: "自动识别" shows them dashed, "采用" (or Enter) places them as the
// marker commands would, Esc drops them. After the menu's own items.
inline constexpr int ID_AUTO_PICK = 32870;       // "自动识别"
inline constexpr int ID_TAKE_SUGGESTION = 32871; // "采    用"
// The wave speed that gives a bolt of known length, for this test or the whole folder.
inline constexpr int ID_CALIBRATE_SPEED = 32872; // "由已知长度标定波速"
// The site's reference bolt, drawn grey behind every time-domain trace of the folder.
inline constexpr int ID_SET_REFERENCE = 32874;   // "设为参考波形"
inline constexpr int ID_CLEAR_REFERENCE = 32875; // "清除参考"
// The File menu's Save (Ctrl+S): a channel view hands it to the report view.
inline constexpr int ID_CHANNEL_SAVE = 57603;

// Dialog resources of the three small dialogs (each dialog's object name).
inline constexpr int IDD_SET_AMPLITUDE = 142;
inline constexpr int IDD_SET_WAVESPEED = 143;
inline constexpr int IDD_SET_MAGNIFY = 144;

// Virtual-key codes a channel view reacts to.
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;

struct ChannelMenuItem
{
    int id;           // 0 for a separator
    const char* text; // UTF-8
};

// The context menu, top to bottom.
inline constexpr std::array<ChannelMenuItem, 19> kChannelMenu{{
    {ID_MARKER_CLEAR, "清    除"},
    {ID_SET_AMPLITUDE, "幅    值"},
    {ID_SET_WAVESPEED, "波    速"},
    {ID_SET_MAGNIFY, "放    大"},
    {0, ""},
    {ID_MARKER_END, "端    部"},
    {ID_MARKER_FREEEND, "自 由 端"},
    {ID_MARKER_BOTTOM, "底    部"},
    {0, ""},
    {ID_MARKER_DEFECTSTART, "缺陷起点"},
    {ID_MARKER_DEFECTEND, "缺陷终点"},
    {0, ""},
    {ID_AUTO_PICK, "自动识别"},
    {ID_TAKE_SUGGESTION, "采    用"},
    {0, ""},
    {ID_CALIBRATE_SPEED, "由已知长度标定波速"},
    {0, ""},
    {ID_SET_REFERENCE, "设为参考波形"},
    {ID_CLEAR_REFERENCE, "清除参考"},
}};

} // namespace rovana
