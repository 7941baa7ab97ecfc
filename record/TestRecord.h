#pragma once

#include "LoadResult.h"
#include "TestFileCheck.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>

namespace rovana {

inline constexpr int kChannelCount = 3;
inline constexpr int kMaxSampleCount = 2048;   // valid samples a file holds per channel
inline constexpr int kSampleBlockSize = 10240; // room per channel in the record
inline constexpr int kMarkerCount = 5;         // end, free end, bottom, defect start, defect end

// Indices into a channel's five markers.
enum MarkerIndex : int
{
    kMarkerEnd = 0,
    kMarkerFreeEnd = 1,
    kMarkerBottom = 2,
    kMarkerDefectStart = 3,
    kMarkerDefectEnd = 4,
};

inline const QString kReportTitle = QStringLiteral("单根锚杆检测结果表");

// One anchor-bolt test in memory: acquisition settings, three channels of samples, the
// markers and evaluation the analyst stored, and the project information of the report.
// A plain value; every part of the program reads the fields directly.
class TestRecord
{
public:
    TestRecord();
    virtual ~TestRecord() = default;
    TestRecord(const TestRecord&) = default;
    TestRecord& operator=(const TestRecord&) = default;
    bool operator==(const TestRecord&) const = default;

    // Fills the record from a ".mg" file. On any failure the record keeps exactly the
    // values it had before the call; on success every field the file carries is replaced
    // and m_strTitle is reset to the report title. Samples 2048.. of each block, which no
    // file carries, keep their values.
    LoadResult Load(const QString& path);
    // The same from the file's bytes already in memory.
    LoadResult LoadFromBytes(const QByteArray& bytes);
    // The same from a read of the file (ReadRegularFile), a failed read reported as Load
    // reports it.
    LoadResult Load(const RegularFileRead& read);
    // Load without a copy of the record, for a reader of many files that throws a record
    // away when it cannot be read: on success the same as Load, on failure the record is
    // left partly read and must not be used. `bytesRead`, when given, gets the bytes the
    // record was read from.
    LoadResult LoadInPlace(const QString& path, QByteArray* bytesRead = nullptr);

    // Acquisition block.
    int m_nHighPass = 0;       // Hz
    int m_nLowPass = 0;        // Hz
    int m_nSampleInterval = 0; // µs
    int m_nSampleCount = 0;    // valid samples per channel as stored; see UsableSampleCount
    std::array<int, 4> m_nReserved{};
    int m_nWaveSpeed = 0; // m/s
    QString m_strProject = QStringLiteral("Project");
    QString m_strFile = QStringLiteral("File");
    float m_fDesignLength = 0.0f; // m
    float m_fDesignL0 = 0.0f;     // m
    std::int64_t m_tTestDate = 0; // seconds since 1970, local midnight of the test day
    // One block of 10240 samples per channel; a file fills the first 2048.
    std::array<std::array<std::int16_t, kSampleBlockSize>, kChannelCount> m_nSamples{};

    // Project information saved by the report settings.
    int m_bInfoSaved = 0;
    QString m_strTitle = kReportTitle;
    QString m_strItemName;
    QString m_strBoltNo;
    float m_fExposedLength = 0.0f; // m
    int m_nInfoWaveSpeed = 0;      // m/s
    QString m_strTestDate;
    float m_fAnchorLength = 0.0f; // m
    QString m_strTestUnit;
    QString m_strTester;
    QString m_strGradeText;
    QString m_strQualityClass;
    QString m_strTestBasis;
    QString m_strInstrument;
    QString m_strInstallDate;

    // Evaluation per channel; grade and class indices are 0..3 or -1 for none.
    std::array<int, kChannelCount> m_nGrade{-1, -1, -1};
    std::array<int, kChannelCount> m_nQualityClass{-1, -1, -1};
    std::array<float, kChannelCount> m_fPanelAnchor{}; // m

    int m_nReportChannel = 0; // 0..2
    int m_nBoltType = 0;      // 0..4
    QString m_strProjectName;
    float m_fDesignDiameter = 0.0f; // mm
    float m_fTestDiameter = 0.0f;   // mm
    int m_nDesignGrade = 0;         // 0..3

    // Sample index of each channel's five markers; a value <= 0 means "not set".
    std::array<std::array<int, kMarkerCount>, kChannelCount> m_nMarkers{
        {{-1, -1, -1, 0, 0}, {-1, -1, -1, 0, 0}, {-1, -1, -1, 0, 0}}};
    int m_nMarkedChannels = 0;
    // Measured lengths per channel: [c][0] = L0, [c][1] = Lr, metres.
    std::array<std::array<float, 2>, kChannelCount> m_fMeasured{};
};

// Marker `marker` of `channel` as the file stores it: its sample index when it is above 0
// and the file counts at least one marked channel; none otherwise (a file that counts no
// marked channel holds no markers, whatever its marker words say).
inline int StoredMarker(const TestRecord& d, int channel, int marker)
{
    const int p = d.m_nMarkers[static_cast<std::size_t>(channel)][static_cast<std::size_t>(marker)];
    return d.m_nMarkedChannels >= 1 && p > 0 ? p : 0;
}

// The samples per channel the program works with: the stored count held to 0..2048. A
// file may store any count; the status bar shows it as stored, the spectrum is left out
// for counts outside 2..2048, and everything else uses this many samples.
inline int UsableSampleCount(const TestRecord& d)
{
    return std::clamp(d.m_nSampleCount, 0, kMaxSampleCount);
}

} // namespace rovana
