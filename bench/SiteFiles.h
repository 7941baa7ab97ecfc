#pragma once

#include <QByteArray>
#include <QString>

namespace rovana::bench {

// Bolt i of a model site: three in four evaluated, every fifth with a defect, Chinese
// project texts; the samples are silent, so the echo picker gives up at once.
QByteArray SiteFile(int i);

// Writes bolts 0..count-1 as S00000.mg, S00001.mg, ... into `folder`; false on a failure.
bool WriteSite(const QString& folder, int count);

} // namespace rovana::bench
