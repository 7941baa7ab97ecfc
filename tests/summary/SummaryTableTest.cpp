// The summary's data path: each column's rule and the statistics from files with distinct
// values, the CSV and the Excel workbook read back, and the output writer's refusals.
#include "NativePath.h"
#include "OutputFile.h"
#include "PosixTestSupport.h"
#include "SummaryCsv.h"
#include "SummaryTestFiles.h"
#include "SummaryXlsx.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

#include <fcntl.h>
#include <unistd.h>

namespace rovana::summary {
namespace {

using test::SiteFiles;
using test::SiteFolder;

SiteSummary ReadSite(const SiteFolder& site)
{
    const std::optional<SiteSummary> summary = SummarizeFolder(site.Folder());
    EXPECT_TRUE(summary.has_value());
    return summary.value_or(SiteSummary{});
}

TEST(SummaryTableTest, EveryCellIsWhatTheSheetOfItsFilePrints)
{
    const SiteFolder site;
    const SiteSummary summary = ReadSite(site);
    const auto files = SiteFiles();
    ASSERT_EQ(summary.rows.size(), files.size()); // notes.txt is not listed
    for (std::size_t r = 0; r < files.size(); ++r) {
        const SummaryRow& row = summary.rows[r];
        EXPECT_EQ(row.path, site.Path(files[r].name));
        for (int k = 0; k < kColumnCount; ++k) {
            const SummaryCell cell = CellOf(row, static_cast<Column>(k));
            EXPECT_EQ(cell.text, files[r].expected[static_cast<std::size_t>(k)])
                << files[r].name.toStdString() << " column "
                << ColumnHeaders()[static_cast<std::size_t>(k)].toStdString();
            // A number cell carries exactly the number its text shows.
            if (IsNumberColumn(static_cast<Column>(k)) && !cell.text.isEmpty()) {
                ASSERT_TRUE(cell.number.has_value()) << cell.text.toStdString();
                EXPECT_EQ(*cell.number, cell.text.toDouble());
            } else {
                EXPECT_FALSE(cell.number.has_value()) << cell.text.toStdString();
            }
        }
    }
    EXPECT_FALSE(summary.rows[3].readable);
    EXPECT_FALSE(summary.rows[3].loadMessage.isEmpty());
}

TEST(SummaryTableTest, NamesInCodePage936AndInNoKnownCodeAreRowsInTheTreesOrder)
{
    // As unzip leaves a Windows archive: "测试.mg" in GBK, and bytes that are no text.
    QTemporaryDir dir;
    const QByteArray bytes = test::Instrument(10, 3500, 3.5f, "MG0001", 12);
    for (const char* name : {"/b.mg", "/\xB2\xE2\xCA\xD4.mg", "/\xFF\xFE.mg"}) {
        const int fd = ::open(QFile::encodeName(dir.path()) + name, O_WRONLY | O_CREAT, 0644);
        EXPECT_EQ(::write(fd, bytes.constData(), bytes.size()), bytes.size());
        ::close(fd);
    }
    const QList<FolderEntry> shown = ListTestFiles(dir.path()); // what the file tree shows
    const std::optional<SiteSummary> summary = SummarizeFolder(dir.path());
    test::RemoveTree(QFile::encodeName(dir.path())); // QTemporaryDir cannot, for these names
    ASSERT_EQ(summary->rows.size(), 3u);
    for (std::size_t r = 0; r < 3; ++r) {
        EXPECT_EQ(summary->rows[r].fileName, shown.value(r).name);
        EXPECT_EQ(summary->rows[r].boltNo, "MG0001"); // read
    }
}

TEST(SummaryTableTest, StatisticsAndPageHeaderOfTheSite)
{
    const SiteFolder site;
    const SiteSummary summary = ReadSite(site);
    EXPECT_EQ(summary.statistics, test::SiteStatistics());
    // Two files name "隧道左线", one "边坡支护"; all three the same organisation.
    EXPECT_EQ(summary.header.projectName, QStringLiteral("隧道左线等"));
    EXPECT_EQ(summary.header.testUnit, QStringLiteral("岩土检测中心"));

    // Shares among the evaluated bolts; none at all without evaluated bolts.
    const auto lines = StatisticsLines(summary.statistics);
    const auto find = [&lines](const QString& label) {
        for (const StatisticsLine& l : lines)
            if (l.label == label)
                return l;
        ADD_FAILURE() << label.toStdString();
        return StatisticsLine{};
    };
    EXPECT_EQ(find(QStringLiteral("锚固质量等级 IV类")).ShareText(), QStringLiteral("33.3%"));
    EXPECT_EQ(find(QStringLiteral("密实度等级 C")).ShareText(), QStringLiteral("0.0%"));
    EXPECT_EQ(find(QStringLiteral("合格率(%)")).ValueText(), QStringLiteral("66.7"));
    EXPECT_EQ(find(QStringLiteral("最短实测长度(m)")).ValueText(), QStringLiteral("3.24"));

    const SummaryStatistics none = ComputeStatistics({});
    EXPECT_EQ(none.bolts, 0);
    EXPECT_FALSE(none.passRate.has_value());
    EXPECT_FALSE(none.minLength.has_value());
    EXPECT_EQ(StatisticsLines(none)[4].ShareText(), QStringLiteral("—"));
}

// Fields of one CSV text as RFC 4180 reads them; false on a malformed line.
bool ParseCsv(const QByteArray& text, std::vector<QStringList>& lines)
{
    QStringList fields;
    QByteArray field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"' && field.isEmpty()) {
            quoted = true;
        } else if (c == ',') {
            fields << QString::fromUtf8(field);
            field.clear();
        } else if (c == '\r') {
            if (i + 1 >= text.size() || text[i + 1] != '\n')
                return false; // a bare CR
            fields << QString::fromUtf8(field);
            field.clear();
            lines.push_back(fields);
            fields.clear();
            ++i;
        } else if (c == '\n') {
            return false; // lines end with CR LF
        } else {
            field += c;
        }
    }
    return !quoted && field.isEmpty() && fields.isEmpty();
}

