// The site store: the one reader and writer of a folder's rovana-site.json. A file it
// cannot read is never written, through any of its writers; what it does not know is kept.
#include "SiteStore.h"

#include "FolderCalibration.h"
#include "PosixTestSupport.h"
#include "site/HostileSite.h"
#include "site/MarkedFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rovana {
namespace {

// Everything that writes the site file, at the lowest level.
struct SiteWriter
{
    const char* name;
    std::function<bool(SiteStore&)> write;
};

std::vector<SiteWriter> SiteWriters()
{
    const auto change = [](std::function<void(SiteFile&)> f) {
        return [f](SiteStore& store) { return static_cast<bool>(store.Change(f)); };
    };
    return {
        {"processing", change([](SiteFile& s) {
             s.chain.enabled = true;
             s.chain.filter = processing::FilterKind::LowPass;
             s.chain.highHz = 2000;
         })},
        {"reference", change([](SiteFile& s) { s.referenceFile = QStringLiteral("MG0001.mg"); })},
        {"report settings",
         change([](SiteFile& s) { s.report[ReportField::Client] = QStringLiteral("市建设局"); })},
        {"growing gain", change([](SiteFile& s) { s.growingGain[1] = 10; })},
        {"calibration",
         [](SiteStore& store) {
             const CalibrationOutcome r = ApplyFolderCalibration(
                 store,
                 PlanFolderCalibration(store.Folder(), 3675,
                                       {QStringLiteral("MG0001.mg"), 3.675, 3675, 3500, {}}));
             return r.error.isEmpty() && !r.changed.isEmpty();
         }},
    };
}

TEST(SiteStoreTest, AHostileSiteFileIsNeverWrittenByAnyWriter)
{
    for (const test::HostileSite& hostile : test::HostileSites()) {
        for (const SiteWriter& writer : SiteWriters()) {
            const std::string row = std::string(hostile.name) + " / " + writer.name;
            QTemporaryDir dir;
            const QString test = dir.filePath("MG0001.mg");
            ASSERT_TRUE(test::WriteBytes(test, test::MarkedFile())) << row;
            ASSERT_TRUE(hostile.make(dir.path())) << row;
            const QMap<QString, QByteArray> folder = test::FolderImage(dir.path());

            SiteStore store(dir.path());
            EXPECT_EQ(store.FileState(), SiteStore::State::Unreadable) << row;
            EXPECT_EQ(store.Warning(), test::SiteWarning(hostile.reason)) << row;
            EXPECT_EQ(store.Site().chain, processing::ChainSettings{}) << row;
            EXPECT_TRUE(store.Site().referenceFile.isEmpty()) << row;
            EXPECT_EQ(store.CanStartAfresh(), hostile.keepable) << row;
            EXPECT_FALSE(writer.write(store)) << row;

            EXPECT_EQ(test::FolderImage(dir.path()), folder) << row;
            if (!hostile.keepable) {
                EXPECT_FALSE(store.StartAfresh()) << row;
                EXPECT_EQ(test::FolderImage(dir.path()), folder) << row;
            }
        }
    }
}

// A fresh start keeps the old bytes beside the file, whole, before it writes anything.
TEST(SiteStoreTest, AFreshStartKeepsTheOldBytesBesideIt)
{
    for (const test::HostileSite& hostile : test::HostileSites()) {
        if (!hostile.keepable)
            continue;
        QTemporaryDir dir;
        ASSERT_TRUE(hostile.make(dir.path())) << hostile.name;
        const QByteArray old = test::ReadBytes(test::SitePath(dir.path()));
        SiteStore store(dir.path());
        QString backup;
        ASSERT_TRUE(store.StartAfresh(&backup)) << hostile.name;
        EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^rovana-site\.json\.bak-\d{8}-\d{6}$)"))
                        .match(backup)
                        .hasMatch())
            << backup.toStdString();
        EXPECT_EQ(test::ReadBytes(dir.filePath(backup)), old) << hostile.name;
        EXPECT_EQ(SiteStore(dir.path()).FileState(), SiteStore::State::Readable);
        EXPECT_TRUE(store.Writable());
        EXPECT_TRUE(
            store.Change([](SiteFile& s) { s.referenceFile = QStringLiteral("MG0002.mg"); }));
    }
}

