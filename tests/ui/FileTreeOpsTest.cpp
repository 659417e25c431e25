// The folder tree's navigation and folder operations: Back/Forward/Up history, the tree's own
// keys, Create Folder, Rename, Delete, Expand All, the shared emblem's flag and a removable drive
// without its medium. Everything runs against the fixture home folder and mount table.

#include "FolderTreeFixture.h"
#include "QtPrinters.h"
#include "ScopedDataHome.h"
#include "foldertree/FileTreeCtrl.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

class FileTreeOpsTest : public FileTreeTest {
protected:
    // Model faults found by QAbstractItemModelTester fail the test.
    void TearDown() override
    {
        m_testers.clear();
        EXPECT_TRUE(ModelTesterLog::Messages().isEmpty()) << ModelTesterLog::Messages().join("\n").toStdString();
    }

    // A shown tree whose questions are answered by m_answer and whose reports are collected.
    std::unique_ptr<CFileTreeCtrl> Tree(std::optional<FolderTreeModel::Sources> sources = std::nullopt)
    {
        auto tree = std::make_unique<CFileTreeCtrl>(sources ? *sources : FixtureOnlySources());
        FolderTreePrompts prompts;
        prompts.ask = [this](const QString&, const QString& text) {
            m_questions.append(text);
            return m_answer;
        };
        prompts.tell = [this](const QString&, const QString& text) { m_reports.append(text); };
        tree->SetPrompts(prompts);
        tree->resize(300, 400);
        tree->show();
        return tree;
    }

    // Watches the model from now on (the tester reads every folder it can reach).
    void CheckModel(CFileTreeCtrl& tree)
    {
        m_testers.push_back(std::make_unique<QAbstractItemModelTester>(
            tree.Model(), QAbstractItemModelTester::FailureReportingMode::Warning));
    }

    // Selects a folder of the home item by a plain selection change (one history entry).
    static void Select(CFileTreeCtrl& tree, const QString& relative)
    {
        QModelIndex item = tree.Model()->HomeIndex();
        for (const QString& part : relative.split(QLatin1Char('/'))) {
            tree.Model()->EnsureFetched(item);
            tree.expand(item);
            item = tree.Model()->FindChild(item, part);
            ASSERT_TRUE(item.isValid()) << relative.toStdString();
        }
        tree.setCurrentIndex(item);
    }

    QModelIndex HomeChild(CFileTreeCtrl& tree, const QString& name) const
    {
        tree.Model()->EnsureFetched(tree.Model()->HomeIndex());
        return tree.Model()->FindChild(tree.Model()->HomeIndex(), name);
    }

    QString Home(const QString& relative) const { return m_home + QLatin1Char('/') + relative; }

    ModelTesterLog m_log;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> m_testers;  // track their model by QPointer
    bool m_answer = true;
    QStringList m_questions;
    QStringList m_reports;
};

TEST_F(FileTreeOpsTest, BackAndForwardRetraceTheSelections)
{
    auto tree = Tree();
    EXPECT_FALSE(tree->CanGoBack());
    EXPECT_FALSE(tree->GoBack());
    Select(*tree, QStringLiteral("Documents"));
    Select(*tree, QStringLiteral("bravo"));
    Select(*tree, QStringLiteral("Music"));
    ASSERT_TRUE(tree->GoBack());
    EXPECT_EQ(tree->SelectedPath(), Home("bravo"));
    ASSERT_TRUE(tree->GoBack());
    EXPECT_EQ(tree->SelectedPath(), Home("Documents"));
    ASSERT_TRUE(tree->GoForward());
    EXPECT_EQ(tree->SelectedPath(), Home("bravo"));
    // A new selection leaves the forward list alone.
    Select(*tree, QStringLiteral("Music/Rock"));
    ASSERT_TRUE(tree->CanGoForward());
    ASSERT_TRUE(tree->GoForward());
    EXPECT_EQ(tree->SelectedPath(), Home("Music"));
    EXPECT_FALSE(tree->CanGoForward());
    ASSERT_TRUE(tree->GoBack());
    EXPECT_EQ(tree->SelectedPath(), Home("Music/Rock"));

    // 25 selection changes keep the last 21 items left behind.
    auto fresh = Tree();
    const QStringList cycle = {QStringLiteral("Documents"), QStringLiteral("bravo"), QStringLiteral("Music")};
    for (int i = 0; i <= 25; ++i)
        Select(*fresh, cycle[i % 3]);
    int backs = 0;
    while (fresh->GoBack())
        ++backs;
    EXPECT_EQ(backs, 21);
}

