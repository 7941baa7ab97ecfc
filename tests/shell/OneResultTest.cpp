// One bolt, one result: for files in every state an engineer leaves them in, the panel, the
// sheet's test row and conclusion, the summary's row and statistics, rovana-cli info and
// the printed page all show the same lengths, grade, class and verdict; and a file this
// program wrote comes out of an unchanged open and save byte for byte.
#include "ShellTestSupport.h"

#include "../report/PdfText.h"
#include "AnalysisSave.h"
#include "ByteBuffer.h"
#include "CliRunner.h"
#include "MgLayout.h"
#include "NameTables.h"
#include "ProjectInfoSave.h"
#include "ReportSheet.h"
#include "ReportViewHost.h"
#include "SheetDocument.h"
#include "SummaryTable.h"
#include "WaveGeometry.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPrinter>
#include <QRegularExpression>

namespace rovana::test {
namespace {

// SampleRecord: 10 µs and 3500 m/s, one sample is 0.0175 m; design 3.50 m, L0 0.50 m.
struct Analysis
{
    int channel = 0;
    std::array<int, 5> markers{};
    int grade = -1, qualityClass = -1;
};

QByteArray Analysed(QByteArray bytes, int reportChannel, const std::vector<Analysis>& channels)
{
    AnalysisValues v;
    for (const Analysis& a : channels) {
        ChannelAnalysis& c = v.channels[static_cast<std::size_t>(a.channel)];
        for (int k = 0; k < 5; ++k) {
            c.markerSet[k] = a.markers[k] > 0;
            c.markerPos[k] = a.markers[k];
        }
        // The lengths as a save computes them from these markers.
        const auto length = [&a](int marker) {
            return MarkerLength(a.markers[marker], a.markers[0], 10, 3500);
        };
        const bool measured = a.markers[0] > 0 && a.markers[2] > 0;
        c.measuredL0 = measured ? TruncToCentimetres(length(1)) : 0.0f;
        c.measuredLr = measured ? length(2) - c.measuredL0 : 0.0f;
        c.grade = a.grade;
        c.qualityClass = a.qualityClass;
        c.anchor = c.measuredLr;
    }
    v.activeChannel = reportChannel;
    v.waveSpeed = 3500;
    PatchAnalysis(bytes, v);
    return bytes;
}

// Report information as the dialog (or another writer) left it, with its own copies.
QByteArray WithInfo(QByteArray bytes, int reportChannel, const QString& grade, const QString& cls,
                    const char* exposed)
{
    ProjectInfoValues p;
    p.reportChannel = reportChannel;
    p.title = kReportTitle;
    p.boltNo = QStringLiteral("B-1");
    p.gradeText = grade;
    p.qualityClass = cls;
    p.exposedLength = QString::fromLatin1(exposed);
    EXPECT_TRUE(PatchProjectInfo(bytes, p));
    return bytes;
}

struct Expected
{
    const char *L, *L0, *Lr, *grade, *qualityClass, *verdict;
};

struct State
{
    const char* name;
    QByteArray bytes;
    Expected e;
    bool writtenByThisProgram;
};

const Analysis kGood{0, {20, 49, 220, 0, 0}, 0, 0};   // L 3.50 m, L0 0.50 m: A, I
const Analysis kShort{0, {20, 49, 200, 0, 0}, 1, 3};  // L 3.15 m, L0 0.50 m: B, IV
const Analysis kSecond{1, {20, 63, 216, 0, 0}, 2, 2}; // L 3.43 m, L0 0.75 m: C, III

std::vector<State> States()
{
    const QByteArray fresh = ComposeInstrumentFile(SampleRecord());
    const Expected none{"", "", "", "", "", "未评定"}; // not measured: blank, never 0.00
    const Expected good{"3.50", "0.50", "3.00", "A >=90%", "I", "合格"};
    const Expected shortBolt{"3.15", "0.50", "2.65", "B 90%~80%", "IV", "不合格"};
    // A save from the main window refreshes the report information's copies.
    QByteArray agreeing = WithInfo(Analysed(fresh, 0, {kGood}), 0, "", "", "0");
    PatchReportCopies(agreeing, {QStringLiteral("A >=90%"), QStringLiteral("I"), 0.5f, 3.0f});
    const Analysis cleared{0, {0, 0, 0, 0, 0}, 1, -1};
    // Another writer's analysis: lengths, grade and class, but no end and bottom.
    QByteArray unmarked = Analysed(fresh, 0, {cleared});
    WriteFloat(unmarked, mg::kMeasuredL0, 1.0f);
    WriteFloat(unmarked, mg::kMeasuredLr, 2.5f);
    WriteInt32(unmarked, mg::kEvaluation + 4, 1);
    return {
        {"never analysed", fresh, none, true},
        {"analysed and saved in the main window only", Analysed(fresh, 0, {kGood}), good, true},
        {"class IV", Analysed(fresh, 0, {kShort}), shortBolt, true},
        {"cleared after the report information was saved",
         Analysed(WithInfo(Analysed(fresh, 0, {kGood}), 0, "B 90%~80%", "II", "1.00"), 0,
                  {cleared}),
         none, false},
        {"lengths, grade and class without end and bottom", unmarked, none, false},
        {"both blocks agreeing", agreeing, good, true},
        {"report channel 2, other values in channel 1",
         Analysed(fresh, 1, {kGood, kSecond}),
         {"3.43", "0.75", "2.68", "C 80%~75%", "III", "合格"},
         true},
        {"copies by another writer that disagree",
         WithInfo(Analysed(fresh, 0, {kShort}), 0, "A >=90%", "I", "0.30"), shortBolt, false},
    };
}

QString Metres(const char* value)
{
    return QString::fromUtf8(value) + QStringLiteral(" m");
}

QString Conclusion(const Expected& e)
{
    if (!*e.L)
        return QStringLiteral("\r\n 未评定"); // no lengths nobody measured
    QString text = QStringLiteral("自由端长:%1m, 锚固长度:%2m").arg(e.L0, e.Lr);
    if (QString::fromUtf8(e.verdict) == QStringLiteral("未评定"))
        return text + QStringLiteral("\r\n 未评定");
    return text +
           QStringLiteral(", 密实度等级:%1, 锚固质量等级:%2类\r\n ").arg(e.grade, e.qualityClass) +
           (QString::fromUtf8(e.verdict) == QStringLiteral("合格") ? QStringLiteral("评定合格")
                                                                   : QStringLiteral("评定不合格"));
}

QSize Measure(const QString& text, double pt)
{
    return {static_cast<int>(text.size() * pt * 8), static_cast<int>(pt * 10)};
}

class OneResultTest : public FrameTest
{};

TEST_F(OneResultTest, EveryOutputShowsTheOneResult)
{
    for (const State& s : States()) {
        SCOPED_TRACE(s.name);
        const QString path = Write(QStringLiteral("MG0006.mg"), s.bytes);
        const Expected& e = s.e;
        const bool measured = *e.L != '\0';

        // The panel, right after opening.
        Open(path);
        const EvaluationPanel& panel = *frame->EvaluationPane();
        EXPECT_EQ(NameAt(kGradeNames, panel.ShownGrade()), QString::fromUtf8(e.grade));
        EXPECT_EQ(NameAt(kQualityClassNames, panel.ShownClass()),
                  QString::fromUtf8(e.qualityClass));
        EXPECT_EQ(panel.ShownAnchor(), measured ? QString::fromUtf8(e.Lr) : QString());

        // The sheet's test row and conclusion.
        TestRecord record;
        ASSERT_TRUE(record.Load(path));
        const sheet::SheetSettings settings = sheet::SettingsAfterOpening(record);
        const sheet::MeasureText measure = Measure;
        const sheet::SheetDrawList list =
            sheet::DrawSheet({{4960, 7016, 600}, record, settings, measure});
        QStringList row, conclusion;
        for (const sheet::SheetItem& item : list) {
            if (item.role == sheet::SheetRole::TestValue && item.tag >= 1)
                row << item.text;
            if (item.role == sheet::SheetRole::Conclusion)
                conclusion << item.text;
        }
        const auto metres = [measured](const char* v) { return measured ? Metres(v) : QString(); };
        EXPECT_EQ(row, (QStringList{metres(e.L), metres(e.L0), metres(e.Lr),
                                    QString::fromUtf8(e.grade)}));
        EXPECT_EQ(conclusion.join(QStringLiteral("\r\n")), Conclusion(e));

        // The summary's row and statistics.
        const summary::SummaryRow summaryRow = summary::ReadSummaryRow(path, 1);
        using summary::Column;
        const auto cell = [&summaryRow](Column c) { return summary::CellOf(summaryRow, c).text; };
        EXPECT_EQ((QStringList{cell(Column::MeasuredLength), cell(Column::FreeLength),
                               cell(Column::AnchorLength), cell(Column::Grade),
                               cell(Column::QualityClass), cell(Column::Verdict)}),
                  (QStringList{e.L, e.L0, e.Lr, e.grade, e.qualityClass, e.verdict}));
        const summary::SummaryStatistics stats = summary::ComputeStatistics({summaryRow});
        EXPECT_EQ(stats.evaluated, QString::fromUtf8(e.grade).isEmpty() ? 0 : 1);
        EXPECT_EQ(stats.passed, QString::fromUtf8(e.verdict) == QStringLiteral("合格") ? 1 : 0);

        // rovana-cli info.
        const CliRun run = RunCli({QStringLiteral("info"), path});
        ASSERT_EQ(run.exitCode, 0);
        const QJsonObject result = QJsonDocument::fromJson(run.out).object()["result"].toObject();
        EXPECT_EQ(result["verdict"].toString(), QString::fromUtf8(e.verdict));
        EXPECT_EQ(result["grade"].toString(), QString::fromUtf8(e.grade));
        EXPECT_EQ(result["qualityClass"].toString(), QString::fromUtf8(e.qualityClass));
        if (measured)
            EXPECT_EQ(QString::asprintf("%0.2f", result["length"].toDouble()), e.L);
        else
            EXPECT_TRUE(result["length"].isNull());

        // The printed page (the dialog's print into a PDF) and rovana-cli sheet's page.
        const QString printed = m_Dir.filePath(QStringLiteral("printed.pdf"));
        const QString cli = m_Dir.filePath(QStringLiteral("cli.pdf"));
        frame->SetPrintList({QStringLiteral("MG0006.mg")});
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        printer.setResolution(600);
        ASSERT_EQ(Draw().PrintPages(printer, 1, 1), 1);
        ASSERT_TRUE(sheet::WriteSheetPdf(cli, {path}).written);
        const ToolOutput a = PdfPageText(printed, 1);
        const ToolOutput b = PdfPageText(cli, 1);
        ASSERT_TRUE(a.ok && b.ok) << a.err.toStdString();
        EXPECT_EQ(a.out, b.out);
        if (measured)
            EXPECT_TRUE(a.out.contains(Metres(e.L))) << a.out.toStdString();
        else
            EXPECT_FALSE(a.out.contains(QRegularExpression(QStringLiteral("0\\.00 m(?!m)"))))
                << a.out.toStdString(); // no length nobody measured (the diameters are mm)
        EXPECT_TRUE(a.out.contains(QString::fromUtf8(e.verdict))) << a.out.toStdString();
    }
}

// A save from the main window makes the report information's copies agree with the
// analysis, whoever wrote them.
TEST_F(OneResultTest, ASaveRefreshesTheReportCopies)
{
    for (const State& s : States()) {
        SCOPED_TRACE(s.name);
        const QString path = Write(QStringLiteral("T.mg"), s.bytes);
        Open(path);
        ASSERT_TRUE(Draw().SaveInPlace());
        TestRecord saved;
        ASSERT_TRUE(saved.Load(path));
        if (saved.m_bInfoSaved != 1)
            continue;
        EXPECT_EQ(saved.m_strGradeText, QString::fromUtf8(s.e.grade));
        EXPECT_EQ(saved.m_strQualityClass, QString::fromUtf8(s.e.qualityClass));
        // The copies are numbers in the file: 0 where nothing is measured.
        const auto copy = [](const char* v) { return *v ? QString::fromUtf8(v) : "0.00"; };
        EXPECT_EQ(QString::asprintf("%0.2f", saved.m_fExposedLength), copy(s.e.L0));
        EXPECT_EQ(QString::asprintf("%0.2f", saved.m_fAnchorLength), copy(s.e.Lr));
        EXPECT_EQ(saved.m_strBoltNo, QStringLiteral("B-1")); // the other texts stay
    }
}

// Opening and saving without a change gives back the very bytes: the shipped samples and
// every state this program writes.
TEST_F(OneResultTest, AnUnchangedOpenAndSaveKeepsEveryByte)
{
    std::vector<std::pair<QString, QByteArray>> files;
    for (const char* name :
         {"MG0001.mg", "MG0002.mg", "MG0003.mg", "MG0004.mg", "MG0005.mg", "MG0006.mg"})
        files.emplace_back(QString::fromUtf8(name),
                           ReadBytes(QStringLiteral(ROVANA_SAMPLES_DIR "/") + name));
    for (const State& s : States())
        if (s.writtenByThisProgram)
            files.emplace_back(QString::fromUtf8(s.name), s.bytes);
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(bytes.size(), 13312);
        const QString path = Write(QStringLiteral("T.mg"), bytes);
        Open(path);
        EXPECT_FALSE(Draw().HasUnsavedChanges());
        ASSERT_TRUE(Draw().SaveInPlace());
        EXPECT_EQ(ChangedBytes(ReadBytes(path), bytes), QList<int>{});
    }
}

} // namespace
} // namespace rovana::test
