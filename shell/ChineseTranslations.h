#pragma once

#include <QString>

namespace rovana {

// Makes the framework's own texts Chinese whatever the system locale: sets zh_CN as the
// default locale and installs Qt's Chinese catalogue (qtbase_zh_CN.qm, else the qt_zh_CN.qm
// collection) from `folder`, by default Qt's translations folder (Debian's
// qt6-translations-l10n). File, print, preview and message dialogs then speak Chinese.
// Needs a QCoreApplication. Returns false, with nothing installed, when no catalogue is
// found there; the locale is set either way.
bool InstallChineseTranslations(const QString& folder = {});

} // namespace rovana
