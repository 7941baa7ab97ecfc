#include "ByteBuffer.h"
#include "MgLayout.h"
#include "TestDate.h"
#include "TestFiles.h"
#include "TestRecord.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace rovana {
namespace {

using test::SampleRecord;

TEST(LoadTest, ReadsEveryFieldTheInstrumentWrote)
{
    const InstrumentRecord r = SampleRecord();
    TestRecord d;
    ASSERT_TRUE(d.LoadFromBytes(ComposeInstrumentFile(r)));
    EXPECT_EQ(d.m_nHighPass, 10);
    EXPECT_EQ(d.m_nLowPass, 5000);
    EXPECT_EQ(d.m_nSampleInterval, 10);
    EXPECT_EQ(d.m_nSampleCount, 1024);
    EXPECT_EQ(d.m_nReserved, (std::array<int, 4>{1, 2, 3, 4}));
    EXPECT_EQ(d.m_nWaveSpeed, 3500);
    EXPECT_EQ(d.m_fDesignLength, 3.5f);
    EXPECT_EQ(d.m_fDesignL0, 0.5f);
    EXPECT_EQ(d.m_strProject, QStringLiteral("隧道K12"));
    EXPECT_EQ(d.m_strFile, "MG0001");
    EXPECT_EQ(FormatDate(d.m_tTestDate), "2026-05-12");
    EXPECT_EQ(d.m_tTestDate, *LocalMidnight(2026, 5, 12));
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 2048; ++i)
            ASSERT_EQ(d.m_nSamples[c][i], r.samples[c][i]);
    // A fresh instrument file: no grades, no markers, empty texts.
    EXPECT_EQ(d.m_nGrade, (std::array<int, 3>{-1, -1, -1}));
    EXPECT_EQ(d.m_nMarkers[2], (std::array<int, 5>{0, 0, 0, 0, 0}));
    EXPECT_TRUE(d.m_strProjectName.isEmpty());
}

TEST(LoadTest, ReadsTheAnalysisBlockAtItsPositions)
{
    QByteArray b = ComposeInstrumentFile(SampleRecord());
    WriteInt32(b, 0, 2);
    for (int i = 0; i < 15; ++i)
        WriteInt32(b, 4 + 4 * i, 100 + i);
    for (int c = 0; c < 3; ++c) {
        WriteInt32(b, 64 + 12 * c, c);
        WriteInt32(b, 68 + 12 * c, 3 - c);
        WriteFloat(b, 72 + 12 * c, 1.25f * (c + 1));
        WriteFloat(b, 100 + 4 * c, 0.5f + c);
        WriteFloat(b, 112 + 4 * c, 2.75f + c);
    }
    WriteInt32(b, 124, 2);
    WriteInt32(b, 128, 1);
    WriteFloat(b, 132, 0.69f);
    WriteFloat(b, 136, 2.81f);
    WriteInt32(b, 140, 3600);
    WriteInt32(b, 144, 4);
    TestRecord d;
    ASSERT_TRUE(d.LoadFromBytes(b));
    EXPECT_EQ(d.m_nMarkedChannels, 2);
    EXPECT_EQ(d.m_nMarkers[0][0], 100);
    EXPECT_EQ(d.m_nMarkers[1][2], 107);
    EXPECT_EQ(d.m_nMarkers[2][4], 114);
    EXPECT_EQ(d.m_nGrade, (std::array<int, 3>{0, 1, 2}));
    EXPECT_EQ(d.m_nQualityClass, (std::array<int, 3>{3, 2, 1}));
    EXPECT_EQ(d.m_fPanelAnchor[2], 3.75f);
    EXPECT_EQ(d.m_fMeasured[1][0], 1.5f);
    EXPECT_EQ(d.m_fMeasured[2][1], 4.75f);
    EXPECT_EQ(d.m_nReportChannel, 2);
    EXPECT_EQ(d.m_bInfoSaved, 1);
    EXPECT_EQ(d.m_fExposedLength, 0.69f);
    EXPECT_EQ(d.m_fAnchorLength, 2.81f);
    EXPECT_EQ(d.m_nInfoWaveSpeed, 3600);
    EXPECT_EQ(d.m_nBoltType, 4);
}

