#pragma once

#include <QByteArray>
#include <QString>

namespace rovana::bench {

// Bolt i of a model site: three in four evaluated, every fifth with a defect, Chinese
// project texts; the samples are silent, so the echo picker gives up at once.
QByteArray SiteFile(int i);

// Writes bolts 0..count-1 as S00000.mg, S00001.mg, ... into `folder`; false on a failure.
bool WriteSite(const QString& folder, int count);

// Reads the site benchmarks' own options, --files=N (minFiles..1000000) and --folder=DIR,
// after Google Benchmark has taken its own; false, with a message, for anything else.
bool ReadSiteOptions(int argc, char** argv, int minFiles, int& files, QString& folder);

} // namespace rovana::bench
