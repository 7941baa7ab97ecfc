// Picking up where the last run left off: window, tree width, folder and test, kept with
// QSettings (in the test run's temporary folder), and the old settings taken over once.
#include "Application.h"
#include "MainSplitter.h"
#include "SessionSettings.h"
#include "ShellTestSupport.h"

#include <QSettings>

namespace rovana::test {
namespace {

const QString kOrg = QStringLiteral("RovanaShellTests");

class SessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Dir.isValid());
        m_strFolder = m_Dir.path() + "/site1";
        ASSERT_TRUE(QDir().mkpath(m_strFolder));
        for (const char* name : {"MG0001.mg", "MG0002.mg"}) {
            m_Tests << m_strFolder + "/" + QString::fromLatin1(name);
            ASSERT_TRUE(WriteBytes(m_Tests.back(), ComposeInstrumentFile(SampleRecord())));
        }
    }

    // A new run of the program without an argument.
    Application& Start(const QStringList& arguments = {})
    {
        m_pApp = std::make_unique<Application>(kOrg, TestSettingsName());
        m_pApp->SetMessageSink([this](const QString& text) { messages << text; });
        EXPECT_TRUE(m_pApp->InitInstance(arguments, false));
        return *m_pApp;
    }
    MainWindow& Frame() { return *m_pApp->Window(); }

    QTemporaryDir m_Dir;
    QString m_strFolder;
    QStringList m_Tests;
    QStringList messages;
    std::unique_ptr<Application> m_pApp;
};

TEST_F(SessionTest, TheNextRunOpensTheLastFolderAndTestInTheLastWindow)
{
    Start({m_Tests[1]});
    Frame().resize(910, 640);
    static_cast<MainSplitter*>(Frame().centralWidget())->SetTreeWidth(233);
    m_pApp->SaveSession();
    m_pApp.reset();

    QSettings settings(kOrg, TestSettingsName());
    EXPECT_FALSE(settings.fileName().startsWith(QDir::homePath() + "/.config"));
    EXPECT_EQ(settings.value("Session/Folder").toString(), m_strFolder);
    EXPECT_EQ(settings.value("Session/Test").toString(), m_Tests[1]);
    EXPECT_EQ(settings.value("Session/TreeWidth").toInt(), 233);

    Start();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    EXPECT_EQ(Frame().ReportPane()->m_strCurPath, m_Tests[1]);
    EXPECT_EQ(Frame().TreePane()->m_strFolder, m_strFolder);
    EXPECT_EQ(Frame().size(), QSize(910, 640));
    EXPECT_EQ(Frame().CurrentSession().treeWidth, 233);
    // A file on the command line wins over the last test.
    m_pApp->SaveSession();
    Start({m_Tests[0]});
    EXPECT_EQ(Frame().ReportPane()->m_strCurPath, m_Tests[0]);
}

TEST_F(SessionTest, WhatHasGoneSinceIsPassedOverWithoutAWord)
{
    struct Row
    {
        bool removeTest;
        bool removeFolder;
        bool loaded;
        bool tree;
    };
    for (const Row& r : {Row{false, false, true, true}, Row{true, false, false, true},
                         Row{true, true, false, false}}) {
        SCOPED_TRACE(testing::Message() << r.removeTest << r.removeFolder);
        ASSERT_TRUE(WriteBytes(m_Tests[0], ComposeInstrumentFile(SampleRecord())));
        QSettings settings(kOrg, TestSettingsName());
        WriteSession(settings, {{}, 0, m_strFolder, m_Tests[0]});
        if (r.removeTest) {
            ASSERT_TRUE(QFile::remove(m_Tests[0]));
        }
        if (r.removeFolder) {
            ASSERT_TRUE(QDir(m_strFolder).removeRecursively());
        }
        Start();
        EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
        EXPECT_EQ(Frame().m_bFileLoaded, r.loaded ? 1 : 0);
        EXPECT_EQ(Frame().TreePane()->RootItem() != nullptr, r.tree);
        ASSERT_TRUE(QDir().mkpath(m_strFolder));
    }
}

TEST_F(SessionTest, TheOldSettingsAreReadOnceAndThenTheNewPlaceIsUsed)
{
    QSettings old(kOldOrganisation, TestSettingsName());
    old.setValue("Recent File List/File1", m_Tests[0]);
    old.sync();
    Start();
    EXPECT_EQ(m_pApp->RecentFileList()->Entries(), QStringList{m_Tests[0]});
    EXPECT_EQ(QSettings(kOrg, TestSettingsName()).value("Recent File List/File1").toString(),
              m_Tests[0]);

    old.setValue("Recent File List/File1", m_Tests[1]); // not read again
    old.sync();
    m_pApp->RecentFileList()->Remove(0);
    Start();
    EXPECT_TRUE(m_pApp->RecentFileList()->Entries().isEmpty());
}

} // namespace
} // namespace rovana::test
