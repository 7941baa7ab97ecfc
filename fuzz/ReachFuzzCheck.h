#pragma once

#include "TestRecord.h"

#include <QByteArray>
#include <QString>

namespace rovana::fuzz {

// What a fuzzed file reaches past the reader and the writers. Each aborts (Require) on a
// broken promise.

// The suggested markers of every channel, and the picker itself with design lengths,
// intervals and wave speeds no instrument writes (drawn from `knobs`): every marker within
// the record, lengths only from a header within every instrument's range, and finite.
void RunPicker(const TestRecord& record, const QByteArray& knobs);

// The processing chain with hostile settings drawn from `knobs` (kind, order, cut-offs as
// raw doubles, shares of the rate or values at the limits, gain), on the record's samples
// and on its sheet: no non-finite output, nothing at -32768 that is not below it, the
// input back exactly when nothing is applied, a bounded output from every filter applied,
// the sheet's "信号处理" line exactly for what was applied, and nothing from liquid-dsp on
// standard error.
void RunChain(const TestRecord& record, const QByteArray& knobs);

// The summary's row of the file at `path` (which `loaded` says loaded into `record`): its
// cells, its place in the statistics, and no length from a header out of range.
void RunSummaryRow(const QString& path, bool loaded, const TestRecord& record);

} // namespace rovana::fuzz
