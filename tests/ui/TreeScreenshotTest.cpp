// Pictures of the folder tree for review: expanded a few levels with a folder selected, and as
// the left pane of the splitter, shown and hidden. Each test also checks what its picture relies
// on. The pictures go to QV_SCREENSHOT_DIR.

#include "FolderTreeFixture.h"
#include "foldertree/FileTreeCtrl.h"
#include "widgets/SSplitter.h"

#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void Screenshot(QWidget& widget, const char* name)
{
    QDir().mkpath(QStringLiteral(QV_SCREENSHOT_DIR));
    EXPECT_TRUE(widget.grab().save(QStringLiteral(QV_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name))));
}

// A home folder a few levels deep, a desktop folder, and a mount table of "/", a data disk and a
// CD.
class TreeScreenshotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_home = m_dir.filePath(QStringLiteral("home/me"));
        m_data = m_dir.filePath(QStringLiteral("mnt/data"));
        for (const char* folder : {"Desktop/Projects", "Documents", "Music/Jazz", "Music/Rock/Classic/1970s",
                                   "Music/Rock/Live", "Pictures/Holidays", ".cache/thumbnails"})
            ASSERT_TRUE(QDir().mkpath(m_home + QLatin1Char('/') + QLatin1String(folder)));
        ASSERT_TRUE(QDir().mkpath(m_data + QStringLiteral("/Albums/2024")));
        ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("mnt/cd"))));

        MountSources mountSources;
        mountSources.sysfsRoot = m_dir.filePath(QStringLiteral("sys"));  // missing: nothing removable
        mountSources.byLabelDir = m_dir.filePath(QStringLiteral("by-label"));
        const QByteArray mountinfo = "21 1 254:1 / / rw - ext4 /dev/vda1 rw\n"
                                     "34 21 8:2 / " + Escaped(m_data) + " rw - ext4 /dev/sda2 rw\n"
                                     "33 21 11:0 / " + Escaped(m_dir.filePath(QStringLiteral("mnt/cd"))) +
                                     " ro - iso9660 /dev/sr0 ro\n";
        m_sources.mounts = ParseMountInfo(mountinfo, mountSources);
        ASSERT_EQ(m_sources.mounts->size(), 3u);
        m_sources.homePath = m_home;
        m_sources.desktopPath = m_home + QStringLiteral("/Desktop");
    }

    // The selected row lies wholly inside the viewport's height, with its icon.
    static void ExpectSelectionVisible(const CFileTreeCtrl& tree)
    {
        const QModelIndex current = tree.currentIndex();
        ASSERT_TRUE(current.isValid());
        const QRect row = tree.visualRect(current);
        EXPECT_TRUE(row.top() >= 0 && row.bottom() < tree.viewport()->height())
            << "row " << row.y() << ".." << row.bottom() << ", viewport height " << tree.viewport()->height();
        EXPECT_FALSE(current.data(Qt::DecorationRole).value<QIcon>().isNull());
    }

    QTemporaryDir m_dir;
    QString m_home;
    QString m_data;
    FolderTreeModel::Sources m_sources;
};

TEST_F(TreeScreenshotTest, FolderTreeExpandedWithAFolderSelected)
{
    CFileTreeCtrl tree(m_sources);
    tree.resize(320, 480);
    FolderTreeModel* model = tree.Model();
    tree.expand(model->ComputerIndex());
    ASSERT_TRUE(tree.SetSelectedPath(m_home + QStringLiteral("/Music/Rock/Classic")));
    tree.show();
    tree.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    Screenshot(tree, "foldertree");

    // Every item along the way open, Computer listing the drives, the dot folder left out.
    EXPECT_EQ(model->rowCount(model->ComputerIndex()), 3);
    EXPECT_EQ(model->rowCount(model->HomeIndex()), 4);
    for (QModelIndex i = tree.currentIndex().parent(); i.isValid(); i = i.parent())
        EXPECT_TRUE(tree.isExpanded(i)) << i.data().toString().toStdString();
    // The selected folder has an expand button but is not open.
    EXPECT_TRUE(model->hasChildren(tree.currentIndex()));
    EXPECT_FALSE(tree.isExpanded(tree.currentIndex()));
    ExpectSelectionVisible(tree);
}

TEST_F(TreeScreenshotTest, TreeAsTheSplittersLeftPaneShownHiddenAndShownAgain)
{
    QWidget host;
    host.resize(640, 400);
    auto* tree = new CFileTreeCtrl(m_sources, &host);
    auto* files = new QListWidget(&host);
    for (const char* name : {"01 - Opening.ogg", "02 - Second Movement.ogg", "03 - Finale.ogg", "cover.jpg"})
        files->addItem(QLatin1String(name));
    auto* splitter = new CSSplitter(&host);
    splitter->Create(&host, tree, files, 7301, QRect(0, 0, 640, 400), 120, 150);
    ASSERT_TRUE(tree->SetSelectedPath(m_home + QStringLiteral("/Music/Rock"), true));
    host.show();
    tree->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    Screenshot(host, "splitter-shown");
    const QRect treeGeometry = tree->geometry();
    EXPECT_EQ(treeGeometry.width(), 240);  // twice the left minimum: nothing stored under this id

    splitter->HideLeftPane();
    QCoreApplication::processEvents();
    Screenshot(host, "splitter-hidden");

    // The folder is selected while the pane is hidden (as the file list's folder can change); on
    // showing the pane the tree is where it was, with the new selection in view.
    ASSERT_TRUE(tree->SetSelectedPath(m_data + QStringLiteral("/Albums/2024")));
    splitter->ShowLeftPane();
    QCoreApplication::processEvents();
    EXPECT_EQ(tree->geometry(), treeGeometry);
    EXPECT_EQ(tree->SelectedPath(), m_data + QStringLiteral("/Albums/2024"));
    ExpectSelectionVisible(*tree);
}

}  // namespace
