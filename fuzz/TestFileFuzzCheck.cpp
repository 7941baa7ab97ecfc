#include "TestFileFuzzCheck.h"

#include "AnalysisSave.h"
#include "AnsiCodec.h"
#include "FuzzRequire.h"
#include "LowPass.h"
#include "MgFileIo.h"
#include "MgLayout.h"
#include "NumberText.h"
#include "ProjectInfoSave.h"
#include "ReachFuzzCheck.h"
#include "ReportSheet.h"
#include "SheetDocument.h"
#include "Spectrum.h"
#include "TestRecord.h"

#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace rovana::fuzz {
namespace {

// Every float of a record, so that NaNs (which compare unequal to themselves) can be
// compared by their positions.
std::vector<float*> Floats(TestRecord& d)
{
    std::vector<float*> f{&d.m_fDesignLength, &d.m_fDesignL0,       &d.m_fExposedLength,
                          &d.m_fAnchorLength, &d.m_fDesignDiameter, &d.m_fTestDiameter};
    for (float& v : d.m_fPanelAnchor)
        f.push_back(&v);
    for (auto& pair : d.m_fMeasured)
        for (float& v : pair)
            f.push_back(&v);
    return f;
}

// The whole record equal, with a NaN equal to a NaN in the same field.
bool SameRecord(const TestRecord& a, const TestRecord& b)
{
    TestRecord x = a, y = b;
    const std::vector<float*> fx = Floats(x), fy = Floats(y);
    for (std::size_t i = 0; i < fx.size(); ++i) {
        const bool nx = std::isnan(*fx[i]), ny = std::isnan(*fy[i]);
        if (nx != ny)
            return false;
        if (nx)
            *fx[i] = *fy[i] = 0.0f;
    }
    return x == y;
}

WriteOptions NoWaitForTheDisk()
{
    WriteOptions o;
    o.syncFile = [](int) { return 0; };
    o.syncFolder = [](int) { return 0; };
    return o;
}

// Sizes without fonts: every character 40 pixels per point of a 12-point face.
QSize FixedMeasure(const QString& text, double pointSize)
{
    const int h = static_cast<int>(pointSize * 8.0);
    return {static_cast<int>(text.size()) * h, h};
}

void RunSignals(const TestRecord& d)
{
    for (int c = 0; c < kChannelCount; ++c) {
        std::array<std::int16_t, kSpectrumLength> spectrum{};
        std::array<std::int32_t, kPhaseLength> phase{};
        std::copy_n(d.m_nSamples[c].begin(), spectrum.size(), spectrum.begin());
        const SpectrumResult r = ComputeSpectrum(
            spectrum, phase, static_cast<float>(d.m_nSampleInterval), d.m_nSampleCount);
        Require(r.transformSize >= 0 && r.transformSize <= kSpectrumLength, "transform size");

        std::array<std::int16_t, kMaxSampleCount> raw{};
        std::copy_n(d.m_nSamples[c].begin(), raw.size(), raw.begin());
        std::array<std::int16_t, kSampleBlockSize> display{};
        LowPass(display, raw, d.m_nSampleInterval, d.m_nSampleCount);
        Require(std::all_of(display.begin() + kMaxSampleCount, display.end(),
                            [](std::int16_t v) { return v == 0; }),
                "filter wrote past 2048 samples");
    }
}

void RunSheet(const QString& path, TestRecord& printData)
{
    const sheet::SheetDevice a4{4960, 7016, 600};
    const TestRecord before = printData;
    TestRecord current;
    const bool readable = static_cast<bool>(current.Load(path));
    LoadResult loaded;
    const sheet::SheetDrawList items = sheet::DrawReportPage(
        a4, path, printData, sheet::SettingsAfterOpening(current), FixedMeasure, &loaded);
    Require(static_cast<bool>(loaded) == readable, "sheet load differs from the reader");
    Require(!items.empty(), "a page draws something");
    Require(items.size() < 200000, "sheet items run away");
    if (!loaded)
        Require(SameRecord(printData, before), "an unreadable page changed the print record");
}

AnalysisValues AnalysisFrom(const TestRecord& d)
{
    AnalysisValues v;
    for (int c = 0; c < kChannelCount; ++c) {
        ChannelAnalysis& ch = v.channels[c];
        for (int m = 0; m < kMarkerCount; ++m) {
            ch.markerSet[m] = d.m_nMarkers[c][m] > 0 || (d.m_nMarkers[c][m] & 1);
            ch.markerPos[m] = d.m_nMarkers[c][m] ^ 0x5A5A;
        }
        ch.measuredL0 = d.m_fMeasured[c][0];
        ch.measuredLr = d.m_fMeasured[c][1];
        ch.grade = d.m_nGrade[c];
        ch.qualityClass = d.m_nQualityClass[c];
        ch.anchor = d.m_fPanelAnchor[c];
    }
    v.activeChannel = d.m_nReportChannel ^ 3;
    v.waveSpeed = d.m_nWaveSpeed + 1;
    return v;
}

// What a load of the saved analysis gives: the record with the analysis fields replaced.
TestRecord WithAnalysis(TestRecord d, const AnalysisValues& v)
{
    int marked = 0;
    for (int c = 0; c < kChannelCount; ++c) {
        const ChannelAnalysis& ch = v.channels[c];
        for (int m = 0; m < kMarkerCount; ++m)
            d.m_nMarkers[c][m] = ch.markerSet[m] ? ch.markerPos[m] : 0;
        d.m_nGrade[c] = ch.grade;
        d.m_nQualityClass[c] = ch.qualityClass;
        d.m_fPanelAnchor[c] = ch.anchor;
        d.m_fMeasured[c][0] = ch.markerSet[kMarkerFreeEnd] ? ch.measuredL0 : 0.0f;
        d.m_fMeasured[c][1] = ch.markerSet[kMarkerBottom] ? ch.measuredLr : 0.0f;
        if (ch.markerSet[kMarkerEnd] || ch.markerSet[kMarkerFreeEnd] || ch.markerSet[kMarkerBottom])
            ++marked;
    }
    if (marked >= 1)
        d.m_nMarkedChannels = marked;
    d.m_nReportChannel = v.activeChannel;
    d.m_nWaveSpeed = v.waveSpeed;
    return d;
}

ProjectInfoValues ProjectInfoFrom(const TestRecord& d)
{
    ProjectInfoValues v;
    v.reportChannel = d.m_nReportChannel;
    v.exposedLength = QString::number(d.m_fExposedLength);
    v.anchorLength = QString::number(d.m_fAnchorLength);
    v.waveSpeed = QString::number(d.m_nInfoWaveSpeed);
    v.boltType = d.m_nBoltType;
    v.designGrade = d.m_nDesignGrade;
    v.title = d.m_strTitle;
    v.itemName = d.m_strItemName;
    v.boltNo = d.m_strBoltNo;
    v.testDate = d.m_strTestDate;
    v.testUnit = d.m_strTestUnit;
    v.tester = d.m_strTester;
    v.gradeText = d.m_strGradeText;
    v.qualityClass = d.m_strQualityClass;
    v.testBasis = d.m_strTestBasis;
    v.instrument = d.m_strInstrument;
    v.installDate = d.m_strInstallDate;
    v.projectName = d.m_strProjectName;
    v.designDiameter = QString::number(d.m_fDesignDiameter);
    v.testDiameter = QString::number(d.m_fTestDiameter);
    return v;
}

// What a load of the saved project information gives.
TestRecord WithProjectInfo(TestRecord d, const ProjectInfoValues& v)
{
    const auto stored = [](const QString& text) { return FromAnsi(ToAnsi(text)); };
    d.m_nReportChannel = v.reportChannel;
    d.m_bInfoSaved = 1;
    d.m_fExposedLength = LenientToFloat(v.exposedLength);
    d.m_fAnchorLength = LenientToFloat(v.anchorLength);
    d.m_nInfoWaveSpeed = LenientToInt(v.waveSpeed);
    d.m_nBoltType = v.boltType;
    d.m_strItemName = stored(v.itemName);
    d.m_strBoltNo = stored(v.boltNo);
    d.m_strTestDate = stored(v.testDate);
    d.m_strTestUnit = stored(v.testUnit);
    d.m_strTester = stored(v.tester);
    d.m_strGradeText = stored(v.gradeText);
    d.m_strQualityClass = stored(v.qualityClass);
    d.m_strTestBasis = stored(v.testBasis);
    d.m_strInstrument = stored(v.instrument);
    d.m_strInstallDate = stored(v.installDate);
    d.m_strProjectName = stored(v.projectName);
    d.m_fDesignDiameter = LenientToFloat(v.designDiameter);
    d.m_fTestDiameter = LenientToFloat(v.testDiameter);
    d.m_nDesignGrade = v.designGrade;
    return d;
}

// Bytes outside [from, to) are the same and the length too.
bool SameOutside(const QByteArray& a, const QByteArray& b, qsizetype from, qsizetype to)
{
    return a.size() == b.size() && a.left(from) == b.left(from) && a.mid(to) == b.mid(to);
}

// Saves the analysis into a copy and the project information into the file itself, and
// reloads both. `loaded` tells whether the fuzzed bytes loaded into `record`.
void RunWriters(const QTemporaryDir& dir, const QByteArray& bytes, const TestRecord& record,
                bool loaded)
{
    const QString source = dir.filePath("source.mg");
    const QString copy = dir.filePath("analysis.mg");
    const QString info = dir.filePath("info.mg");
    const bool whole = bytes.size() >= mg::kFileSize && bytes.size() <= kMaxTestFileBytes;

    const AnalysisValues analysis = AnalysisFrom(record);
    const WriteResult a = SaveAnalysis(source, copy, analysis, NoWaitForTheDisk());
    Require(static_cast<bool>(a) == whole, "analysis save of a whole file");
    if (a) {
        const QByteArray saved = ReadWholeTestFile(copy).value_or(QByteArray());
        QByteArray expected = bytes;
        PatchAnalysis(expected, analysis);
        Require(saved == expected, "saved analysis differs from the patched bytes");
        // Its own bytes are 0..127 and the wave speed.
        QByteArray outside = saved;
        outside.replace(mg::kWaveSpeed, 4, bytes.mid(mg::kWaveSpeed, 4));
        Require(SameOutside(outside, bytes, 0, mg::kReportChannel + 4),
                "analysis save touched bytes it does not own");
        TestRecord reread = record;
        const bool reloaded = static_cast<bool>(reread.Load(copy));
        Require(reloaded == loaded, "analysis save changed whether the file loads");
        if (loaded)
            Require(SameRecord(reread, WithAnalysis(record, analysis)), "analysis reload");
    }

    QFile::remove(info);
    Require(QFile::copy(source, info), "copy for the project information");
    const ProjectInfoValues values = ProjectInfoFrom(record);
    const WriteResult p = SaveProjectInfo(info, values, NoWaitForTheDisk());
    const QByteArray after = ReadWholeTestFile(info).value_or(bytes);
    if (!p) {
        Require(!whole || p.status == WriteStatus::TextTooLong, "project save of a whole file");
        Require(after == bytes, "a refused project save changed the file");
        return;
    }
    Require(whole, "project save of a file that is not whole");
    const auto block = BuildTextBlock(values);
    Require(block.has_value(), "saved texts that do not fit");
    Require(SameOutside(after, bytes, mg::kReportChannel, mg::kTextBlock + block->size()),
            "project save touched bytes it does not own");
    Require(mg::kTextBlock + block->size() <= mg::kAnalysisEnd, "text block past byte 511");
    TestRecord reread = record;
    if (loaded) {
        Require(static_cast<bool>(reread.Load(info)), "project save made the file unreadable");
        Require(SameRecord(reread, WithProjectInfo(record, values)), "project reload");
    } else {
        reread.Load(info); // may load now that the text block is sound; must not crash
    }
}

} // namespace

