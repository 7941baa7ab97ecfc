// Start-up and the open-document entry (recent-file list and command line).
#include "Application.h"
#include "ShellTestSupport.h"

namespace rovana {
namespace {

using test::MarkerState;
using test::StateOf;

class AppTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Dir.isValid());
        m_strFolder = m_Dir.path() + "/site1";
        ASSERT_TRUE(QDir().mkpath(m_strFolder));
        app = std::make_unique<Application>(QStringLiteral("RovanaShellTests"),
                                            test::TestSettingsName());
        app->SetMessageSink([this](const QString& text) { messages << text; });
    }

    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_strFolder + "/" + name;
        EXPECT_TRUE(test::WriteBytes(path, bytes));
        return path;
    }

    QString WriteRecord(const QString& name, const InstrumentRecord& r = test::SampleRecord())
    {
        return Write(name, ComposeInstrumentFile(r));
    }

    MainWindow& Frame() { return *app->Window(); }
    ReportView& Draw() { return *app->Window()->ReportPane(); }
    ChannelView& View(int c) { return *Draw().m_pChannelView[c]; }

    QTemporaryDir m_Dir;
    QString m_strFolder;
    QStringList messages;
    std::unique_ptr<Application> app;
};

TEST_F(AppTest, WithoutArgumentsTheMainWindowStartsEmpty)
{
    ASSERT_TRUE(app->InitInstance({}, false));
    ASSERT_NE(app->Window(), nullptr);
    EXPECT_EQ(Frame().m_bFileLoaded, 0);
    EXPECT_TRUE(Draw().m_strCurPath.isEmpty());
    EXPECT_EQ(Frame().RecentFileList(), app->RecentFileList());
    EXPECT_EQ(app->RecentFileList()->Size(), 4);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(AppTest, StartsMaximised)
{
    ASSERT_TRUE(app->InitInstance({}, true));
    EXPECT_TRUE(Frame().windowState() & Qt::WindowMaximized);
    Frame().close();
}

TEST_F(AppTest, AFileOnTheCommandLineIsOpenedOnceTheMainWindowExists)
{
    const QString path = WriteRecord("MG0001.mg");
    ASSERT_TRUE(app->InitInstance({path}, false));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
    EXPECT_EQ(Draw().m_strCurPath, path);
    EXPECT_EQ(Draw().m_strFolder, m_strFolder);
    EXPECT_EQ(Frame().m_bFileLoaded, 1);
    EXPECT_EQ(Draw().m_CurData.m_nSampleCount, 1024);
    ASSERT_NE(Frame().TreePane()->RootItem(), nullptr);
    EXPECT_EQ(Frame().TreePane()->RootItem()->text(0), "site1");
    // The entry itself does not add to the recent-file list.
    EXPECT_TRUE(app->RecentFileList()->Entries().isEmpty());
}

TEST_F(AppTest, ARelativeCommandLinePathIsTakenFromTheCurrentDirectory)
{
    const QString path = WriteRecord("MG0001.mg");
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_strFolder));
    const bool ok = app->InitInstance({"MG0001.mg"}, false);
    QDir::setCurrent(old);
    ASSERT_TRUE(ok);
    EXPECT_EQ(QFileInfo(Draw().m_strCurPath).canonicalFilePath(),
              QFileInfo(path).canonicalFilePath());
}

TEST_F(AppTest, AMissingCommandLineFileEndsTheProgramAfterTheMessage)
{
    EXPECT_FALSE(app->InitInstance({m_strFolder + "/GONE.mg"}, false));
    EXPECT_EQ(messages, QStringList{"文件不存在！"});
}

TEST_F(AppTest, AnEmptyFileCannotBeRead)
{
    ASSERT_TRUE(app->InitInstance({}, false));
    EXPECT_FALSE(app->OpenDocumentFile(Write("EMPTY.mg", {})));
    EXPECT_EQ(messages, QStringList{"无法读取文件（文件长度 0 字节）: EMPTY.mg"});
    EXPECT_EQ(Frame().m_bFileLoaded, 0);
    EXPECT_EQ(Frame().TreePane()->topLevelItemCount(), 0);
}