TEST(LoadTest, TitleIsAlwaysTheReportTitleAndTextsAreDecoded)
{
    QByteArray b = ComposeInstrumentFile(SampleRecord());
    const QByteArray texts[12] = {
        "Other title", "item",  "B-07",       "2026-05-12",      "unit", "tester", "A >=90%", "I",
        "basis",       "TQ-RX", "2026-04-01", "\xB9\xA4\xB3\xCC"}; // 工程 in code page 936
    QByteArray block;
    for (const QByteArray& t : texts)
        block.append(t).append('\0');
    const int trailer = 148 + block.size();
    b.replace(148, block.size(), block);
    WriteFloat(b, trailer, 25.0f);
    WriteFloat(b, trailer + 4, 22.0f);
    WriteInt32(b, trailer + 8, 3);

    TestRecord d;
    ASSERT_TRUE(d.LoadFromBytes(b));
    EXPECT_EQ(d.m_strTitle, QStringLiteral("单根锚杆检测结果表"));
    EXPECT_EQ(d.m_strItemName, "item");
    EXPECT_EQ(d.m_strBoltNo, "B-07");
    EXPECT_EQ(d.m_strTestDate, "2026-05-12");
    EXPECT_EQ(d.m_strGradeText, "A >=90%");
    EXPECT_EQ(d.m_strInstallDate, "2026-04-01");
    EXPECT_EQ(d.m_strProjectName, QStringLiteral("工程"));
    EXPECT_EQ(d.m_fDesignDiameter, 25.0f);
    EXPECT_EQ(d.m_fTestDiameter, 22.0f);
    EXPECT_EQ(d.m_nDesignGrade, 3);
}

TEST(LoadTest, ShorterTextBlockStillReadsAcquisitionAndSamplesFromFixedPositions)
{
    // A long text block first, then a short one: what lies between is ignored.
    QByteArray b = ComposeInstrumentFile(SampleRecord());
    b.replace(148, 200, QByteArray(200, 'x'));
    b[148 + 200] = '\0';
    for (int i = 0; i < 11; ++i)
        b[148 + 201 + i] = '\0';
    TestRecord d;
    ASSERT_TRUE(d.LoadFromBytes(b));
    b.replace(148, 12, QByteArray(12, '\0')); // twelve empty texts; old bytes stay behind
    ASSERT_TRUE(d.LoadFromBytes(b));
    EXPECT_TRUE(d.m_strItemName.isEmpty());
    EXPECT_EQ(d.m_nSampleCount, 1024);
    EXPECT_EQ(d.m_strProject, QStringLiteral("隧道K12"));
    EXPECT_EQ(d.m_nSamples[1][5], SampleRecord().samples[1][5]);
}

TEST(LoadTest, SamplesBeyond2048StayZeroAfterAnyNumberOfLoads)
{
    TestRecord d;
    const QByteArray b = ComposeInstrumentFile(SampleRecord());
    for (int k = 0; k < 3; ++k)
        ASSERT_TRUE(d.LoadFromBytes(b));
    for (int c = 0; c < 3; ++c)
        for (int i = 2048; i < kSampleBlockSize; ++i)
            ASSERT_EQ(d.m_nSamples[c][i], 0);
}

TEST(LoadTest, DayPastTheMonthEndRollsOverAsTheCalendarDoes)
{
    InstrumentRecord r = SampleRecord();
    r.month = 2;
    r.day = 31;
    TestRecord d;
    ASSERT_TRUE(d.LoadFromBytes(ComposeInstrumentFile(r)));
    EXPECT_EQ(FormatDate(d.m_tTestDate), "2026-03-03");
}

TEST(LoadTest, LongerFileLoadsAndSampleCountBoundariesAreAccepted)
{
    for (int count : {0, 1, 2048}) {
        InstrumentRecord r = SampleRecord();
        r.sampleCount = count;
        TestRecord d;
        ASSERT_TRUE(d.LoadFromBytes(ComposeInstrumentFile(r) + QByteArray(100, 'z'))) << count;
        EXPECT_EQ(d.m_nSampleCount, count);
    }
}

// Hostile input: each row damages a valid file one way.
struct HostileRow
{
    const char* name;
    std::function<QByteArray()> bytes;
    LoadStatus status;
};

QByteArray Valid()
{
    return ComposeInstrumentFile(SampleRecord());
}

QByteArray WithInt(int pos, int value)
{
    QByteArray b = Valid();
    WriteInt32(b, pos, value);
    return b;
}

// The date sits behind the two acquisition texts: "隧道K12" (7 bytes) and "MG0001".
constexpr int kYearPos = 556 + 8 + 7;