int CheckTestFileBytes(const std::uint8_t* data, std::size_t size)
{
    static TestRecord record;
    static TestRecord printData;
    static QTemporaryDir dir;
    Require(dir.isValid(), "temporary folder");
    // A record holding NaN cannot be compared with operator==; start such a run afresh.
    if (!(record == record))
        record = TestRecord();

    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const TestRecord before = record;
    const LoadResult result = record.LoadFromBytes(bytes);
    if (!result) {
        Require(record == before, "a refused load changed the record");
    } else {
        Require(record.m_strTitle == kReportTitle, "title");
        for (const auto& block : record.m_nSamples)
            Require(std::all_of(block.begin() + kMaxSampleCount, block.end(),
                                [](std::int16_t v) { return v == 0; }),
                    "samples past 2048");
        RunSignals(record);
    }

    // The same bytes from disk give the same outcome and the same record.
    const QString source = dir.filePath("source.mg");
    QFile::remove(source);
    const WriteResult written = WriteWholeFileSafely(source, bytes, NoWaitForTheDisk());
    Require(static_cast<bool>(written), "writing the input");
    TestRecord fromDisk = before;
    const LoadResult diskResult = fromDisk.Load(source);
    Require(diskResult.status == result.status, "disk load differs from memory load");
    Require(SameRecord(fromDisk, record), "disk record differs from memory record");

    RunSheet(source, printData);
    RunSummaryRow(source, static_cast<bool>(result), record);
    if (result) {
        // The bytes past the file's end steer the picker's and the chain's hostile inputs;
        // without them, the last bytes of the file do.
        const QByteArray knobs =
            bytes.size() > mg::kFileSize ? bytes.mid(mg::kFileSize) : bytes.right(64);
        RunPicker(record, knobs);
        RunChain(record, knobs);
    }
    RunWriters(dir, bytes, record, static_cast<bool>(result));
    return 0;
}

} // namespace rovana::fuzz
