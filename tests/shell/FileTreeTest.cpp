// The file tree.
#include "ShellTestSupport.h"

#include "TestFileCheck.h"

#include <QSignalSpy>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rovana {
namespace {

using test::FrameTest;

TEST(FileTreeRootLabel, IsTheLastComponentUnlessTheSeparatorIsFirst)
{
    EXPECT_EQ(FileTree::RootLabel("/data/tests/site1"), "site1");
    EXPECT_EQ(FileTree::RootLabel("data/site1"), "site1");
    EXPECT_EQ(FileTree::RootLabel("/site1"), ""); // the separator is the first character
    EXPECT_EQ(FileTree::RootLabel("site1"), "");  // no separator at all
    EXPECT_EQ(FileTree::RootLabel(""), "");
}

TEST(FolderRule, IsThePathUpToItsLastSeparatorUnlessThatIsFirst)
{
    EXPECT_EQ(FolderOf("/data/site1/MG0001.mg"), "/data/site1");
    EXPECT_EQ(FolderOf("site1/MG0001.mg"), "site1");
    EXPECT_EQ(FolderOf("/MG0001.mg"), "");
    EXPECT_EQ(FolderOf("MG0001.mg"), "");
}

class FileTreeTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        m_strB = WriteRecord("MG0002.mg");
        m_strA = WriteRecord("MG0001.mg");
        ASSERT_TRUE(test::WriteBytes(m_strFolder + "/notes.txt", "x"));
        ASSERT_TRUE(QDir().mkpath(m_strFolder + "/sub"));
        ASSERT_TRUE(test::WriteBytes(m_strFolder + "/sub/MG0009.mg", "x"));
    }

    QString m_strA, m_strB;
};

TEST_F(FileTreeTest, EmptyUntilAFolderIsSet)
{
    EXPECT_EQ(Tree().topLevelItemCount(), 0);
    Tree().RefreshTree();
    EXPECT_EQ(Tree().topLevelItemCount(), 0);
}

TEST_F(FileTreeTest, RootNamedAfterTheFolderWithOneChildPerMgFile)
{
    Tree().m_strFolder = m_strFolder;
    Tree().RefreshTree();
    ASSERT_EQ(Tree().topLevelItemCount(), 1);
    QTreeWidgetItem* root = Tree().RootItem();
    EXPECT_EQ(root->text(0), "site1");
    EXPECT_TRUE(root->isExpanded());
    // Sorted by name: the file system's enumeration order is unspecified.
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->child(0)->text(0), "MG0001.mg");
    EXPECT_EQ(root->child(1)->text(0), "MG0002.mg");
    EXPECT_EQ(FileTree::ItemPath(root->child(0)), m_strFolder + "/MG0001.mg");
    EXPECT_EQ(FileTree::ItemPath(root->child(1)), m_strFolder + "/MG0002.mg");
    EXPECT_EQ(root->child(0)->data(0, FileTree::kFlagRole).toInt(), 1);
    EXPECT_TRUE(FileTree::ItemPath(root).isEmpty());
    EXPECT_FALSE(root->icon(0).isNull());
    EXPECT_FALSE(root->child(0)->icon(0).isNull());
}

TEST_F(FileTreeTest, FolderWithoutMgFilesGivesARootWithoutChildren)
{
    const QString empty = m_Dir.path() + "/empty";
    ASSERT_TRUE(QDir().mkpath(empty));
    Tree().m_strFolder = empty;
    Tree().RefreshTree();
    ASSERT_NE(Tree().RootItem(), nullptr);
    EXPECT_EQ(Tree().RootItem()->text(0), "empty");
    EXPECT_EQ(Tree().RootItem()->childCount(), 0);
}

TEST_F(FileTreeTest, RebuildReplacesEveryOldItem)
{
    Tree().m_strFolder = m_strFolder;
    Tree().RefreshTree();
    const QString other = m_Dir.path() + "/site2";
    ASSERT_TRUE(QDir().mkpath(other));
    ASSERT_TRUE(test::WriteBytes(other + "/X.mg", "x"));
    Tree().m_strFolder = other;
    Tree().RefreshTree();
    ASSERT_EQ(Tree().topLevelItemCount(), 1);
    EXPECT_EQ(Tree().RootItem()->text(0), "site2");
    ASSERT_EQ(Tree().RootItem()->childCount(), 1);
    EXPECT_EQ(FileTree::ItemPath(Tree().RootItem()->child(0)), other + "/X.mg");

    Tree().m_strFolder.clear();
    Tree().RefreshTree();
    EXPECT_EQ(Tree().topLevelItemCount(), 0);
}

TEST_F(FileTreeTest, MouseClickOnAFileRunsTheTreeClickLoad)
{
    ShowFrame();
    Open(m_strA);
    ASSERT_TRUE(messages.isEmpty());
    QTreeWidgetItem* second = Tree().RootItem()->child(1);
    QSignalSpy spy(&Tree(), &FileTree::FileClicked);
    QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {},
                      Tree().visualItemRect(second).center());
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0][0].toString(), m_strB);
    EXPECT_EQ(Draw().m_strCurPath, m_strB);
    EXPECT_EQ(m_pRecent->Entries().value(0), m_strB);
}

