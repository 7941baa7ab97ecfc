// The recent-file list of four entries kept with QSettings.
#include "ShellTestSupport.h"

#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>

namespace rovana {
namespace {

const QString kOrg = QStringLiteral("RovanaShellTests");

TEST(RecentFileList, KeepsTheFourMostRecentFirstWithoutDuplicates)
{
    RecentFiles list(kOrg, test::TestSettingsName(), 4);
    EXPECT_TRUE(list.Entries().isEmpty());
    for (const char* p : {"/d/1.mg", "/d/2.mg", "/d/3.mg", "/d/4.mg", "/d/5.mg"})
        list.Add(QString::fromLatin1(p));
    EXPECT_EQ(list.Entries(), (QStringList{"/d/5.mg", "/d/4.mg", "/d/3.mg", "/d/2.mg"}));
    list.Add("/d/3.mg");
    EXPECT_EQ(list.Entries(), (QStringList{"/d/3.mg", "/d/5.mg", "/d/4.mg", "/d/2.mg"}));
    list.Remove(1);
    EXPECT_EQ(list.Entries(), (QStringList{"/d/3.mg", "/d/4.mg", "/d/2.mg"}));
    list.Remove(7); // out of range: nothing
    EXPECT_EQ(list.Entries().size(), 3);
}

TEST(RecentFileList, IsKeptInTheSettingsUnderItsOrganisation)
{
    const QString app = test::TestSettingsName();
    {
        RecentFiles list(kOrg, app, 4);
        list.Add("/d/a.mg");
        list.Add("/d/b.mg");
    }
    QSettings settings(kOrg, app);
    EXPECT_EQ(settings.value("Recent File List/File1").toString(), "/d/b.mg");
    EXPECT_EQ(settings.value("Recent File List/File2").toString(), "/d/a.mg");
    EXPECT_FALSE(settings.contains("Recent File List/File3"));
    // The settings live in the test's temporary folder, not in the user's configuration.
    EXPECT_FALSE(settings.fileName().startsWith(QDir::homePath() + "/.config"));

    RecentFiles again(kOrg, app, 4);
    EXPECT_EQ(again.Entries(), (QStringList{"/d/b.mg", "/d/a.mg"}));
}

TEST(RecentFileList, MakesRelativePathsAbsolute)
{
    RecentFiles list(kOrg, test::TestSettingsName(), 4);
    list.Add("rel.mg");
    EXPECT_EQ(list.Entries(), QStringList{QDir::current().absoluteFilePath("rel.mg")});
}

class RecentMenuTest : public test::FrameTest
{};

TEST_F(RecentMenuTest, FileMenuListsTheEntriesWithTheirIdentifiers)
{
    m_pRecent->Add("/d/a.mg");
    m_pRecent->Add("/d/b&c.mg");
    QAction* first = frame->Action(ID_FILE_MRU_FILE1);
    QAction* second = frame->Action(ID_FILE_MRU_FILE1 + 1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->text(), "&1 /d/b&&c.mg");
    EXPECT_EQ(second->text(), "&2 /d/a.mg");
    EXPECT_TRUE(first->isEnabled());
    EXPECT_EQ(frame->Action(ID_FILE_MRU_FILE1 + 2), nullptr);

    QSignalSpy spy(frame.get(), &MainWindow::OpenRecentFile);
    second->trigger();
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0][0].toInt(), 1);

    // Emptied again: the disabled placeholder returns.
    m_pRecent->Remove(0);
    m_pRecent->Remove(0);
    ASSERT_NE(frame->Action(ID_FILE_MRU_FILE1), nullptr);
    EXPECT_EQ(frame->Action(ID_FILE_MRU_FILE1)->text(), "最近的文件");
    EXPECT_FALSE(frame->Action(ID_FILE_MRU_FILE1)->isEnabled());

    // A long path gives way in the middle: its start and the file name stay.
    const QString longPath = "/data/" + QString(300, QLatin1Char('x')) + "/site/MG0042.mg";
    m_pRecent->Add(longPath);
    const QString shown = frame->Action(ID_FILE_MRU_FILE1)->text();
    EXPECT_TRUE(shown.startsWith("&1 /data/")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("MG0042.mg")) << shown.toStdString();
    EXPECT_LT(shown.size(), longPath.size());
}

} // namespace
} // namespace rovana
