// Moving through a site: the tree's keyboard, 下一个测试 / 上一个测试, and a tree that
// follows its folder.
#include "ShellTestSupport.h"

#include <QSignalSpy>

namespace rovana::test {
namespace {

class NavigationTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        for (const char* name : {"MG0001.mg", "MG0002.mg", "MG0003.mg"})
            m_Tests << WriteRecord(QString::fromLatin1(name));
    }

    // The load requests of the tree since the spies were made: clicks and keyboard.
    int Loads() const { return static_cast<int>(m_pClicks->size() + m_pChosen->size()); }
    void Spy()
    {
        m_pClicks = std::make_unique<QSignalSpy>(&Tree(), &FileTree::FileClicked);
        m_pChosen = std::make_unique<QSignalSpy>(&Tree(), &FileTree::FileChosen);
    }

    QStringList m_Tests;
    std::unique_ptr<QSignalSpy> m_pClicks, m_pChosen;
};

TEST_F(NavigationTest, TheTreesKeysLoadEachTestOnceAndNeverTheOneOnScreen)
{
    ShowFrame();
    Open(m_Tests[0]);
    Tree().setFocus();
    Spy();
    struct Row
    {
        Qt::Key key;
        int shown; // index of the test on screen afterwards
        int loads; // load requests so far
    };
    const Row rows[] = {
        {Qt::Key_Down, 1, 1},   {Qt::Key_Down, 2, 2},  {Qt::Key_Down, 2, 2}, // the last stays
        {Qt::Key_Return, 2, 2}, {Qt::Key_Up, 1, 3},    {Qt::Key_Home, 1, 3}, // Home: the root
        {Qt::Key_End, 2, 4},    {Qt::Key_Enter, 2, 4},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(QKeySequence(r.key).toString().toStdString());
        QTest::keyClick(&Tree(), r.key);
        EXPECT_EQ(Draw().m_strCurPath, m_Tests[r.shown]);
        EXPECT_EQ(Loads(), r.loads);
    }
    // A click on another test asks once, from the release only.
    QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {},
                      Tree().visualItemRect(Tree().RootItem()->child(0)).center());
    EXPECT_EQ(Draw().m_strCurPath, m_Tests[0]);
    EXPECT_EQ(Loads(), 5);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
}

TEST_F(NavigationTest, PageDownAndPageUpWalkTheFolderInTreeOrder)
{
    ShowFrame();
    Open(m_Tests[1]);
    const QString refused = Write("MG0002a.mg", QByteArray()); // between 2 and 3 by name
    Tree().ShowFolder(m_strFolder);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Tree().IsListing(); }, 5000));
    ASSERT_EQ(Tree().RootItem()->childCount(), 4);
    ASSERT_EQ(FileTree::ItemPath(Tree().currentItem()), m_Tests[1]);
    struct Row
    {
        Qt::Key key;
        QString shown;
        QString current;
        int messages;
    };
    const Row rows[] = {
        {Qt::Key_PageDown, m_Tests[1], refused, 1}, // refused: the walk goes past it
        {Qt::Key_PageDown, m_Tests[2], m_Tests[2], 1},
        {Qt::Key_PageDown, m_Tests[2], m_Tests[2], 1}, // the last: nothing further
        {Qt::Key_PageUp, m_Tests[2], refused, 2},
        {Qt::Key_PageUp, m_Tests[1], m_Tests[1], 2},
        {Qt::Key_PageUp, m_Tests[0], m_Tests[0], 2},
        {Qt::Key_PageUp, m_Tests[0], m_Tests[0], 2}, // the first: nothing before it
    };
    for (const Row& r : rows) {
        QTest::keyClick(frame.get(), r.key);
        EXPECT_EQ(Draw().m_strCurPath, r.shown);
        EXPECT_EQ(FileTree::ItemPath(Tree().currentItem()), r.current);
        EXPECT_EQ(messages.size(), r.messages);
    }
}

TEST_F(NavigationTest, CancelOfTheUnsavedQuestionKeepsTheTestAndTheTreeOnIt)
{
    ShowFrame();
    Open(m_Tests[0]);
    Tree().setFocus();
    frame->m_pEvaluationPanel->ClickCriterion(3); // a change
    unsavedAnswer = MainWindow::UnsavedAnswer::Cancel;
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_PageDown}) {
        questions.clear();
        QTest::keyClick(&Tree(), key);
        EXPECT_EQ(questions, QStringList{QStringLiteral("MG0001")});
        EXPECT_EQ(Draw().m_strCurPath, m_Tests[0]);
        EXPECT_EQ(Tree().currentItem(), Tree().OpenFileItem());
    }
}

// The tree follows its folder within a second, keeping the current item.
TEST_F(NavigationTest, FilesAddedRemovedOrRenamedAppearWithinASecond)
{
    Open(m_Tests[1]);
    QTreeWidgetItem* current = Tree().currentItem();
    ASSERT_EQ(FileTree::ItemPath(current), m_Tests[1]);
    const auto names = [this] {
        QStringList shown;
        for (int i = 0; i < Tree().RootItem()->childCount(); ++i)
            shown << Tree().RootItem()->child(i)->text(0);
        return shown;
    };
    struct Row
    {
        std::function<bool()> change;
        QStringList names;
    };
    const Row rows[] = {
        {[&] { return QFile::copy(m_Tests[0], m_strFolder + "/MG0000.mg"); },
         {"MG0000.mg", "MG0001.mg", "MG0002.mg", "MG0003.mg"}},
        {[&] { return QFile::remove(m_Tests[2]); }, {"MG0000.mg", "MG0001.mg", "MG0002.mg"}},
        {[&] { return QFile::rename(m_Tests[0], m_strFolder + "/MG0009.mg"); },
         {"MG0000.mg", "MG0002.mg", "MG0009.mg"}},
    };
    for (const Row& r : rows) {
        ASSERT_TRUE(r.change());
        QElapsedTimer t;
        t.start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return names() == r.names; }, 1000))
            << names().join(' ').toStdString();
        EXPECT_LT(t.elapsed(), 1000);
        EXPECT_EQ(Tree().currentItem(), current);
    }
}

} // namespace
} // namespace rovana::test