TEST_F(FileTreeOpsTest, HistorySurvivesCollapseAndRefreshAndSkipsVanishedFolders)
{
    auto tree = Tree();
    CheckModel(*tree);
    Select(*tree, QStringLiteral("Documents"));
    Select(*tree, QStringLiteral("Music/Rock"));
    Select(*tree, QStringLiteral("Music/jazz"));
    Select(*tree, QStringLiteral("bravo"));
    tree->collapse(HomeChild(*tree, QStringLiteral("Music")));  // forgets Rock and jazz
    ASSERT_TRUE(QDir(Home("Music/jazz")).removeRecursively());

    QSignalSpy selected(tree.get(), &CFileTreeCtrl::folderSelected);
    ASSERT_TRUE(tree->GoBack());  // jazz is gone: skipped
    EXPECT_EQ(tree->SelectedPath(), Home("Music/Rock"));
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.at(0).at(0).toString(), Home("Music/Rock"));

    tree->Refresh();
    EXPECT_EQ(tree->SelectedPath(), Home("Music/Rock"));
    ASSERT_TRUE(tree->GoBack());
    EXPECT_EQ(tree->SelectedPath(), Home("Documents"));
    EXPECT_FALSE(tree->CanGoBack());
    ASSERT_TRUE(tree->GoForward());
    EXPECT_EQ(tree->SelectedPath(), Home("Music/Rock"));
    ASSERT_TRUE(tree->GoForward());
    EXPECT_EQ(tree->SelectedPath(), Home("bravo"));
}

TEST_F(FileTreeOpsTest, TreeKeysComeBeforeWindowShortcuts)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto tree = std::make_unique<CFileTreeCtrl>(FixtureOnlySources());
    CFileTreeCtrl* t = tree.get();
    layout->addWidget(tree.release());
    int shortcutHits = 0;
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Backspace), QKeySequence(Qt::Key_F5),
                                    QKeySequence(Qt::ALT | Qt::Key_Left), QKeySequence(Qt::Key_F2)})
        QObject::connect(new QShortcut(key, &window), &QShortcut::activated, [&] { ++shortcutHits; });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    t->setFocus();

    // Up at the top does nothing.
    t->setCurrentIndex(t->Model()->DesktopIndex());
    QTest::keyClick(t, Qt::Key_Backspace);
    EXPECT_EQ(t->currentIndex(), t->Model()->DesktopIndex());
    EXPECT_FALSE(t->GoUp());

    ASSERT_TRUE(t->SetSelectedPath(Home("Music/Rock")));
    QTest::keyClick(t, Qt::Key_Backspace);
    EXPECT_EQ(t->SelectedPath(), Home("Music"));
    QTest::keyClick(t, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(t->SelectedPath(), Home("Music/Rock"));
    QTest::keyClick(t, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(t->SelectedPath(), Home("Music"));
    QTest::keyClick(t, Qt::Key_F5);
    EXPECT_EQ(t->SelectedPath(), Home("Music"));

    // F2 on the special items and drives opens no editor; on a folder it does, and then every
    // key belongs to the editor.
    const QModelIndex computer = t->Model()->ComputerIndex();
    t->expand(computer);
    for (const QModelIndex& item : {t->Model()->DesktopIndex(), t->Model()->HomeIndex(), computer,
                                    t->Model()->index(0, 0, computer)}) {
        t->setCurrentIndex(item);
        QTest::keyClick(t, Qt::Key_F2);
        EXPECT_FALSE(t->IsEditing()) << item.data().toString().toStdString();
    }
    ASSERT_TRUE(t->SetSelectedPath(Home("bravo")));
    QTest::keyClick(t, Qt::Key_F2);
    ASSERT_TRUE(t->IsEditing());
    auto* editor = t->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_F5);
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(t->IsEditing());
    EXPECT_EQ(shortcutHits, 0);
    // Keys the tree leaves alone still reach the window's shortcuts.
    int otherHits = 0;
    QObject::connect(new QShortcut(QKeySequence(Qt::Key_F7), &window), &QShortcut::activated, [&] { ++otherHits; });
    QTest::keyClick(t, Qt::Key_F7);
    EXPECT_EQ(otherHits, 1);
}

