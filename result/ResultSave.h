#pragma once

#include "AnalysisSave.h"

namespace rovana {

// The bytes a save of the analysis writes: PatchAnalysis, then, where the report
// information was saved before, its copies of the report channel's grade, class, free and
// anchored length refreshed from the patched analysis (PatchReportCopies). A file this
// program wrote and nobody changed comes out byte for byte as it was.
void PatchResults(QByteArray& bytes, const AnalysisValues& values);

// Reads `source` whole, PatchResults, and writes `target` (which may be the source)
// crash-safely. The length never changes; on failure the target stays as it was.
WriteResult SaveResults(const QString& source, const QString& target, const AnalysisValues& values,
                        const WriteOptions& options = {});

} // namespace rovana