std::vector<HostileRow> HostileRows()
{
    return {
        {"Empty", [] { return QByteArray(); }, LoadStatus::CannotOpen},
        {"OneByte", [] { return QByteArray(1, 'x'); }, LoadStatus::Malformed},
        {"AcquisitionOnly", [] { return Valid().left(1024); }, LoadStatus::Malformed},
        {"OneSampleShort", [] { return Valid().left(13311); }, LoadStatus::Malformed},
        {"TextWithout255Terminator",
         [] {
             QByteArray b = Valid();
             b.replace(148, 256, QByteArray(256, 'a'));
             return b;
         },
         LoadStatus::Malformed},
        {"TextBlockPastByte1023",
         [] {
             QByteArray b = Valid();
             for (int i = 0; i < 4; ++i) // four 254-byte texts reach byte 1164
                 b.replace(148 + 255 * i, 255, QByteArray(254, 'b') + '\0');
             return b;
         },
         LoadStatus::Malformed},
        {"TrailerPastByte1023",
         [] {
             QByteArray b = Valid();
             for (int i = 0; i < 12; ++i) // the twelfth text ends at byte 1023
                 b.replace(148 + 73 * i, 73, QByteArray(72, 'c') + '\0');
             return b;
         },
         LoadStatus::Malformed},
        {"AcquisitionTextNeverEnds",
         [] {
             QByteArray b = Valid();
             b.replace(556, 1024 - 556, QByteArray(1024 - 556, 'p'));
             return b;
         },
         LoadStatus::Malformed},
        {"DateRunsPastByte1023",
         [] {
             QByteArray b = Valid();
             b.replace(556, 1024 - 556 - 6, QByteArray(1024 - 556 - 6, 'p'));
             b[1024 - 6] = '\0';
             b[1024 - 5] = '\0';
             return b;
         },
         LoadStatus::Malformed},
        {"Year1899", [] { return WithInt(kYearPos, 1899); }, LoadStatus::InvalidDate},
        {"Year1969BeforeTheCalendar", [] { return WithInt(kYearPos, 1969); },
         LoadStatus::InvalidDate},
        {"Year3001", [] { return WithInt(kYearPos, 3001); }, LoadStatus::InvalidDate},
        {"YearNegative", [] { return WithInt(kYearPos, -5); }, LoadStatus::InvalidDate},
        {"Month0", [] { return WithInt(kYearPos + 4, 0); }, LoadStatus::InvalidDate},
        {"Month13", [] { return WithInt(kYearPos + 4, 13); }, LoadStatus::InvalidDate},
        {"Day0", [] { return WithInt(kYearPos + 8, 0); }, LoadStatus::InvalidDate},
        {"Day32", [] { return WithInt(kYearPos + 8, 32); }, LoadStatus::InvalidDate},
        {"AllOnes", [] { return QByteArray(13312, '\xFF'); }, LoadStatus::Malformed},
        {"AllZeros", [] { return QByteArray(13312, '\0'); }, LoadStatus::InvalidDate},
    };
}

void PrintTo(const HostileRow& row, std::ostream* os)
{
    *os << row.name;
}

class HostileLoadTest : public ::testing::TestWithParam<HostileRow>
{};

TEST_P(HostileLoadTest, IsRefusedAndLeavesTheRecordExactlyAsItWas)
{
    TestRecord d;
    InstrumentRecord other = SampleRecord();
    other.project = "previous";
    other.sampleCount = 777;
    ASSERT_TRUE(d.LoadFromBytes(ComposeInstrumentFile(other)));
    const TestRecord before = d;

    const LoadResult result = d.LoadFromBytes(GetParam().bytes());
    EXPECT_FALSE(result);
    EXPECT_EQ(result.status, GetParam().status) << result.detail.toStdString();
    EXPECT_FALSE(result.message().isEmpty());
    EXPECT_TRUE(d == before);
}

// Loading in place refuses every hostile file as Load does, with the same words.
TEST_P(HostileLoadTest, InPlaceLoadRefusesItTheSameWay)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.mg"));
    ASSERT_TRUE(test::WriteBytes(path, GetParam().bytes()));
    TestRecord viaCopy, inPlace;
    const LoadResult expected = viaCopy.Load(path);
    const LoadResult result = inPlace.LoadInPlace(path);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.status, expected.status);
    EXPECT_EQ(result.message(), expected.message());
    EXPECT_EQ(result.detail, expected.detail);
}

INSTANTIATE_TEST_SUITE_P(Files, HostileLoadTest, ::testing::ValuesIn(HostileRows()),
                         [](const auto& info) { return std::string(info.param.name); });

