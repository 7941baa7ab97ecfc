#pragma once

#include <QIcon>

namespace rovana {

// The program icon: a bolt with an echo trace, drawn at run time; the installed icon
// (data/rovana.svg) shows the same picture.
QIcon ProgramIcon();

// The image of a toolbar button for command `id` (toolbar 128): the desktop theme's icon
// where there is one, else the style's standard icon, else a drawn letter.
QIcon ToolbarIcon(int id);

} // namespace rovana