// Keys the program does not know, at any depth, survive every write; what it clears goes.
TEST(SiteStoreTest, KeysItDoesNotKnowAreKeptOnEveryWrite)
{
    QTemporaryDir dir;
    ASSERT_TRUE(test::WriteBytes(test::SitePath(dir.path()), R"({
        "version": 1, "owner": {"name": "二队", "list": [1, 2]},
        "processing": {"enabled": false, "order": 4, "window": "hann"},
        "reference": {"file": "MG0002.mg", "note": "n"},
        "calibration": {"file": "MG0003.mg", "knownLength": 6.5, "waveSpeed": 4127,
                        "previousWaveSpeed": 3800, "date": "2026-05-12", "by": "Li"}})"));
    SiteStore store(dir.path());
    ASSERT_EQ(store.FileState(), SiteStore::State::Readable);
    EXPECT_EQ(store.Site().calibration->waveSpeed, 4127);
    const auto written = [&] {
        return QJsonDocument::fromJson(test::ReadBytes(test::SitePath(dir.path()))).object();
    };

    ASSERT_TRUE(store.Change([](SiteFile& s) { s.chain.order = 6; }));
    QJsonObject o = written();
    EXPECT_EQ(o["owner"].toObject()["name"].toString(), QStringLiteral("二队"));
    EXPECT_EQ(o["owner"].toObject()["list"].toArray().size(), 2);
    EXPECT_EQ(o["processing"].toObject()["window"].toString(), QStringLiteral("hann"));
    EXPECT_EQ(o["processing"].toObject()["order"].toInt(), 6);
    EXPECT_EQ(o["reference"].toObject()["note"].toString(), QStringLiteral("n"));
    EXPECT_EQ(o["calibration"].toObject()["by"].toString(), QStringLiteral("Li"));

    ASSERT_TRUE(store.Change([](SiteFile& s) {
        s.referenceFile.clear();
        s.calibration.reset();
    }));
    o = written();
    EXPECT_EQ(o["reference"].toObject(), (QJsonObject{{"note", "n"}}));
    EXPECT_FALSE(o.contains("calibration"));
    EXPECT_TRUE(o.contains("owner"));
}

// Each channel's amplitude: unset (null), a fixed full scale or the test's own fit, read
// back as written; all unset writes no key.
TEST(SiteStoreTest, AmplitudesPerChannelReadBackAsWritten)
{
    QTemporaryDir dir;
    SiteStore store(dir.path());
    const std::array<TraceAmplitude, 3> set = {
        TraceAmplitude{}, TraceAmplitude{TraceAmplitude::Mode::Fixed, 2400},
        TraceAmplitude{TraceAmplitude::Mode::Fit, 0}};
    ASSERT_TRUE(store.Change([&set](SiteFile& s) { s.amplitude = set; }));
    const QJsonArray a = QJsonDocument::fromJson(test::ReadBytes(test::SitePath(dir.path())))
                             .object()["amplitude"]
                             .toArray();
    EXPECT_EQ(a, (QJsonArray{QJsonValue(), 2400, "fit"}));
    EXPECT_EQ(SiteStore(dir.path()).Site().amplitude, set);
    ASSERT_TRUE(store.Change([](SiteFile& s) { s.amplitude = {}; }));
    EXPECT_FALSE(QJsonDocument::fromJson(test::ReadBytes(test::SitePath(dir.path())))
                     .object()
                     .contains("amplitude"));
}

// A write builds on the file as it is now: another window's write stays, and a file broken
// since it was read is refused, not overwritten. Users hear of every change.
TEST(SiteStoreTest, AWriteBuildsOnTheFileAsItIsNow)
{
    QTemporaryDir dir;
    SiteStore mine(dir.path()), other(dir.path());
    int told = 0;
    QObject::connect(&mine, &SiteStore::Changed, [&told] { ++told; });
    ASSERT_TRUE(other.Change([](SiteFile& s) { s.referenceFile = QStringLiteral("MG0002.mg"); }));
    mine.Refresh();
    EXPECT_EQ(told, 1);
    EXPECT_EQ(mine.Site().referenceFile, QStringLiteral("MG0002.mg"));
    ASSERT_TRUE(other.Change([](SiteFile& s) { s.chain.lowHz = 10; }));
    ASSERT_TRUE(mine.Change([](SiteFile& s) { s.chain.order = 6; }));
    EXPECT_EQ(SiteStore(dir.path()).Site().referenceFile, QStringLiteral("MG0002.mg"));
    EXPECT_EQ(SiteStore(dir.path()).Site().chain.order, 6);
    EXPECT_EQ(SiteStore(dir.path()).Site().chain.lowHz, 10.0);
    EXPECT_EQ(told, 3); // the other window's writes found, then the write

    const QByteArray broken = R"({"version": 1,})";
    ASSERT_TRUE(test::WriteBytes(test::SitePath(dir.path()), broken));
    EXPECT_FALSE(mine.Change([](SiteFile& s) { s.chain.order = 8; }));
    EXPECT_EQ(test::ReadBytes(test::SitePath(dir.path())), broken);
    EXPECT_FALSE(mine.Warning().isEmpty());
    EXPECT_EQ(mine.Site().chain.order, 4); // the defaults, no longer the old settings
    EXPECT_EQ(told, 4);
}

