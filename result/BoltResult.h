#pragma once

#include "TestRecord.h"

#include <QString>

#include <optional>

namespace rovana {

// What a bolt's sheet, its summary row, the panel after loading and the command line say
// about one bolt, computed from the test record alone by ResultOf. Nothing else decides
// a bolt's lengths, grade, class or verdict.

enum class Verdict
{
    NotEvaluated, // no grade and class from an evaluation with the end and bottom set
    Pass,
    Fail, // class IV
};

// The defect range of a channel: both defect markers and the end set.
struct DefectRange
{
    float from = 0.0f; // m below the end, cut to centimetres
    float to = 0.0f;
    bool beyondBottom = false; // a depth lies past the bottom marker
    friend bool operator==(const DefectRange&, const DefectRange&) = default;
};

// One channel's analysis as stored in the file's analysis block.
struct ChannelResult
{
    int channel = -1; // 0..2, -1 for a report channel outside 0..2
    // The end and bottom markers are set and the header lies within every instrument's
    // range (HeaderOutOfRange): lengths come from the interval and the wave speed.
    bool measured = false;
    // L, L0 and Lr by the length rule from the markers at the record's wave speed (L0 cut
    // to centimetres, 0 without a free end; Lr = L - L0); 0 when the channel is not
    // measured. The stored copies of the lengths are never read.
    float freeLength = 0.0f;
    float anchorLength = 0.0f;
    float length = 0.0f;
    int grade = -1;        // 0..3 (A..D); -1 unless evaluated
    int qualityClass = -1; // 0..3 (I..IV); -1 unless evaluated
    std::optional<DefectRange> defect;

    bool Evaluated() const { return grade >= 0 && qualityClass >= 0; }
};

struct BoltResult
{
    // Identity: the report information's texts where it was saved, else the
    // instrument's file text and test date.
    QString boltNo;
    QString testDate;

    float designLength = 0.0f;
    float designFreeLength = 0.0f;
    // Why the header gives no lengths (HeaderOutOfRange), or empty.
    QString headerProblem;

    ChannelResult report; // the report channel's analysis
    Verdict verdict = Verdict::NotEvaluated;

    // L / design L in percent, one decimal, from the lengths as shown with two decimals;
    // none when either shown length is 0.
    std::optional<double> lengthRatio;

    QString GradeText() const; // empty unless evaluated
    QString ClassText() const; // empty unless evaluated
};

// One channel's analysis: lengths only with the end and bottom markers set and the header
// within every instrument's range; the grade when it is a valid index on such a channel,
// with the class the rule derives from it and L (the stored class is never read). The
// texts of the report information never enter.
ChannelResult ChannelResultOf(const TestRecord& record, int channel);

// The bolt's result: its report channel's analysis and identity.
BoltResult ResultOf(const TestRecord& record);

// The verdict of a channel's analysis: not evaluated, a pass, or a fail for class IV.
Verdict VerdictOf(const ChannelResult& result);
// 合格, 不合格 or 未评定.
QString VerdictText(Verdict verdict);

// Metres between sample indices a and b of the record at its wave speed, uncut: L as the
// channel view measures it (half the two-way time times the speed, in this order of float
// and double steps).
float UncutMarkerDistance(const TestRecord& record, int a, int b);
// The same, cut (not rounded) to centimetres: L0 and the defect range.
float MarkerDistance(const TestRecord& record, int a, int b);

// A length ratio in percent with one decimal, from two lengths as shown with two decimals;
// none when either is 0 or not finite.
std::optional<double> ShownLengthRatio(float length, float designLength);

} // namespace rovana
