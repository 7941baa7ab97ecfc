#pragma once

namespace rovana {

// Display modes: the command identifiers of the View menu's four mode items.
inline constexpr int ID_VIEW_TIMEDOMAIN = 32795; // "时    域" F7
inline constexpr int ID_VIEW_SPECTRUM = 32794;   // "频    谱" F8
inline constexpr int ID_VIEW_PHASE = 32847;      // "相    位" F9
inline constexpr int ID_VIEW_ENERGY = 32849;     // "瞬时能量" F10

// The main frame's display state, read by the channel views and the loading path.
// The main frame owns the one instance; nothing else keeps a copy.
struct DisplaySettings
{
    int m_nDisplayMode = ID_VIEW_TIMEDOMAIN;
    int m_bFilter = 1;             // display samples are the low-pass filtered signal
    int m_bFill = 0;               // positive lobes of the time-domain trace are filled
    int m_bCompress = 1;           // the window width stands for 10240 µs of signal
    int m_bCompressUsed = 0;       // compress was toggled at least once
    float m_fPeakFrequency = 0.0f; // Hz, of the last channel transformed
    float m_fBinWidth = 0.0f;      // Hz per spectrum bin, of the last channel transformed
};

} // namespace rovana
