#pragma once

#include <QByteArray>
#include <QString>

namespace rovana {

// Texts inside ".mg" files are 8-bit, in code page 936 (GBK). ASCII passes unchanged.

// Decodes code page 936; a byte sequence that is not valid becomes U+FFFD.
QString FromAnsi(const QByteArray& bytes);

// Encodes into code page 936; a character the code page lacks becomes '?', as the
// system conversion does.
QByteArray ToAnsi(const QString& text);

} // namespace rovana
