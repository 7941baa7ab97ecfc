#pragma once

#include <QStringList>

#include <iosfwd>

namespace rovana::cli {

// `spectrum FILE.mg`: per channel, the spectrum buffer, phases, peak frequency and bin
// width as the load computes them, as a JSON array of three objects.
int RunSpectrum(const QStringList& args, std::ostream& out, std::ostream& err);

// `filter FILE.mg`: per channel, display samples 0..2047 after the low-pass filter ran on
// the raw copy, as a JSON array of three arrays.
int RunFilter(const QStringList& args, std::ostream& out, std::ostream& err);

// `process [options] FILE.mg`: per channel, samples 0..2047 after the processing chain
// (signal/ProcessingChain.h) ran on the raw samples, as a JSON array of three arrays.
int RunProcess(const QStringList& args, std::ostream& out, std::ostream& err);

} // namespace rovana::cli