TEST_F(FileTreeOpsTest, RightClickSelectsTheItemUnderTheMouseAndOnlyTheMouseAsksForTheMenu)
{
    auto tree = Tree();
    QSignalSpy menu(tree.get(), &CFileTreeCtrl::contextMenuRequested);
    const QModelIndex home = tree->Model()->HomeIndex();
    const QPoint onHome = tree->visualRect(home).center();
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, onHome);
    EXPECT_EQ(tree->currentIndex(), home);
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, QPoint(5, tree->viewport()->height() - 5));
    EXPECT_FALSE(tree->currentIndex().isValid());

    QContextMenuEvent byMouse(QContextMenuEvent::Mouse, onHome, tree->viewport()->mapToGlobal(onHome));
    QApplication::sendEvent(tree->viewport(), &byMouse);
    ASSERT_EQ(menu.size(), 1);
    EXPECT_EQ(menu.at(0).at(0).toPoint(), tree->viewport()->mapToGlobal(onHome));
    QContextMenuEvent byKey(QContextMenuEvent::Keyboard, onHome, tree->viewport()->mapToGlobal(onHome));
    QApplication::sendEvent(tree->viewport(), &byKey);
    EXPECT_EQ(menu.size(), 1);
    EXPECT_TRUE(byKey.isAccepted());  // and not passed on to the window
}

TEST_F(FileTreeOpsTest, CreateFolderPicksTheNextFreeNameOnceAndOpensTheEditor)
{
    ASSERT_TRUE(QDir().mkpath(Home("Documents/New Folder")));
    ASSERT_TRUE(QDir().mkpath(Home("Documents/New Folder (2)")));
    auto tree = Tree();
    const QModelIndex documents = HomeChild(*tree, QStringLiteral("Documents"));
    ASSERT_FALSE(tree->Model()->IsFetched(documents));

    QString name;
    const QModelIndex created = tree->CreateFolder(documents, name);
    ASSERT_TRUE(created.isValid());
    EXPECT_EQ(name, QStringLiteral("New Folder (3)"));
    EXPECT_TRUE(QFileInfo(Home("Documents/New Folder (3)")).isDir());
    // Reading Documents listed the new folder already: no second item for it.
    EXPECT_EQ(ChildTexts(*tree->Model(), documents), QStringLiteral("New Folder|New Folder (2)|New Folder (3)"));
    EXPECT_EQ(tree->SelectedPath(), Home("Documents/New Folder (3)"));
    ASSERT_TRUE(tree->IsEditing());
    auto* editor = tree->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("New Folder (3)"));
    editor->setText(QStringLiteral("Live"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the delegate commits in a queued call
    EXPECT_EQ(tree->SelectedPath(), Home("Documents/Live"));
    EXPECT_TRUE(QFileInfo(Home("Documents/Live")).isDir());

    CheckModel(*tree);
    // Into an already read folder: the new item goes to its place in sibling order (a renamed
    // item keeps its place until the folder is read again).
    name = QStringLiteral("Angle");
    ASSERT_TRUE(tree->CreateFolder(documents, name).isValid());
    EXPECT_EQ(ChildTexts(*tree->Model(), documents), QStringLiteral("Angle|New Folder|New Folder (2)|Live"));

    // Refused: items without a folder of their own, and bad or taken names.
    for (const QModelIndex& parent : {tree->Model()->ComputerIndex(), tree->Model()->NetworkIndex(), QModelIndex()}) {
        name.clear();
        EXPECT_FALSE(tree->CreateFolder(parent, name).isValid());
    }
    for (const char* bad : {"a/b", "..", "Live"}) {
        name = QLatin1String(bad);
        EXPECT_FALSE(tree->CreateFolder(documents, name).isValid()) << bad;
    }
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QStringLiteral("New Folder"))));
    EXPECT_EQ(QDir(Home("Documents")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 4);
}

