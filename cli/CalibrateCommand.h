#pragma once

#include <QStringList>

#include <iosfwd>

namespace rovana::cli {

// `calibrate --known-length METRES [--channel N] [--apply-to-folder] FILE.mg` and
// `calibrate --restore FOLDER`: the wave speed of a bolt of known length, written into
// every test of its folder through the calibration journal, and taken back.
int RunCalibrate(const QStringList& args, std::ostream& out, std::ostream& err);

} // namespace rovana::cli