TEST(SummaryTableTest, NumberCellsShowWhatPrintfShowsAndHoldTheNumberShown)
{
    // Halfway cases (in binary just below or exact), negative zero, huge and tiny values,
    // and values that are not finite.
    const double inf = std::numeric_limits<double>::infinity();
    for (const double value : {2.675, 0.125, 0.375, 1.005, -0.004, 0.0, -0.0, 123456.785, 1e300,
                               -1e-300, 3.4028234663852886e38, inf, -inf,
                               std::numeric_limits<double>::quiet_NaN()}) {
        SummaryRow row;
        row.readable = true;
        row.lengthRatio = value;
        const SummaryCell cell = CellOf(row, Column::LengthRatio);
        const QString printed = QString::asprintf("%.1f", value);
        EXPECT_EQ(cell.text, printed) << value;
        EXPECT_EQ(cell.number.has_value(), std::isfinite(value)) << value;
        if (cell.number) {
            EXPECT_EQ(*cell.number, printed.toDouble()) << value;
            EXPECT_EQ(std::signbit(*cell.number), std::signbit(printed.toDouble())) << value;
        }
    }
}

TEST(SummaryTableTest, ThePageHeaderTakesTheMostCommonValueTiesToTheFirstSeen)
{
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{}, QString()},
        {{"甲"}, "甲"},
        {{"甲", "甲"}, "甲"},
        {{"甲", "乙"}, "甲等"},
        {{"甲", "乙", "乙"}, "乙等"},
        {{"乙", "甲", "甲", "乙"}, "乙等"},
        {{"丙", "甲", "乙", "乙", "甲"}, "甲等"},
    };
    for (const auto& [values, expected] : cases) {
        ValueTally tally;
        for (const QString& v : values)
            tally.Add(v);
        EXPECT_EQ(tally.MostCommon(), expected) << values.join(',').toStdString();
    }
}

TEST(SummaryCsvTest, ReadsBackWithBomHeadersAndQuoting)
{
    const SiteFolder site;
    const QByteArray csv = SummaryCsv(ReadSite(site));
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(csv.contains("\"B\"\"05,x\"")); // quote doubled, field enclosed
    std::vector<QStringList> lines;
    ASSERT_TRUE(ParseCsv(csv.mid(3), lines));
    const auto files = SiteFiles();
    ASSERT_EQ(lines.size(), files.size() + 1);
    const auto& headers = ColumnHeaders();
    EXPECT_EQ(lines[0], QStringList(headers.begin(), headers.end()));
    for (std::size_t r = 0; r < files.size(); ++r)
        EXPECT_EQ(lines[r + 1], QStringList(files[r].expected.begin(), files[r].expected.end()))
            << files[r].name.toStdString();
}

