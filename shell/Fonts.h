#pragma once

#include <QStringList>

namespace rovana {

// The Song-style faces that stand in for "宋体" (and its Latin name "SimSun") on Linux,
// best first. Debian's fonts-noto-cjk provides the first.
QStringList SongFaceSubstitutes();

// Makes every font request for "宋体" / "SimSun" resolve to an installed Song-style CJK
// face. Call once after the QApplication exists and before any widget draws.
void InstallFontSubstitutions();

} // namespace rovana