// A good file loaded in place over a record that held another test is the record Load
// makes of it; a missing file is refused in the same words.
TEST(LoadTest, InPlaceLoadReadsWhatLoadReads)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("good.mg"));
    ASSERT_TRUE(test::WriteBytes(path, Valid()));
    InstrumentRecord other = SampleRecord();
    other.project = "previous";
    other.sampleCount = 777;
    for (auto& channel : other.samples)
        channel.fill(-1234);
    TestRecord viaCopy, inPlace;
    ASSERT_TRUE(viaCopy.LoadFromBytes(ComposeInstrumentFile(other)));
    ASSERT_TRUE(inPlace.LoadFromBytes(ComposeInstrumentFile(other)));
    ASSERT_TRUE(viaCopy.Load(path));
    ASSERT_TRUE(inPlace.LoadInPlace(path));
    EXPECT_TRUE(inPlace == viaCopy);

    const QString missing = dir.filePath(QStringLiteral("missing.mg"));
    const LoadResult expected = TestRecord().Load(missing);
    const LoadResult result = TestRecord().LoadInPlace(missing);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.message(), expected.message());
    EXPECT_EQ(result.detail, expected.detail);
}

// Files a writer without this program's limits can make: texts that run into the
// acquisition block, sample counts outside 0..2048. They load; the acquisition block is
// still read from byte 512, and the program uses at most 2048 samples.
TEST(LoadTest, FilesOtherWritersMakeStillLoad)
{
    const struct
    {
        const char* name;
        QByteArray bytes;
        int storedCount, usableCount;
    } rows[] = {
        {"TrailerPastByte511",
         [] {
             // A 255-byte title, a 96-byte item name and ten empty texts end at byte 510;
             // the three trailing values take bytes 511..522.
             QByteArray b = Valid();
             b.replace(148, 363,
                       QByteArray(255, 'x') + '\0' + QByteArray(96, 'd') + QByteArray(11, '\0'));
             return b;
         }(),
         1024, 1024},
        {"SampleCountNegative", WithInt(524, -1), -1, 0},
        {"SampleCount2049", WithInt(524, 2049), 2049, 2048},
        {"SampleCountHuge", WithInt(524, 0x7FFFFFFF), 0x7FFFFFFF, 2048},
    };
    for (const auto& r : rows) {
        TestRecord d;
        const LoadResult result = d.LoadFromBytes(r.bytes);
        ASSERT_TRUE(result) << r.name << ": " << result.detail.toStdString();
        EXPECT_EQ(d.m_nSampleCount, r.storedCount) << r.name;
        EXPECT_EQ(UsableSampleCount(d), r.usableCount) << r.name;
        EXPECT_EQ(d.m_nSampleInterval, ReadInt32(r.bytes, 520)) << r.name;
        EXPECT_EQ(d.m_strFile, QStringLiteral("MG0001")) << r.name;
    }
    TestRecord d;
    ASSERT_TRUE(d.LoadFromBytes(rows[0].bytes));
    EXPECT_EQ(d.m_strItemName, QString(96, QLatin1Char('d')));
}

TEST(LoadTest, MessagesAreTheProgramsOwn)
{
    EXPECT_EQ(LoadResult::fail(LoadStatus::CannotOpen, "x").message(),
              QStringLiteral("无法读取文件"));
    EXPECT_EQ(LoadResult::fail(LoadStatus::Malformed, "x").message(),
              QStringLiteral("无法读取文件"));
    EXPECT_TRUE(
        LoadResult::fail(LoadStatus::InvalidDate, "x").message().contains(QStringLiteral("日期")));
}

TEST(LoadFromPathTest, MissingEmptyDirectoryAndUnreadablePathsAreRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TestRecord d;
    const TestRecord before = d;
    EXPECT_EQ(d.Load(dir.filePath("missing.mg")).status, LoadStatus::CannotOpen);
    ASSERT_TRUE(test::WriteBytes(dir.filePath("empty.mg"), {}));
    EXPECT_EQ(d.Load(dir.filePath("empty.mg")).status, LoadStatus::CannotOpen);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.mg"));
    EXPECT_EQ(d.Load(dir.filePath("folder.mg")).status, LoadStatus::CannotOpen);
    EXPECT_EQ(d.Load(QString()).status, LoadStatus::CannotOpen);
    EXPECT_TRUE(d == before);

    const QString locked = dir.filePath("locked.mg");
    ASSERT_TRUE(test::WriteBytes(locked, Valid()));
    QFile::setPermissions(locked, QFileDevice::Permissions());
    if (geteuid() != 0) { // permissions do not stop the superuser
        EXPECT_EQ(d.Load(locked).status, LoadStatus::CannotOpen);
    }
}

TEST(LoadFromPathTest, LoadsAFileOnDisk)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.mg");
    ASSERT_TRUE(test::WriteBytes(path, Valid()));
    TestRecord d;
    ASSERT_TRUE(d.Load(path));
    EXPECT_EQ(d.m_nSampleCount, 1024);
}

} // namespace
} // namespace rovana