TEST(SummaryCsvTest, TextCellsThatLookLikeFormulasStayText)
{
    // The text of every text field of a row, and whether it gets the apostrophe.
    const std::pair<QString, bool> texts[] = {{"=HYPERLINK(\"x\")", true},
                                              {"+1", true},
                                              {"-2", true},
                                              {"@SUM(A1)", true},
                                              {"\tB", true},
                                              {"\rB", true},
                                              {"B-01=", false},
                                              {"", false}};
    SiteSummary summary;
    for (const auto& [text, guarded] : texts) {
        SummaryRow& row = summary.rows.emplace_back();
        row.readable = true;
        row.boltNo = row.fileName = row.testDate = row.grade = row.qualityClass = text;
        row.measured = true;
        row.measuredLength = -1.5f; // a negative number stays a number
    }
    std::vector<QStringList> lines;
    ASSERT_TRUE(ParseCsv(SummaryCsv(summary).mid(3), lines));
    for (std::size_t r = 0; r < std::size(texts); ++r) {
        const QString text = (texts[r].second ? "'" : "") + texts[r].first;
        for (const Column c :
             {Column::BoltNo, Column::TestDate, Column::Grade, Column::QualityClass, Column::File})
            EXPECT_EQ(lines.at(r + 1).value(static_cast<int>(c)), text);
        EXPECT_EQ(lines.at(r + 1).value(static_cast<int>(Column::MeasuredLength)), "-1.50");
    }
}

// A worksheet's cells from the workbook file: reference -> (number?, text).
struct XlsxCell
{
    bool number = false;
    QString text;
};
using XlsxSheet = std::map<QString, XlsxCell>;

QByteArray Unzip(const QString& zip, const QString& member)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, member});
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << member.toStdString();
    return p.readAllStandardOutput();
}

XlsxSheet ReadSheet(const QByteArray& xml, const QStringList& strings)
{
    XlsxSheet cells;
    QXmlStreamReader r(xml);
    QString ref, type;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement())
            continue;
        if (r.name() == QLatin1String("c")) {
            ref = r.attributes().value(QLatin1String("r")).toString();
            type = r.attributes().value(QLatin1String("t")).toString();
        } else if (r.name() == QLatin1String("t") && type == QLatin1String("inlineStr")) {
            cells[ref] = XlsxCell{false, r.readElementText()};
        } else if (r.name() == QLatin1String("v")) {
            const QString v = r.readElementText();
            cells[ref] = type == QLatin1String("s") ? XlsxCell{false, strings.value(v.toInt())}
                                                    : XlsxCell{type.isEmpty() || type == "n", v};
        }
    }
    EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
    return cells;
}

QString Ref(int row, int column)
{
    return QString(QChar('A' + column)) + QString::number(row + 1);
}

TEST(SummaryXlsxTest, ReadsBackWithNumberCellsAndAStatisticsSheet)
{
    const SiteFolder site;
    const SiteSummary summary = ReadSite(site);
    QString why;
    const std::optional<QByteArray> bytes = SummaryXlsx(summary, &why);
    ASSERT_TRUE(bytes.has_value()) << why.toStdString();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("site.xlsx"));
    ASSERT_TRUE(test::WriteBytes(path, *bytes));

    const QString workbook = QString::fromUtf8(Unzip(path, QStringLiteral("xl/workbook.xml")));
    EXPECT_TRUE(workbook.contains(QStringLiteral("name=\"汇总表\"")));
    EXPECT_TRUE(workbook.contains(QStringLiteral("name=\"统计\"")));
    // Texts stand in their cells (the workbook is written row by row), not in a shared table.
    const QStringList strings;
    const XlsxSheet table =
        ReadSheet(Unzip(path, QStringLiteral("xl/worksheets/sheet1.xml")), strings);

    for (int k = 0; k < kColumnCount; ++k)
        EXPECT_EQ(table.at(Ref(0, k)).text, ColumnHeaders()[static_cast<std::size_t>(k)]);
    const auto files = SiteFiles();
    for (std::size_t r = 0; r < files.size(); ++r) {
        for (int k = 0; k < kColumnCount; ++k) {
            const QString& expected = files[r].expected[static_cast<std::size_t>(k)];
            const QString ref = Ref(static_cast<int>(r) + 1, k);
            if (expected.isEmpty()) {
                EXPECT_EQ(table.count(ref), 0u) << ref.toStdString();
                continue;
            }
            ASSERT_EQ(table.count(ref), 1u) << ref.toStdString();
            const XlsxCell& cell = table.at(ref);
            EXPECT_EQ(cell.number, IsNumberColumn(static_cast<Column>(k))) << ref.toStdString();
            if (cell.number)
                EXPECT_DOUBLE_EQ(cell.text.toDouble(), expected.toDouble()) << ref.toStdString();
            else
                EXPECT_EQ(cell.text, expected) << ref.toStdString();
        }
    }

    const XlsxSheet stats =
        ReadSheet(Unzip(path, QStringLiteral("xl/worksheets/sheet2.xml")), strings);
    const auto lines = StatisticsLines(summary.statistics);
    ASSERT_FALSE(lines.empty());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        EXPECT_EQ(stats.at(Ref(row, 0)).text, lines[i].label);
        ASSERT_TRUE(lines[i].value.has_value());
        EXPECT_TRUE(stats.at(Ref(row, 1)).number) << lines[i].label.toStdString();
        EXPECT_DOUBLE_EQ(stats.at(Ref(row, 1)).text.toDouble(), *lines[i].value);
    }
    EXPECT_EQ(stats.at(Ref(1, 0)).text, QStringLiteral("锚杆总数"));
    EXPECT_EQ(stats.at(Ref(1, 1)).text, QStringLiteral("6"));
}

