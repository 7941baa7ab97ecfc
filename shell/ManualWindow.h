#pragma once

#include <QString>

class QWidget;

namespace rovana {

// The user manual (Chinese, HTML in the program's resources, the same file the package
// installs under /usr/share/doc/rovana) in a window of its own. One window per parent:
// asking again raises it.
void ShowManual(QWidget* parent);

// The manual's HTML; empty when the resource is missing.
QString ManualHtml();

} // namespace rovana
