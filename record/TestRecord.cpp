#include "TestRecord.h"

#include "AnsiCodec.h"
#include "ByteBuffer.h"
#include "MgLayout.h"
#include "TestDate.h"
#include "TestFileCheck.h"

#include <cerrno>
#include <cstring>

namespace rovana {
namespace {

// Reads one zero-terminated text starting at `pos`, not reaching `end`. Returns false
// when no terminator comes within `maxBytes` bytes or before `end`.
bool ReadText(const QByteArray& bytes, int& pos, int end, int maxBytes, QByteArray& text)
{
    const int limit = std::min(end, pos + maxBytes + 1);
    for (int i = pos; i < limit; ++i) {
        if (bytes[i] == '\0') {
            text = bytes.mid(pos, i - pos);
            pos = i + 1;
            return true;
        }
    }
    return false;
}

LoadResult Malformed(const QString& detail)
{
    return LoadResult::fail(LoadStatus::Malformed, detail);
}

// Bytes 0..147 and the text block.
LoadResult ReadAnalysisBlock(const QByteArray& b, TestRecord& d)
{
    d.m_nMarkedChannels = ReadInt32(b, mg::kMarkedChannels);
    for (int c = 0; c < kChannelCount; ++c)
        for (int m = 0; m < kMarkerCount; ++m)
            d.m_nMarkers[c][m] = ReadInt32(b, mg::kMarkers + 4 * (c * kMarkerCount + m));
    for (int c = 0; c < kChannelCount; ++c) {
        const int pos = mg::kEvaluation + c * mg::kEvaluationStride;
        d.m_nGrade[c] = ReadInt32(b, pos);
        d.m_nQualityClass[c] = ReadInt32(b, pos + 4);
        d.m_fPanelAnchor[c] = ReadFloat(b, pos + 8);
    }
    for (int c = 0; c < kChannelCount; ++c) {
        d.m_fMeasured[c][0] = ReadFloat(b, mg::kMeasuredL0 + 4 * c);
        d.m_fMeasured[c][1] = ReadFloat(b, mg::kMeasuredLr + 4 * c);
    }
    d.m_nReportChannel = ReadInt32(b, mg::kReportChannel);
    d.m_bInfoSaved = ReadInt32(b, mg::kInfoSaved);
    d.m_fExposedLength = ReadFloat(b, mg::kExposedLength);
    d.m_fAnchorLength = ReadFloat(b, mg::kAnchorLength);
    d.m_nInfoWaveSpeed = ReadInt32(b, mg::kInfoWaveSpeed);
    d.m_nBoltType = ReadInt32(b, mg::kBoltType);

    QString* const texts[mg::kTextCount] = {
        nullptr, // the stored title; the record's title is always the report title
        &d.m_strItemName,
        &d.m_strBoltNo,
        &d.m_strTestDate,
        &d.m_strTestUnit,
        &d.m_strTester,
        &d.m_strGradeText,
        &d.m_strQualityClass,
        &d.m_strTestBasis,
        &d.m_strInstrument,
        &d.m_strInstallDate,
        &d.m_strProjectName,
    };
    // This program never lets the text block pass byte 511, but a writer without that
    // limit may have: the texts are read wherever they end, up to the samples.
    int pos = mg::kTextBlock;
    for (int i = 0; i < mg::kTextCount; ++i) {
        QByteArray text;
        if (!ReadText(b, pos, mg::kAcquisitionEnd, mg::kMaxTextBytes, text))
            return Malformed(QStringLiteral("第 %1 项文字超过 255 字节或超出字节 1023").arg(i + 1));
        if (texts[i])
            *texts[i] = FromAnsi(text);
    }
    d.m_strTitle = kReportTitle;
    if (pos + mg::kTextBlockTrailer > mg::kAcquisitionEnd)
        return Malformed(QStringLiteral("文字区超出字节 1023"));
    d.m_fDesignDiameter = ReadFloat(b, pos);
    d.m_fTestDiameter = ReadFloat(b, pos + 4);
    d.m_nDesignGrade = ReadInt32(b, pos + 8);
    return LoadResult::ok();
}

// Bytes 512..1023.
LoadResult ReadAcquisitionBlock(const QByteArray& b, TestRecord& d)
{
    d.m_nHighPass = ReadInt32(b, mg::kHighPass);
    d.m_nLowPass = ReadInt32(b, mg::kLowPass);
    d.m_nSampleInterval = ReadInt32(b, mg::kSampleInterval);
    d.m_nSampleCount = ReadInt32(b, mg::kSampleCount);
    for (int i = 0; i < 4; ++i)
        d.m_nReserved[i] = ReadInt32(b, mg::kReserved + 4 * i);
    d.m_nWaveSpeed = ReadInt32(b, mg::kWaveSpeed);
    d.m_fDesignLength = ReadFloat(b, mg::kDesignLength);
    d.m_fDesignL0 = ReadFloat(b, mg::kDesignL0);

    int pos = mg::kAcquisitionTexts;
    QByteArray project, file;
    const int room = mg::kAcquisitionEnd - mg::kAcquisitionTexts;
    if (!ReadText(b, pos, mg::kAcquisitionEnd, room, project) ||
        !ReadText(b, pos, mg::kAcquisitionEnd, room, file))
        return Malformed(QStringLiteral("工程或文件名称在字节 1024 之前没有结束"));
    d.m_strProject = FromAnsi(project);
    d.m_strFile = FromAnsi(file);
    if (pos + 12 > mg::kAcquisitionEnd)
        return Malformed(QStringLiteral("测试日期超出采集区（字节 1023）"));

    const int year = ReadInt32(b, pos), month = ReadInt32(b, pos + 4), day = ReadInt32(b, pos + 8);
    const auto date = LocalMidnight(year, month, day);
    if (!date)
        return LoadResult::fail(
            LoadStatus::InvalidDate,
            QStringLiteral("测试日期无效：%1-%2-%3").arg(year).arg(month).arg(day));
    d.m_tTestDate = *date;
    return LoadResult::ok();
}

void ReadSamples(const QByteArray& b, TestRecord& d)
{
    for (int c = 0; c < kChannelCount; ++c) {
        const int base = mg::kSamples + c * mg::kSamplesPerChannel * 2;
        for (int i = 0; i < mg::kSamplesPerChannel; ++i)
            d.m_nSamples[c][i] = ReadInt16(b, base + 2 * i);
    }
}

// The whole record from a file's bytes, into `d` as it stands.
LoadResult ReadRecord(const QByteArray& bytes, TestRecord& d)
{
    if (bytes.isEmpty())
        return LoadResult::fail(LoadStatus::CannotOpen, QStringLiteral("文件为空"));
    if (bytes.size() < mg::kFileSize)
        return Malformed(QStringLiteral("文件长度 %1 字节，不足 13312 字节").arg(bytes.size()));
    if (auto r = ReadAnalysisBlock(bytes, d); !r)
        return r;
    if (auto r = ReadAcquisitionBlock(bytes, d); !r)
        return r;
    ReadSamples(bytes, d);
    return LoadResult::ok();
}

// Why a read of a file gives no bytes to load, or Ok.
LoadResult ReadFailure(const RegularFileRead& read)
{
    switch (read.check) {
    case TestFileCheck::Ok:
    case TestFileCheck::Empty:
        return LoadResult::ok();
    case TestFileCheck::Missing:
        return LoadResult::fail(LoadStatus::CannotOpen, QStringLiteral("文件不存在"));
    case TestFileCheck::NotRegular:
        return LoadResult::fail(LoadStatus::CannotOpen, QStringLiteral("不是普通文件"));
    case TestFileCheck::Unreadable:
        break;
    }
    // A file in a folder that can be listed but not entered gives EACCES as well.
    if (read.error == EACCES || read.error == EPERM)
        return LoadResult::fail(LoadStatus::CannotOpen, QStringLiteral("没有读取权限"));
    return LoadResult::fail(LoadStatus::CannotOpen,
                            QString::fromLocal8Bit(std::strerror(read.error)));
}

// The bytes of the file that carry anything, or why they cannot be read. Only the first
// 13312 bytes carry anything; a longer file is read no further. The open never blocks:
// a FIFO or a device is refused before anything is read.
LoadResult ReadBytes(const QString& path, QByteArray& bytes)
{
    RegularFileRead read = ReadRegularFile(path, mg::kFileSize);
    if (auto r = ReadFailure(read); !r)
        return r;
    bytes = std::move(read.bytes);
    return LoadResult::ok();
}

} // namespace

TestRecord::TestRecord() = default;

LoadResult TestRecord::LoadFromBytes(const QByteArray& bytes)
{
    // Work on a copy so that a failure leaves this record exactly as it was.
    TestRecord next(*this);
    const LoadResult r = ReadRecord(bytes, next);
    if (r)
        *this = std::move(next);
    return r;
}

LoadResult TestRecord::Load(const QString& path)
{
    QByteArray bytes;
    if (auto r = ReadBytes(path, bytes); !r)
        return r;
    return LoadFromBytes(bytes);
}

LoadResult TestRecord::Load(const RegularFileRead& read)
{
    if (auto r = ReadFailure(read); !r)
        return r;
    return LoadFromBytes(read.bytes);
}

LoadResult TestRecord::LoadInPlace(const QString& path, QByteArray* bytesRead)
{
    QByteArray bytes;
    if (auto r = ReadBytes(path, bytes); !r)
        return r;
    const LoadResult r = ReadRecord(bytes, *this);
    if (bytesRead)
        *bytesRead = std::move(bytes);
    return r;
}

QString LoadResult::message() const
{
    switch (status) {
    case LoadStatus::Ok:
        return {};
    case LoadStatus::InvalidDate:
        return QStringLiteral("测试日期无效，无法读取文件");
    case LoadStatus::CannotOpen:
    case LoadStatus::Malformed:
        break;
    }
    return QStringLiteral("无法读取文件");
}

} // namespace rovana

namespace rovana {

QString LoadResult::described() const
{
    QString text = message();
    if (!detail.isEmpty())
        text += QStringLiteral("（%1）").arg(detail);
    return text;
}

QString LoadResult::explained(const QString& fileName) const
{
    return described() + QStringLiteral(": ") + fileName;
}

} // namespace rovana