TEST(OutputFileTest, RefusesTestFilesInputsAndNonRegularTargets)
{
    const SiteFolder site;
    const QStringList inputs = ReadSite(site).Paths();
    QTemporaryDir out;
    const QString linked = out.filePath(QStringLiteral("linked.csv"));
    ASSERT_EQ(::link(QFile::encodeName(site.Path(QStringLiteral("A01.mg"))).constData(),
                     QFile::encodeName(linked).constData()),
              0);
    const QString symlinked = out.filePath(QStringLiteral("symlinked.csv"));
    ASSERT_TRUE(QFile::link(site.Path(QStringLiteral("A03.mg")), symlinked));
    const QByteArray before = test::ReadBytes(site.Path(QStringLiteral("A01.mg")));
    // Chains of two links (the second one relative): to a test file that is no input, to
    // nothing, in a loop, and to a CSV file, which is written through the chain.
    QTemporaryDir other;
    ASSERT_TRUE(test::WriteBytes(other.filePath("X.mg"), "a test file"));
    ASSERT_TRUE(test::WriteBytes(other.filePath("real.csv"), "old"));
    const auto chain = [&out](const char* name, const char* via, const QString& to) {
        EXPECT_EQ(::symlink(QFile::encodeName(to), QFile::encodeName(out.filePath(via))), 0);
        EXPECT_EQ(::symlink(via, QFile::encodeName(out.filePath(name))), 0);
        return out.filePath(name);
    };
    struct Case
    {
        QString path;
        bool allowed;
    };
    const std::vector<Case> cases = {
        {out.filePath(QStringLiteral("site.csv")), true},
        {out.filePath(QStringLiteral("new.MG")), false}, // a test file name, any case
        {site.Path(QStringLiteral("A02.mg")), false},    // an input
        {linked, false},                                 // an input under another name
        {symlinked, false},                              // a link to an input
        {out.path(), false},                             // a folder
        {QStringLiteral("/dev/full"), false},            // a device
        {QString(), false},
        {chain("tomg.csv", "l2.csv", other.filePath("X.mg")), false},
        {chain("dangling.csv", "d2.csv", other.filePath("gone.csv")), false},
        {chain("loop.csv", "loop2.csv", out.filePath("loop.csv")), false},
        {chain("tocsv.csv", "c2.csv", other.filePath("real.csv")), true},
    };
    for (const Case& c : cases) {
        const OutputResult result = WriteOutputFile(c.path, "a,b\r\n", inputs);
        EXPECT_EQ(static_cast<bool>(result), c.allowed) << c.path.toStdString();
        if (!c.allowed) {
            EXPECT_FALSE(result.detail.isEmpty());
        }
    }
    EXPECT_EQ(test::ReadBytes(site.Path(QStringLiteral("A01.mg"))), before);
    EXPECT_EQ(test::ReadBytes(out.filePath(QStringLiteral("site.csv"))), QByteArray("a,b\r\n"));
    EXPECT_FALSE(QFileInfo::exists(out.filePath(QStringLiteral("new.MG"))));
    EXPECT_EQ(test::ReadBytes(other.filePath("X.mg")), QByteArray("a test file"));
    EXPECT_EQ(test::ReadBytes(other.filePath("real.csv")), QByteArray("a,b\r\n"));
    // Nothing but the written file and the links is left in the folder.
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 11);
}

} // namespace
} // namespace rovana::summary
