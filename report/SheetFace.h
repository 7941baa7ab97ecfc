#pragma once

#include <QStringList>

namespace rovana::sheet {

// The Song-style face the sheet is drawn with on Linux: Noto Serif CJK SC with the same
// outlines and metrics, derived at build time so that a PDF gives its text back (its cmap
// has no radicals sharing an ideograph's glyph, and it has no glyph substitutions).
inline constexpr char kSheetFaceFamily[] = "Rovana Serif CJK SC";
inline constexpr char kSheetFaceFile[] = "RovanaSerifCJKSC-Regular.otf";

// The folders searched for kSheetFaceFile, in order: the program's folder followed by the
// installation's path from programs to fonts (this also finds the face in the build tree),
// then the installation's font folder itself.
QStringList SheetFaceFolders();

// Registers the derived face with the application's fonts the first time it is called;
// later calls return the first result. False when no folder holds a usable face. Needs a
// QGuiApplication.
bool LoadSheetFace();

// The families of the sheet's text, best first: SongFamilies() with the derived face, when
// it could be loaded, just before the face it comes from ("宋体" and SimSun, where
// installed, stay first; the source stays for the few characters the derived face lacks).
QStringList SheetFamilies();

} // namespace rovana::sheet
