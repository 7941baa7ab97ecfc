#pragma once

namespace rovana {

class CFileData;
struct DisplaySettings;

// What a channel view reads from the report view that hosts it. The report view
// implements this; tests may give a channel view a host of their own.
class CMyViewHost
{
public:
    virtual ~CMyViewHost() = default;
    // The record currently displayed (m_CurData).
    virtual const CFileData& CurrentRecord() const = 0;
    // The main frame's display mode and switches.
    virtual const DisplaySettings& Display() const = 0;
    // Index 0..2 of the selected channel view, or -1.
    virtual int ActiveChannel() const = 0;
};

} // namespace rovana