TEST_F(AppTest, OnlyTheNewFilesMarkersRemainAndTheGainIsLeftAlone)
{
    QByteArray b = ComposeInstrumentFile(test::SampleRecord());
    test::SetMarkers(b, 1, 2, {20, 60, 220, 100, 150});
    const QString path = Write("C3.mg", b);
    ASSERT_TRUE(app->InitInstance({}, false));
    const MarkerState earlier{{1, 0, 1, 0, 0}, {77, 0, 300, 0, 0}};
    for (int c = 0; c < 3; ++c) {
        test::SetState(Draw(), c, earlier);
        View(c).m_nMagnify = 5;
    }
    ASSERT_TRUE(app->OpenDocumentFile(path));
    // Only the new file's markers remain.
    const MarkerState cleared{{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
    EXPECT_EQ(StateOf(View(0)), cleared);
    EXPECT_EQ(StateOf(View(1)), cleared);
    EXPECT_EQ(StateOf(View(2)), (MarkerState{{1, 1, 1, 1, 1}, {20, 60, 220, 100, 150}}));
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(View(c).m_nMagnify, 5) << c; // not touched by this entrance
}

TEST_F(AppTest, NoMarkedChannelsRestoresNothing)
{
    QByteArray b = ComposeInstrumentFile(test::SampleRecord());
    test::SetMarkers(b, 0, 1, {20, 60, 220, 0, 0});
    ASSERT_TRUE(app->InitInstance({}, false));
    ASSERT_TRUE(app->OpenDocumentFile(Write("NONE.mg", b)));
    EXPECT_EQ(StateOf(View(1)), (MarkerState{{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}));
}

TEST_F(AppTest, ReportChannelAndBinWidthOfChannel3)
{
    QByteArray b = ComposeInstrumentFile(test::CosineRecord({40, 20, 90}));
    test::SetReportChannel(b, 2);
    ASSERT_TRUE(app->InitInstance({}, false));
    ASSERT_TRUE(app->OpenDocumentFile(Write("COS.mg", b)));
    EXPECT_EQ(Draw().m_nActiveChannel, 2);
    EXPECT_FLOAT_EQ(Frame().m_fBinWidth, 97.65625f);
    EXPECT_FLOAT_EQ(Frame().m_fPeakFrequency, 90 * 97.65625f);
}

TEST_F(AppTest, APathWithoutFolderKeepsThePreviousRecord)
{
    const QString first = WriteRecord("MG0001.mg");
    InstrumentRecord other = test::SampleRecord();
    other.sampleCount = 512;
    WriteRecord("MG0002.mg", other);
    ASSERT_TRUE(app->InitInstance({first}, false));

    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_strFolder));
    const bool ok = app->OpenDocumentFile("MG0002.mg");
    QDir::setCurrent(old);
    EXPECT_TRUE(ok);
    EXPECT_EQ(messages, QStringList{"未有选择文件，请重试！"});
    // The test on screen stays whole, path included: a save must not write it into the
    // other file.
    EXPECT_EQ(Draw().m_CurData.m_nSampleCount, 1024);
    EXPECT_EQ(Draw().m_strCurPath, first);
    EXPECT_EQ(Draw().m_strFolder, m_strFolder);
    EXPECT_EQ(Frame().TreePane()->RootItem()->text(0), "site1"); // not rebuilt
}

TEST_F(AppTest, AnInvalidDateStopsTheEntryWithItsMessage)
{
    const QString first = WriteRecord("MG0001.mg");
    ASSERT_TRUE(app->InitInstance({first}, false));
    const TestRecord before = Draw().m_CurData;
    InstrumentRecord r = test::SampleRecord();
    r.year = 1800;
    EXPECT_FALSE(app->OpenDocumentFile(WriteRecord("BAD.mg", r)));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("测试日期无效，无法读取文件（")));
    EXPECT_TRUE(messages[0].endsWith(QStringLiteral(": BAD.mg")));
    EXPECT_EQ(Draw().m_CurData, before);
    EXPECT_EQ(Draw().m_strCurPath, first);
}

TEST_F(AppTest, ChoosingARecentFileOpensItThroughTheEntry)
{
    const QString path = WriteRecord("MG0001.mg");
    ASSERT_TRUE(app->InitInstance({}, false));
    app->RecentFileList()->Add(path);
    Frame().Action(ID_FILE_MRU_FILE1)->trigger();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
    EXPECT_EQ(Draw().m_strCurPath, path);
    EXPECT_EQ(app->RecentFileList()->Entries(), QStringList{path});
}

TEST_F(AppTest, ARecentFileThatFailsToOpenLeavesTheList)
{
    const QString kept = WriteRecord("MG0001.mg");
    const QString gone = m_strFolder + "/GONE.mg";
    ASSERT_TRUE(app->InitInstance({}, false));
    app->RecentFileList()->Add(kept);
    app->RecentFileList()->Add(gone);
    Frame().Action(ID_FILE_MRU_FILE1)->trigger();
    EXPECT_EQ(messages, QStringList{"文件不存在！"});
    EXPECT_EQ(app->RecentFileList()->Entries(), QStringList{kept});
}

TEST_F(AppTest, TheOpenCommandAddsToTheApplicationsRecentList)
{
    const QString path = WriteRecord("MG0001.mg");
    ASSERT_TRUE(app->InitInstance({}, false));
    Frame().SetOpenDialog([path] { return path; });
    Frame().Action(ID_FILE_OPEN)->trigger();
    EXPECT_EQ(app->RecentFileList()->Entries(), QStringList{path});
    EXPECT_EQ(Frame().Action(ID_FILE_MRU_FILE1)->text(), "&1 " + path);
}

} // namespace
} // namespace rovana
