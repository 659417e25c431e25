// The folder tree: its top items, the volumes below Computer, lazy reading and forgetting,
// hidden folders, sibling order, selecting by path, the selection signal and vanished folders.
// Everything runs against a fixture home folder and a fixture mount table.

#include "FolderTreeFixture.h"
#include "QtPrinters.h"
#include "foldertree/FileTreeCtrl.h"
#include "foldertree/FolderTreeModel.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using Kind = FolderTreeModel::Kind;

TEST_F(FileTreeTest, DesktopIsTheTopItemWithSpecialItemsThenItsFoldersByName)
{
    FolderTreeModel model(m_sources);
    ASSERT_EQ(model.rowCount(), 1);
    const QModelIndex desktop = model.DesktopIndex();
    EXPECT_EQ(model.KindOf(desktop), Kind::Desktop);
    EXPECT_EQ(model.PathOf(desktop), m_desktop);

    QList<int> kinds;
    QStringList paths;
    for (int row = 0; row < model.rowCount(desktop); ++row) {
        kinds.append(model.index(row, 0, desktop).data(FolderTreeModel::KindRole).toInt());
        paths.append(model.PathOf(model.index(row, 0, desktop)));
    }
    const QString d = m_desktop + QLatin1Char('/');
    EXPECT_EQ(kinds, (QList<int>{int(Kind::Home), int(Kind::Computer), int(Kind::Network), int(Kind::Folder),
                                 int(Kind::Folder), int(Kind::Folder), int(Kind::Folder)}));
    // Case-insensitive by name, the exact comparison breaking the Alpha/alpha tie; ".secret" hidden.
    EXPECT_EQ(paths, (QStringList{m_home, QString(), QString(), d + "Alpha", d + "alpha", d + "beta", d + "Zeta"}));
    EXPECT_EQ(ChildTexts(model, desktop).section(QLatin1Char('|'), 1, 2), QStringLiteral("Computer|Network"));
}

TEST_F(FileTreeTest, DesktopSameAsHomeOrMissingIsNotListed)
{
    for (const QString& desktop : {m_home, m_home + QStringLiteral("/"), m_dir.filePath("nowhere")}) {
        FolderTreeModel::Sources sources = m_sources;
        sources.desktopPath = desktop;
        FolderTreeModel model(sources);
        EXPECT_TRUE(model.DesktopPath().isEmpty()) << desktop.toStdString();
        EXPECT_EQ(model.rowCount(model.DesktopIndex()), 3) << desktop.toStdString();
    }
}

TEST_F(FileTreeTest, ComputerListsVolumesAndNetworkListsMountsAndPlaces)
{
    FolderTreeModel model(m_sources);
    const QModelIndex computer = model.ComputerIndex();
    const QModelIndex network = model.NetworkIndex();
    EXPECT_EQ(model.rowCount(computer), 0);  // not read before expansion
    EXPECT_TRUE(model.hasChildren(computer));
    model.EnsureFetched(computer);
    model.EnsureFetched(network);

    QStringList rows;
    for (int row = 0; row < model.rowCount(computer); ++row) {
        const QModelIndex drive = model.index(row, 0, computer);
        rows.append(QStringLiteral("%1|%2|%3|%4")
                        .arg(drive.data().toString(), model.PathOf(drive))
                        .arg(drive.data(FolderTreeModel::DriveTypeRole).toInt())
                        .arg(model.hasChildren(drive)));
    }
    const QString mnt = m_dir.filePath(QStringLiteral("mnt"));
    const QStringList expected = {
        QStringLiteral("/|/|%1|1").arg(int(DriveType::Fixed)),
        QStringLiteral("cd (%1/cd)|%1/cd|%2|1").arg(mnt).arg(int(DriveType::CdRom)),  // not looked into
        QStringLiteral("Data (%1/data)|%1/data|%2|1").arg(mnt).arg(int(DriveType::Fixed)),
        QStringLiteral("nfs (%1/nfs)|%1/nfs|%2|1").arg(mnt).arg(int(DriveType::Network)),  // empty, not read
        QStringLiteral("gvfs (%1)|%1|%2|1").arg(m_dir.filePath("gvfs")).arg(int(DriveType::Network)),
    };
    EXPECT_EQ(rows, expected);

    EXPECT_EQ(ChildTexts(model, network),
              QStringLiteral("nfs (%1/nfs)|sftp:host=nas|smb-share:server=nas,share=music").arg(mnt));
    for (int row = 0; row < model.rowCount(network); ++row) {
        const QModelIndex place = model.index(row, 0, network);
        EXPECT_EQ(model.KindOf(place), Kind::NetworkPlace);
        EXPECT_TRUE(model.hasChildren(place));  // empty folders, but network items always get a button
    }
}