TEST_F(FileTreeOpsTest, RenameNeverReplacesAndMovesTheDescendantsAlong)
{
    auto tree = Tree();
    CheckModel(*tree);
    ASSERT_TRUE(tree->SetSelectedPath(Home("Music/Rock/Classic")));
    const QPersistentModelIndex music = HomeChild(*tree, QStringLiteral("Music"));
    QSignalSpy renamed(tree.get(), &CFileTreeCtrl::folderRenamed);
    QSignalSpy selected(tree.get(), &CFileTreeCtrl::folderSelected);

    struct Case {
        QString name;
        bool ok;
    };
    for (const Case& c : {Case{QStringLiteral("bravo"), false}, Case{QStringLiteral("a/b"), false},
                          Case{QStringLiteral(".."), false}, Case{QStringLiteral("Tunes"), true}}) {
        EXPECT_EQ(tree->Model()->setData(music, c.name), c.ok) << c.name.toStdString();
        EXPECT_EQ(music.data().toString(), c.ok ? c.name : QStringLiteral("Music")) << c.name.toStdString();
    }
    QApplication::processEvents();  // failures are reported once the editor has closed
    EXPECT_EQ(m_reports.size(), 3);
    EXPECT_TRUE(QFileInfo(Home("bravo")).isDir());
    EXPECT_TRUE(QFileInfo(Home("Tunes/Rock/Classic")).isDir());

    // The selection lay inside: it follows, and nothing below counts as vanished.
    ASSERT_EQ(renamed.size(), 1);
    EXPECT_EQ(renamed.at(0).at(1).toString(), Home("Tunes"));
    EXPECT_EQ(tree->SelectedPath(), Home("Tunes/Rock/Classic"));
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.at(0).at(0).toString(), Home("Tunes/Rock/Classic"));
    const QModelIndex rock = tree->Model()->FindChild(music, QStringLiteral("Rock"));
    EXPECT_EQ(tree->Model()->PathOf(rock), Home("Tunes/Rock"));
    tree->setCurrentIndex(rock);
    QApplication::processEvents();
    EXPECT_EQ(tree->SelectedPath(), Home("Tunes/Rock"));
    // History entries inside the folder follow it too.
    ASSERT_TRUE(tree->GoBack());
    EXPECT_EQ(tree->SelectedPath(), Home("Tunes/Rock/Classic"));
}