// The report settings: each field under its own key of "report", read back into its own
// field; an emptied field loses its key, an emptied object goes, and keys of "report" the
// program does not know stay.
TEST(SiteStoreTest, ReportSettingsReadBackFieldByFieldAndKeepUnknownKeys)
{
    QTemporaryDir dir;
    ASSERT_TRUE(
        test::WriteBytes(test::SitePath(dir.path()),
                         R"({"version": 1, "report": {"stamp": "CMA", "reportNo": "R-1"}})"));
    SiteStore store(dir.path());
    ASSERT_EQ(store.FileState(), SiteStore::State::Readable);
    EXPECT_EQ(store.Site().report[ReportField::ReportNo], QStringLiteral("R-1"));
    ReportSettings all;
    for (int f = 0; f < kReportFieldCount; ++f) // distinct values: a swapped key shows
        all.values[static_cast<std::size_t>(f)] = QStringLiteral("值%1\n第二行").arg(f);
    ASSERT_TRUE(store.Change([&all](SiteFile& s) { s.report = all; }));
    const auto written = [&] {
        return QJsonDocument::fromJson(test::ReadBytes(test::SitePath(dir.path())))
            .object()["report"]
            .toObject();
    };
    QJsonObject o = written();
    EXPECT_EQ(o["stamp"].toString(), QStringLiteral("CMA"));
    EXPECT_EQ(o["client"].toString(), QStringLiteral("值3\n第二行"));
    EXPECT_EQ(o["conclusion"].toString(), QStringLiteral("值16\n第二行"));
    EXPECT_EQ(SiteStore(dir.path()).Site().report, all);

    ASSERT_TRUE(store.Change([](SiteFile& s) { s.report = {}; }));
    EXPECT_EQ(written(), (QJsonObject{{"stamp", "CMA"}}));
    QJsonObject root;
    WriteReportSettings({}, root);
    EXPECT_FALSE(root.contains("report"));
}

// Each channel's growing gain: three whole numbers 0..kLargestGrowingGain, read back as
// written; anything else makes the file unreadable.
TEST(SiteStoreTest, GrowingGainsReadBackAndOutOfRangeOnesAreRefused)
{
    struct Row
    {
        const char* json;
        std::optional<std::array<int, 3>> gains; // none: unreadable
    };
    const Row rows[] = {
        {R"({"growingGain": [0, 10, 1000]})", std::array<int, 3>{0, 10, 1000}},
        {R"({"growingGain": [0, 0, 1001]})", std::nullopt},
        {R"({"growingGain": [-1, 0, 0]})", std::nullopt},
        {R"({"growingGain": [1.5, 0, 0]})", std::nullopt},
        {R"({"growingGain": [1, 2]})", std::nullopt},
        {R"({"growingGain": "10"})", std::nullopt},
    };
    for (const Row& row : rows) {
        QTemporaryDir dir;
        ASSERT_TRUE(test::WriteBytes(test::SitePath(dir.path()), row.json));
        const SiteStore store(dir.path());
        EXPECT_EQ(store.FileState() == SiteStore::State::Readable, row.gains.has_value())
            << row.json;
        if (row.gains) {
            EXPECT_EQ(store.Site().growingGain, *row.gains) << row.json;
        }
    }
    QTemporaryDir dir;
    SiteStore store(dir.path());
    ASSERT_TRUE(store.Change([](SiteFile& s) { s.growingGain = {4, 0, 40}; }));
    EXPECT_EQ(SiteStore(dir.path()).Site().growingGain, (std::array<int, 3>{4, 0, 40}));
    ASSERT_TRUE(store.Change([](SiteFile& s) { s.growingGain = {}; }));
    EXPECT_FALSE(QJsonDocument::fromJson(test::ReadBytes(test::SitePath(dir.path())))
                     .object()
                     .contains("growingGain"));
}

// A report field that is not text makes the file unreadable, and it is not written.
TEST(SiteStoreTest, AReportFieldThatIsNotTextIsRefused)
{
    struct Row
    {
        const char* json;
        const char* reason;
    };
    for (const Row& row : {Row{R"({"report": {"reportNo": 7}})", "“report.reportNo”应为文本"},
                           Row{R"({"report": {"approver": null}})", "“report.approver”应为文本"},
                           Row{R"({"report": "RV-1"})", "report"}}) {
        QTemporaryDir dir;
        ASSERT_TRUE(test::WriteBytes(test::SitePath(dir.path()), row.json));
        SiteStore store(dir.path());
        EXPECT_EQ(store.FileState(), SiteStore::State::Unreadable) << row.json;
        EXPECT_TRUE(store.Warning().contains(QString::fromUtf8(row.reason)))
            << row.json << " " << store.Warning().toStdString();
        EXPECT_FALSE(store.Change([](SiteFile& s) { s.report[ReportField::Client] = "x"; }));
        EXPECT_EQ(test::ReadBytes(test::SitePath(dir.path())), QByteArray(row.json));
    }
}

} // namespace
} // namespace rovana