TEST_F(FileTreeTest, ClickOnTheRootLoadsNothing)
{
    ShowFrame();
    Open(m_strA);
    QSignalSpy spy(&Tree(), &FileTree::FileClicked);
    QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {},
                      Tree().visualItemRect(Tree().RootItem()).center());
    EXPECT_EQ(spy.size(), 0);
    EXPECT_EQ(Draw().m_strCurPath, m_strA);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(FileTreeTest, ClickBelowTheItemsAndRightClickLoadNothing)
{
    ShowFrame();
    Open(m_strA);
    QSignalSpy spy(&Tree(), &FileTree::FileClicked);
    QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {},
                      QPoint(5, Tree().viewport()->height() - 3));
    QTest::mouseClick(Tree().viewport(), Qt::RightButton, {},
                      Tree().visualItemRect(Tree().RootItem()->child(1)).center());
    EXPECT_EQ(spy.size(), 0);
    EXPECT_EQ(Draw().m_strCurPath, m_strA);
}

TEST_F(FileTreeTest, KeyboardSelectionLoadsButSettingTheCurrentItemInCodeDoesNot)
{
    ShowFrame();
    Open(m_strA);
    Tree().setFocus();
    QSignalSpy clicks(&Tree(), &FileTree::FileClicked);
    QSignalSpy chosen(&Tree(), &FileTree::FileChosen);
    Tree().setCurrentItem(Tree().RootItem()->child(1));
    EXPECT_EQ(chosen.size(), 0);
    EXPECT_EQ(Draw().m_strCurPath, m_strA);
    Tree().setCurrentItem(Tree().RootItem()->child(0));
    QTest::keyClick(&Tree(), Qt::Key_Down);
    EXPECT_EQ(Tree().currentItem(), Tree().RootItem()->child(1));
    EXPECT_EQ(clicks.size(), 0);
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0][0].toString(), m_strB);
    EXPECT_EQ(Draw().m_strCurPath, m_strB);
}

// The tree shows which file is open after every entrance, and a double-click loads once.
TEST_F(FileTreeTest, TheOpenFileIsMarkedAndADoubleClickLoadsOnce)
{
    ShowFrame();
    Open(m_strA);
    ASSERT_NE(Tree().OpenFileItem(), nullptr);
    EXPECT_EQ(FileTree::ItemPath(Tree().OpenFileItem()), m_strA);
    EXPECT_EQ(Tree().currentItem(), Tree().OpenFileItem());
    EXPECT_TRUE(Tree().OpenFileItem()->font(0).bold());

    QTreeWidgetItem* second = Tree().RootItem()->child(1);
    QSignalSpy spy(&Tree(), &FileTree::FileClicked);
    // A double-click as the window system delivers it: a click, then a press, the
    // double-click and a release.
    const QPoint at = Tree().visualItemRect(second).center();
    QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(Tree().viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(spy.size(), 1);
    EXPECT_EQ(Tree().OpenFileItem(), second);
    EXPECT_FALSE(Tree().RootItem()->child(0)->font(0).bold());
    EXPECT_EQ(Tree().textElideMode(), Qt::ElideMiddle);
}

} // namespace
} // namespace rovana

namespace rovana {
namespace {

// A FIFO named like a test file, a folder, links, an upper-case extension and a name in
// code page 936 ("测试.mg"), as a folder unpacked from a Windows archive has it.
using test::FrameTest;

class FileTreeKindsTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        m_strA = WriteRecord("MG0001.mg");
        InstrumentRecord other = test::SampleRecord();
        other.waveSpeed = 4321;
        m_Gbk = m_strFolder.toUtf8() + "/\xB2\xE2\xCA\xD4.mg";
        const QByteArray bytes = ComposeInstrumentFile(other);
        const int fd = ::open(m_Gbk.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, bytes.constData(), bytes.size()), bytes.size());
        ::close(fd);
        WriteRecord("C.MG");
        ASSERT_EQ(::mkfifo((m_strFolder + "/x.mg").toUtf8().constData(), 0644), 0);
        ASSERT_TRUE(QDir().mkpath(m_strFolder + "/d.mg"));
        ASSERT_TRUE(QFile::link(m_strA, m_strFolder + "/link.mg"));
        ASSERT_TRUE(QFile::link(m_strFolder + "/gone.mg", m_strFolder + "/dangling.mg"));
    }
    void TearDown() override
    {
        ::unlink(m_Gbk.constData()); // QTemporaryDir cannot remove a name that is not UTF-8
        FrameTest::TearDown();
    }

    QString m_strA;
    QByteArray m_Gbk;
};

TEST_F(FileTreeKindsTest, ListsRegularFilesOnlyAndShowsCodePage936NamesDecoded)
{
    Tree().m_strFolder = m_strFolder;
    Tree().RefreshTree();
    QTreeWidgetItem* root = Tree().RootItem();
    ASSERT_NE(root, nullptr);
    QStringList names;
    for (int i = 0; i < root->childCount(); ++i)
        names << root->child(i)->text(0);
    EXPECT_EQ(names, QStringList({"C.MG", "MG0001.mg", "link.mg", QStringLiteral("测试.mg")}));
    // At once, without blocking.
    EXPECT_EQ(CheckTestFile(m_strFolder + "/x.mg"), TestFileCheck::NotRegular);
}

TEST_F(FileTreeKindsTest, ClickOnACodePage936NameLoadsThatFile)
{
    ShowFrame();
    Open(m_strA);
    ASSERT_TRUE(messages.isEmpty());
    QTreeWidgetItem* gbk = Tree().RootItem()->child(3);
    ASSERT_EQ(gbk->text(0), QStringLiteral("测试.mg"));
    QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {}, Tree().visualItemRect(gbk).center());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    EXPECT_EQ(Draw().m_strCurPath, FileTree::ItemPath(gbk));
    EXPECT_EQ(Draw().m_CurData.m_nWaveSpeed, 4321);
}

} // namespace
} // namespace rovana
