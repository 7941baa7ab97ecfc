#pragma once

namespace rovana::bench {

// Sheets and summary pages draw text: they need the fonts of a GUI application, without a
// display. Creates one on first use (offscreen unless QT_QPA_PLATFORM says otherwise);
// false when another kind of application already exists.
bool EnsureGuiApplication();

} // namespace rovana::bench
