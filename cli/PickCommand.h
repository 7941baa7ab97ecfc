#pragma once

#include <QStringList>

#include <iosfwd>

namespace rovana::cli {

// `pick [--channel N] [--all-channels] FILE.mg...`: the suggested markers of one channel
// per file (N = 1..3, by default the file's report channel, channel 1 when that is outside
// 0..2), or of all three with the channels compared, one JSON object per file, an array
// for several files.
int RunPick(const QStringList& args, std::ostream& out, std::ostream& err);

} // namespace rovana::cli
