#pragma once

// The four display modes of the View menu with their texts and keys.

#include "CommandIds.h"
#include "DisplaySettings.h"

#include <QString>
#include <Qt>

namespace rovana {

// The four display modes with their menu texts and keys.
struct ModeCommand
{
    int id;
    int keyId;
    const char16_t* text;
    Qt::Key key;
};

inline constexpr ModeCommand kModes[] = {
    {ID_VIEW_TIMEDOMAIN, ID_KEY_TIMEDOMAIN, u"时    域     \tF7", Qt::Key_F7},
    {ID_VIEW_SPECTRUM, ID_KEY_SPECTRUM, u"频    谱    \tF8", Qt::Key_F8},
    {ID_VIEW_PHASE, ID_KEY_PHASE, u"相    位    \tF9", Qt::Key_F9},
    {ID_VIEW_ENERGY, ID_KEY_ENERGY, u"瞬时能量    \tF10", Qt::Key_F10},
};

// A text of the tables above.
inline QString Text(const char16_t* s)
{
    return QString::fromUtf16(s);
}

} // namespace rovana
