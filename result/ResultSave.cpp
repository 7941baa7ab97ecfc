#include "ResultSave.h"

#include "BoltResult.h"
#include "ByteBuffer.h"
#include "MgLayout.h"
#include "ProjectInfoSave.h"

namespace rovana {

void PatchResults(QByteArray& bytes, const AnalysisValues& values)
{
    PatchAnalysis(bytes, values);
    if (bytes.size() < mg::kAnalysisEnd || ReadInt32(bytes, mg::kInfoSaved) != 1)
        return;
    TestRecord record;
    if (!record.LoadFromBytes(bytes))
        return;
    const BoltResult result = ResultOf(record);
    PatchReportCopies(bytes, {result.GradeText(), result.ClassText(), result.report.freeLength,
                              result.report.anchorLength});
}

WriteResult SaveResults(const QString& source, const QString& target, const AnalysisValues& values,
                        const WriteOptions& options)
{
    return SaveAnalysis(source, target, values, options, PatchResults);
}

} // namespace rovana