TEST_F(FileTreeTest, FoldersAreReadOnExpansionAndForgottenOnCollapse)
{
    CFileTreeCtrl tree(m_sources);
    FolderTreeModel* model = tree.Model();
    const QModelIndex home = model->HomeIndex();
    EXPECT_EQ(model->rowCount(home), 0);
    EXPECT_TRUE(model->hasChildren(home));

    tree.expand(home);
    // Dot folders hidden; the symlink to a folder is listed.
    EXPECT_EQ(ChildTexts(*model, home), QStringLiteral("bravo|Desktop|Documents|link|Music"));
    const auto child = [&](const QString& name) { return model->FindChild(home, name); };
    EXPECT_TRUE(child("link").data(FolderTreeModel::SymLinkRole).toBool());
    EXPECT_FALSE(child("Music").data(FolderTreeModel::SymLinkRole).toBool());
    // Buttons: an empty folder and one holding only a dot folder get none.
    EXPECT_FALSE(model->hasChildren(child("Documents")));
    EXPECT_TRUE(model->hasChildren(child("Music")));
    tree.expand(child("Music"));
    EXPECT_FALSE(model->hasChildren(model->FindChild(child("Music"), "jazz")));
    EXPECT_EQ(model->rowCount(child("Music")), 2);

    ASSERT_TRUE(QDir().mkpath(m_home + QStringLiteral("/Music/Pop")));
    tree.collapse(home);
    EXPECT_EQ(model->rowCount(home), 0);
    EXPECT_TRUE(model->hasChildren(home));
    tree.expand(home);
    tree.expand(child("Music"));
    EXPECT_EQ(ChildTexts(*model, child("Music")), QStringLiteral("jazz|Pop|Rock"));

    // A folder whose only sub-folder went before it was expanded loses its button on expansion.
    ASSERT_TRUE(QDir(m_home + QStringLiteral("/Music/Pop")).removeRecursively());
    ASSERT_TRUE(QDir(m_home + QStringLiteral("/Music/Rock")).removeRecursively());
    const QModelIndex jazzParent = child("Music");
    tree.collapse(jazzParent);
    ASSERT_TRUE(QDir(m_home + QStringLiteral("/Music/jazz")).removeRecursively());
    EXPECT_TRUE(model->hasChildren(jazzParent));
    tree.expand(jazzParent);
    EXPECT_FALSE(model->hasChildren(jazzParent));

    // The Desktop itself is read again after a collapse.
    tree.collapse(model->DesktopIndex());
    EXPECT_EQ(model->rowCount(model->DesktopIndex()), 0);
    tree.expand(model->DesktopIndex());
    EXPECT_EQ(model->rowCount(model->DesktopIndex()), 7);
}

