#pragma once

namespace rovana {

// Private messages a channel view takes from its dialogs (wParam carries the value).
inline constexpr int WM_USER = 0x0400;
inline constexpr int WM_SETMAXAMPLITUDE = WM_USER + 100; // new maximum amplitude
inline constexpr int WM_SETWAVESPEED = WM_USER + 101;    // new wave speed, m/s
inline constexpr int WM_SETMAGNIFY = WM_USER + 102;      // index of the magnification choice

} // namespace rovana