TEST_F(FileTreeOpsTest, DeleteAsksThenTrashesOrDeletesForGoodAndSelectsANeighbour)
{
    const ScopedDataHome dataHome(m_home, Home(".local/share"));
    auto tree = Tree();
    CheckModel(*tree);
    tree->expand(tree->Model()->HomeIndex());
    ASSERT_EQ(ChildTexts(*tree->Model(), tree->Model()->HomeIndex()),
              QStringLiteral("bravo|Desktop|Documents|link|Music"));

    // Declined: nothing happens.
    m_answer = false;
    const QModelIndex music = HomeChild(*tree, QStringLiteral("Music"));
    tree->setCurrentIndex(music);
    EXPECT_FALSE(tree->Delete(music, false));
    EXPECT_TRUE(QFileInfo(Home("Music")).isDir());
    ASSERT_EQ(m_questions.size(), 1);
    EXPECT_TRUE(m_questions.last().contains(QStringLiteral("Trash"))) << m_questions.last().toStdString();

    m_answer = true;
    ASSERT_TRUE(tree->Delete(music, false));
    EXPECT_FALSE(QFileInfo::exists(Home("Music")));
    EXPECT_TRUE(QFileInfo(Home(".local/share/Trash/files/Music/Rock")).isDir());
    EXPECT_EQ(tree->SelectedPath(), Home("link"));  // the previous sibling

    // Shift+Delete: for good, after a sterner question; the first child has no previous sibling.
    const QModelIndex bravo = HomeChild(*tree, QStringLiteral("bravo"));
    tree->setCurrentIndex(bravo);
    tree->setFocus();
    QTest::keyClick(tree.get(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_TRUE(m_questions.last().contains(QStringLiteral("for good"))) << m_questions.last().toStdString();
    EXPECT_FALSE(QFileInfo::exists(Home("bravo")));
    EXPECT_FALSE(QFileInfo::exists(Home(".local/share/Trash/files/bravo")));
    EXPECT_EQ(tree->SelectedPath(), Home("Desktop"));
    EXPECT_EQ(ChildTexts(*tree->Model(), tree->Model()->HomeIndex()), QStringLiteral("Desktop|Documents|link"));

    // Special items and drives are never deleted.
    EXPECT_FALSE(tree->Delete(tree->Model()->HomeIndex(), false));
    EXPECT_FALSE(tree->Delete(tree->Model()->DesktopIndex(), true));
    EXPECT_TRUE(QFileInfo(m_home).isDir());
    EXPECT_TRUE(m_reports.isEmpty()) << m_reports.join('\n').toStdString();
}

TEST_F(FileTreeOpsTest, ExpandAllStopsAtFolderLinksAndNetworkMounts)
{
    FolderTreeModel::Sources sources = FixtureOnlySources();
    MountEntry share;  // a network share mounted inside the home folder
    share.mountPoint = Home("Music/jazz");
    share.fsType = QStringLiteral("cifs");
    share.source = QStringLiteral("//nas/jazz");
    share.type = DriveType::Network;
    sources.mounts->push_back(share);
    ASSERT_TRUE(QDir().mkpath(Home("Music/jazz/Modal")));
    auto tree = Tree(sources);
    const QModelIndex home = tree->Model()->HomeIndex();
    tree->ExpandAll(home);
    const QModelIndex music = HomeChild(*tree, QStringLiteral("Music"));
    const QModelIndex rock = tree->Model()->FindChild(music, QStringLiteral("Rock"));
    EXPECT_TRUE(tree->isExpanded(music));
    EXPECT_TRUE(tree->isExpanded(rock));
    EXPECT_EQ(ChildTexts(*tree->Model(), rock), QStringLiteral("Classic"));
    const QModelIndex link = HomeChild(*tree, QStringLiteral("link"));
    ASSERT_TRUE(link.data(FolderTreeModel::SymLinkRole).toBool());
    EXPECT_FALSE(tree->isExpanded(link));
    EXPECT_FALSE(tree->Model()->IsFetched(link));
    const QModelIndex jazz = tree->Model()->FindChild(music, QStringLiteral("jazz"));
    ASSERT_TRUE(jazz.isValid());
    EXPECT_FALSE(tree->Model()->IsFetched(jazz));
}

TEST_F(FileTreeOpsTest, SharedFoldersAndRemovableDrivesWithoutMedium)
{
    FolderTreeModel::Sources sources = FixtureOnlySources();
    MountEntry usb;
    usb.mountPoint = m_dir.filePath(QStringLiteral("mnt/usb"));  // ejected: the folder is gone
    usb.fsType = QStringLiteral("vfat");
    usb.source = QStringLiteral("/dev/sdc1");
    usb.type = DriveType::Removable;
    sources.mounts->push_back(usb);
    FolderTreeModel model(sources);
    model.EnsureFetched(model.HomeIndex());
    EXPECT_TRUE(model.FindChild(model.HomeIndex(), QStringLiteral("Music")).data(FolderTreeModel::SharedRole).toBool());
    EXPECT_FALSE(model.FindChild(model.HomeIndex(), QStringLiteral("bravo")).data(FolderTreeModel::SharedRole).toBool());

    model.EnsureFetched(model.ComputerIndex());
    const QModelIndex drive = model.DriveIndex(usb.mountPoint);
    ASSERT_TRUE(drive.isValid());
    EXPECT_TRUE(model.hasChildren(drive));  // not looked at before it is expanded
    model.EnsureFetched(drive);
    EXPECT_FALSE(model.hasChildren(drive));
    EXPECT_TRUE(model.DriveIndex(usb.mountPoint).isValid());  // the drive itself stays
}

}  // namespace