TEST_F(FileTreeTest, LinksToFoldersAreListedButLinksIntoNetworkMountsAreNotFollowed)
{
    const QString nfs = m_dir.filePath(QStringLiteral("mnt/nfs"));  // an empty folder, nfs4 in the table
    ASSERT_TRUE(QFile::link(nfs, m_home + QStringLiteral("/nas")));
    ASSERT_TRUE(QFile::link(QStringLiteral("Documents"), m_home + QStringLiteral("/docs")));  // relative
    ASSERT_TRUE(QFile::link(m_home + QStringLiteral("/gone"), m_home + QStringLiteral("/dangling")));
    QFile file(m_home + QStringLiteral("/notes.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(QFile::link(file.fileName(), m_home + QStringLiteral("/filelink")));
    const QByteArray badName = QFile::encodeName(m_home) + "/bad\xff";  // not UTF-8
    ASSERT_EQ(::mkdir(badName.constData(), 0755), 0);

    FolderTreeModel model(FixtureOnlySources());
    model.EnsureFetched(model.HomeIndex());
    EXPECT_EQ(ChildTexts(model, model.HomeIndex()), QStringLiteral("bravo|Desktop|docs|Documents|link|Music|nas"));
    const QModelIndex nas = model.FindChild(model.HomeIndex(), QStringLiteral("nas"));
    EXPECT_TRUE(nas.data(FolderTreeModel::SymLinkRole).toBool());
    EXPECT_TRUE(model.hasChildren(nas));  // a network item keeps its button without being read
    const QModelIndex docs = model.FindChild(model.HomeIndex(), QStringLiteral("docs"));
    EXPECT_TRUE(docs.data(FolderTreeModel::SymLinkRole).toBool());
    EXPECT_FALSE(model.hasChildren(docs));  // read: Documents is empty
    // QTemporaryDir cannot remove a name that does not decode.
    EXPECT_EQ(::rmdir(badName.constData()), 0);
}

TEST_F(FileTreeTest, ModelStaysConsistentWhileExpandingCollapsingAndRefreshing)
{
    ModelTesterLog log;
    CFileTreeCtrl tree(FixtureOnlySources());
    FolderTreeModel* model = tree.Model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Warning);
    ASSERT_TRUE(tree.SetSelectedPath(m_data + QStringLiteral("/Albums/2024"), true));
    ASSERT_TRUE(tree.SetSelectedPath(m_home + QStringLiteral("/Music/Rock/Classic"), true));
    // Collapsing an ancestor of the selection moves the selection up to it.
    tree.collapse(model->HomeIndex());
    EXPECT_EQ(tree.SelectedPath(), m_home);
    tree.collapse(model->ComputerIndex());
    tree.expand(model->NetworkIndex());
    tree.collapse(model->NetworkIndex());

    ASSERT_TRUE(tree.SetSelectedPath(m_home + QStringLiteral("/Music/Rock"), true));
    ASSERT_TRUE(QDir().mkpath(m_home + QStringLiteral("/Music/Rock/Live")));
    tree.Refresh();  // keeps the selection and its expanded state, and reads the folders afresh
    EXPECT_EQ(tree.SelectedPath(), m_home + QStringLiteral("/Music/Rock"));
    EXPECT_TRUE(tree.isExpanded(tree.currentIndex()));
    EXPECT_EQ(ChildTexts(*model, tree.currentIndex()), QStringLiteral("Classic|Live"));
    tree.collapse(model->DesktopIndex());
    tree.expand(model->DesktopIndex());
    EXPECT_TRUE(ModelTesterLog::Messages().isEmpty()) << ModelTesterLog::Messages().join("\n").toStdString();
}

TEST(FolderTreeOrder, SiblingComparisonIsAStrictWeakOrdering)
{
    struct Item {
        Kind kind;
        const char* name;
    };
    // Already in the expected order.
    const std::vector<Item> ordered = {
        {Kind::Home, "me"},           {Kind::Computer, "Computer"}, {Kind::Network, "Network"},
        {Kind::NetworkPlace, "a"},    {Kind::Folder, "Music"},      {Kind::Folder, "music"},
        {Kind::Drive, "Music2"},      {Kind::NetworkPlace, "zz"},   {Kind::Folder, "\u00e9t\u00e9"},
    };
    for (size_t i = 0; i < ordered.size(); ++i) {
        for (size_t j = 0; j < ordered.size(); ++j) {
            const Item& a = ordered[i];
            const Item& b = ordered[j];
            EXPECT_EQ(FolderTreeModel::Less(a.kind, QString::fromUtf8(a.name), b.kind, QString::fromUtf8(b.name)), i < j)
                << a.name << " vs " << b.name;
        }
    }
    // Two items of one special kind fall through to their names.
    EXPECT_TRUE(FolderTreeModel::Less(Kind::Network, "a", Kind::Network, "b"));
    EXPECT_FALSE(FolderTreeModel::Less(Kind::Network, "b", Kind::Network, "a"));
    EXPECT_FALSE(FolderTreeModel::Less(Kind::Network, "a", Kind::Network, "a"));
}

TEST_F(FileTreeTest, SetSelectedPathFollowsHomeDesktopAndMounts)
{
    struct Case {
        QString path;
        bool found;
        QString selected;     // SelectedPath afterwards
        QModelIndex (FolderTreeModel::*start)() const;  // the branch the item must lie in
    };
    const QString mnt = m_dir.filePath(QStringLiteral("mnt"));
    const std::vector<Case> cases = {
        {m_home + "/Music/Rock/Classic", true, m_home + "/Music/Rock/Classic", &FolderTreeModel::HomeIndex},
        {m_home + "/Music/Rock/", true, m_home + "/Music/Rock", &FolderTreeModel::HomeIndex},
        {m_home, true, m_home, &FolderTreeModel::HomeIndex},
        {m_desktop + "/Zeta/inner", true, m_desktop + "/Zeta/inner", &FolderTreeModel::DesktopIndex},
        {m_desktop, true, m_desktop, &FolderTreeModel::DesktopIndex},
        {mnt + "/data/Albums/2024", true, mnt + "/data/Albums/2024", &FolderTreeModel::ComputerIndex},
        {mnt + "/data", true, mnt + "/data", &FolderTreeModel::ComputerIndex},
        {"/", true, "/", &FolderTreeModel::ComputerIndex},
        // The last part missing: the parent stays selected.
        {m_home + "/Music/Gone", false, m_home + "/Music", &FolderTreeModel::HomeIndex},
    };
    for (const Case& c : cases) {
        CFileTreeCtrl tree(m_sources);
        QSignalSpy spy(&tree, &CFileTreeCtrl::folderSelected);
        EXPECT_EQ(tree.SetSelectedPath(c.path), c.found) << c.path.toStdString();
        EXPECT_EQ(tree.SelectedPath(), c.selected) << c.path.toStdString();
        ASSERT_FALSE(spy.isEmpty()) << c.path.toStdString();
        EXPECT_EQ(spy.last().at(0).toString(), c.selected);
        const QModelIndex start = (tree.Model()->*c.start)();
        bool inside = false;
        for (QModelIndex i = tree.currentIndex(); i.isValid(); i = i.parent())
            inside = inside || i == start;
        EXPECT_TRUE(inside) << c.path.toStdString();
        for (QModelIndex i = tree.currentIndex().parent(); i.isValid(); i = i.parent())
            EXPECT_TRUE(tree.isExpanded(i)) << c.path.toStdString();
    }

    // A sibling folder whose name merely starts with the home folder's is not a home path.
    ASSERT_TRUE(QDir().mkpath(m_home + QStringLiteral("mate/x")));
    CFileTreeCtrl tree(m_sources);
    // A missing (here: hidden) middle part: false, and the selection stays where it was.
    ASSERT_TRUE(tree.SetSelectedPath(m_desktop + QStringLiteral("/beta")));
    EXPECT_FALSE(tree.SetSelectedPath(m_home + QStringLiteral("/.config/app")));
    EXPECT_EQ(tree.SelectedPath(), m_desktop + QStringLiteral("/beta"));

    EXPECT_TRUE(tree.SetSelectedPath(m_home + QStringLiteral("mate/x")));
    EXPECT_EQ(tree.SelectedPath(), m_home + QStringLiteral("mate/x"));
    EXPECT_FALSE(tree.SetSelectedPath(QString()));
}

TEST_F(FileTreeTest, SelectingAVanishedFolderRemovesItAndSelectsItsParent)
{
    ModelTesterLog log;
    CFileTreeCtrl tree(FixtureOnlySources());
    FolderTreeModel* model = tree.Model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Warning);
    ASSERT_TRUE(tree.SetSelectedPath(m_home + QStringLiteral("/Music"), true));
    const QModelIndex music = tree.currentIndex();
    ASSERT_EQ(model->rowCount(music), 2);

    QSignalSpy spy(&tree, &CFileTreeCtrl::folderSelected);
    ASSERT_TRUE(QDir(m_home + QStringLiteral("/Music/jazz")).removeRecursively());
    tree.setCurrentIndex(model->FindChild(music, QStringLiteral("jazz")));
    QCoreApplication::processEvents();
    // Not reported; the parent takes the selection instead.
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), m_home + QStringLiteral("/Music"));
    EXPECT_EQ(tree.SelectedPath(), m_home + QStringLiteral("/Music"));
    EXPECT_EQ(ChildTexts(*model, music), QStringLiteral("Rock"));
    EXPECT_TRUE(model->hasChildren(music));  // a child is left: the button stays

    ASSERT_TRUE(QDir(m_home + QStringLiteral("/Music/Rock")).removeRecursively());
    tree.setCurrentIndex(model->FindChild(music, QStringLiteral("Rock")));
    QCoreApplication::processEvents();
    EXPECT_EQ(model->rowCount(music), 0);
    EXPECT_FALSE(model->hasChildren(music));

    // An expanded folder that vanished is dropped when it is expanded again.
    tree.collapse(model->HomeIndex());
    ASSERT_TRUE(QDir(m_home + QStringLiteral("/bravo")).removeRecursively());
    tree.expand(model->HomeIndex());
    const QModelIndex bravo = model->FindChild(model->HomeIndex(), QStringLiteral("bravo"));
    ASSERT_FALSE(bravo.isValid());  // read afresh: already gone
    EXPECT_TRUE(ModelTesterLog::Messages().isEmpty()) << ModelTesterLog::Messages().join("\n").toStdString();
}

}  // namespace
