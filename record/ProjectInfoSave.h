#pragma once

#include "MgFileIo.h"

#include <QString>

namespace rovana {

// The report settings dialog's values, as texts where the dialog holds texts.
struct ProjectInfoValues
{
    int reportChannel = 0; // 0..2
    QString exposedLength; // m, read leniently as a decimal number
    QString anchorLength;  // m
    QString waveSpeed;     // m/s, read leniently as an integer
    int boltType = 0;      // selection index, -1 for none
    int designGrade = 0;   // selection index, -1 for none

    // The twelve texts, in the order they are stored.
    QString title;
    QString itemName;
    QString boltNo;
    QString testDate;
    QString testUnit;
    QString tester;
    QString gradeText;
    QString qualityClass;
    QString testBasis;
    QString instrument;
    QString installDate;
    QString projectName;

    QString designDiameter; // mm
    QString testDiameter;   // mm
};

// Builds the text block (the twelve texts in code page 936, each with its zero byte,
// then the two diameters and the design grade). Nothing when a text exceeds 255 bytes
// or the block would run past byte 511; `why` then says which.
std::optional<QByteArray> BuildTextBlock(const ProjectInfoValues& values, QString* why = nullptr);

// Patches bytes 124..147 and the text block. Returns false, leaving `bytes` as they
// were, when the texts do not fit.
bool PatchProjectInfo(QByteArray& bytes, const ProjectInfoValues& values, QString* why = nullptr);

// The report information's copies of the report channel's analysis: bytes 132..139 (free
// and anchored length) and the grade and class texts (the seventh and eighth texts), the
// other texts and the three trailing values kept byte for byte. The texts stay as they
// were when the block would not end before byte 512 or has no end there (a damaged file).
struct ReportCopies
{
    QString gradeText;
    QString qualityClass;
    float exposedLength = 0.0f;
    float anchorLength = 0.0f;
};
void PatchReportCopies(QByteArray& bytes, const ReportCopies& copies);

// Reads the test file whole, patches it and writes it back crash-safely. A file that
// cannot be opened for reading and writing gives "无法读取文件"; texts that do not fit
// into the analysis block are refused with a message and nothing is written.
WriteResult SaveProjectInfo(const QString& path, const ProjectInfoValues& values,
                            const WriteOptions& options = {});

} // namespace rovana
