// The window helpers: the two-pane splitter (clamped drags, Esc, hiding the left pane, the
// width kept in the profile), the folder chooser and the hyperlink label.

#include "platform/ProfileStore.h"
#include "widgets/FolderDialog.h"
#include "widgets/HyperLink.h"
#include "widgets/SSplitter.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSplitterHandle>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Splitter

constexpr int kMinLeft = 100;
constexpr int kMinRight = 150;

// A host window with a splitter between two line edits, created as the main window creates
// its own: Create with the set-up flag, minimums 100 and 150.
struct SplitterHost {
    explicit SplitterHost(int id, int width = 600)
    {
        host.resize(width, 300);
        left = new QLineEdit(&host);
        right = new QLineEdit(&host);
        splitter = new CSSplitter(&host);
        splitter->Create(&host, left, right, id, QRect(0, 0, width, 300), kMinLeft, kMinRight);
        host.show();
    }

    void Resize(int width)
    {
        host.resize(width, 300);
        splitter->resize(width, 300);
    }

    QSplitterHandle* Handle() const { return splitter->handle(1); }

    void SendMouse(QEvent::Type type, int splitterX, Qt::MouseButtons buttons)
    {
        QSplitterHandle* handle = Handle();
        const QPointF pos(splitterX - handle->x(), 10);
        QMouseEvent event(type, pos, handle->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(handle, &event);
    }

    int BarX() const { return Handle()->x() + 1; }
    void Press() { SendMouse(QEvent::MouseButtonPress, BarX(), Qt::LeftButton); }
    void Move(int x) { SendMouse(QEvent::MouseMove, x, Qt::LeftButton); }
    void Release(int x) { SendMouse(QEvent::MouseButtonRelease, x, Qt::NoButton); }

    QWidget host;
    QLineEdit* left = nullptr;
    QLineEdit* right = nullptr;
    CSSplitter* splitter = nullptr;
};

// Each test uses its own splitter id, so that no test sees another's stored width.
int NextSplitterId()
{
    static int id = 5000;
    return ++id;
}

TEST(SplitterTest, MissingStoredWidthGivesTwiceTheLeftMinimum)
{
    SplitterHost h(NextSplitterId());
    EXPECT_EQ(h.left->width(), 200);
    EXPECT_EQ(h.splitter->LeftWidth(), 200);
    EXPECT_EQ(h.right->x(), 203);
    EXPECT_EQ(h.right->width(), 600 - 203);
}

struct DragCase {
    const char* name;
    int width;
    int dragTo;      // splitter x of the pointer
    int expectedBar; // clamped bar position; the left pane ends one pixel before it
};

TEST(SplitterTest, DraggedBarIsClampedToTheMinimums)
{
    const std::vector<DragCase> cases = {
        {"free", 600, 300, 300},
        {"too far left", 600, 50, kMinLeft},
        {"too close to the right border", 600, 590, 600 - kMinRight},
        {"released far outside the splitter", 600, -400, kMinLeft},
        {"narrower than both minimums: the left one wins", 200, 180, kMinLeft},
    };
    for (const DragCase& c : cases) {
        SCOPED_TRACE(c.name);
        SplitterHost h(NextSplitterId(), c.width);
        const int leftBefore = h.left->width();
        h.Press();
        ASSERT_TRUE(h.splitter->IsTracking());
        h.Move(c.dragTo);
        EXPECT_EQ(h.splitter->GhostBar(), c.expectedBar);
        EXPECT_EQ(h.left->width(), leftBefore) << "the panes do not move during the drag";
        h.Release(c.dragTo);
        EXPECT_FALSE(h.splitter->IsTracking());
        EXPECT_EQ(h.splitter->GhostBar(), -1);
        EXPECT_EQ(h.left->width(), c.expectedBar - 1);
        EXPECT_EQ(h.splitter->LeftWidth(), c.expectedBar - 1);
        EXPECT_EQ(h.right->x(), c.expectedBar + 2);
    }
}

TEST(SplitterTest, EscCancelsTheDragAndGivesTheFocusBack)
{
    SplitterHost h(NextSplitterId());
    QApplication::setActiveWindow(&h.host);
    h.right->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.right->hasFocus(); }));

    h.Press();
    EXPECT_TRUE(h.splitter->hasFocus());
    h.Move(350);
    ASSERT_EQ(h.splitter->GhostBar(), 350);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(h.splitter->IsTracking());
    EXPECT_EQ(h.splitter->GhostBar(), -1);
    EXPECT_TRUE(h.right->hasFocus());

    // The release that follows the cancelled drag moves nothing.
    h.Release(350);
    EXPECT_EQ(h.left->width(), 200);
    EXPECT_EQ(h.splitter->LeftWidth(), 200);

    // A later drag works as usual.
    h.Press();
    h.Move(260);
    h.Release(260);
    EXPECT_EQ(h.left->width(), 259);
}

TEST(SplitterTest, LeftPaneRegainsItsWidthAfterResizeAndHiding)
{
    SplitterHost h(NextSplitterId());
    h.Press();
    h.Move(321);
    h.Release(321);
    ASSERT_EQ(h.left->width(), 320);

    // Too narrow for the width: clamped, and back when there is room again.
    h.Resize(300);
    EXPECT_EQ(h.left->width(), 300 - kMinRight - 1);
    h.Resize(700);
    EXPECT_EQ(h.left->width(), 320);

    // Hidden: the right pane takes the whole width, and the bar cannot be grabbed.
    h.splitter->HideLeftPane();
    EXPECT_FALSE(h.splitter->IsLeftPaneShown());
    EXPECT_FALSE(h.left->isVisible());
    EXPECT_FALSE(h.Handle()->isVisible());
    EXPECT_EQ(h.right->x(), 0);
    EXPECT_EQ(h.right->width(), 700);
    h.splitter->HideLeftPane();
    EXPECT_FALSE(h.splitter->IsLeftPaneShown());

    h.Resize(900);
    EXPECT_EQ(h.right->x(), 0);
    EXPECT_EQ(h.right->width(), 900);
    h.splitter->ShowLeftPane();
    EXPECT_TRUE(h.splitter->IsLeftPaneShown());
    EXPECT_TRUE(h.left->isVisible());
    EXPECT_EQ(h.left->width(), 320);
    EXPECT_EQ(h.right->x(), 323);
    EXPECT_EQ(h.right->width(), 900 - 323);
}

TEST(SplitterTest, HideAndShowDoNothingBeforeTheSetUp)
{
    QWidget host;
    auto* left = new QWidget(&host);
    auto* right = new QWidget(&host);
    auto* splitter = new CSSplitter(&host);
    splitter->Create(&host, left, right, NextSplitterId(), QRect(0, 0, 600, 300), kMinLeft, kMinRight, false);
    splitter->HideLeftPane();
    EXPECT_TRUE(splitter->IsLeftPaneShown());
    EXPECT_FALSE(left->isHidden());
}

TEST(SplitterTest, WidthIsSavedAtDestructionAndRestoredAtCreation)
{
    const int id = NextSplitterId();
    {
        SplitterHost h(id);
        h.Press();
        h.Move(281);
        h.Release(281);
    }
    const QString section = QStringLiteral("splt\\init_v%1").arg(id);
    EXPECT_EQ(ProfileStore().ReadInt(section, QStringLiteral("VertSplitPos")), 280);
    {
        SplitterHost h(id);
        EXPECT_EQ(h.left->width(), 280);
        // Hidden for the whole run: the width it had is saved again.
        h.splitter->HideLeftPane();
        h.Resize(800);
    }
    EXPECT_EQ(ProfileStore().ReadInt(section, QStringLiteral("VertSplitPos")), 280);
    {
        SplitterHost h(id);
        EXPECT_EQ(h.left->width(), 280);
    }

    // A stored width wider than the window is clamped by the first resize.
    ASSERT_TRUE(ProfileStore().WriteInt(section, QStringLiteral("VertSplitPos"), 1000));
    SplitterHost h(id, 600);
    EXPECT_EQ(h.left->width(), 600 - kMinRight - 1);
    h.Resize(1200);
    EXPECT_EQ(h.left->width(), 1000);
}

// ---------------------------------------------------------------------------------------------
// Folder dialog

// Runs DoModal without showing anything: `browse` plays the user.
class TestFolderDialog : public CFolderDialog {
public:
    using CFolderDialog::CFolderDialog;
    std::function<int(QFileDialog&)> browse;
    int runs = 0;

protected:
    int RunBrowser() override
    {
        ++runs;
        return browse(*this);
    }
};

TEST(FolderDialogTest, ShowsTitleAndInitialFolderAndReturnsTheChosenFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("music")));
    const QString chosen = QDir(root.path()).absoluteFilePath(QStringLiteral("music"));

    TestFolderDialog dialog(QStringLiteral("Add Folder"), root.path());
    QString seenTitle;
    QString seenFolder;
    dialog.browse = [&](QFileDialog& d) {
        seenTitle = d.windowTitle();
        seenFolder = d.directory().absolutePath();
        EXPECT_EQ(d.fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(d.testOption(QFileDialog::ShowDirsOnly));
        d.setDirectory(chosen);
        d.selectFile(chosen);
        return int(QDialog::Accepted);
    };
    EXPECT_EQ(dialog.DoModal(), CFolderDialog::FOLDER_OK);
    EXPECT_EQ(seenTitle, QStringLiteral("Add Folder"));
    EXPECT_EQ(seenFolder, QDir(root.path()).absolutePath());
    EXPECT_EQ(dialog.SelectedPath(), chosen);
    EXPECT_EQ(dialog.Flags(), 0x51u);

    // Cancelling later returns 2 and keeps the earlier result.
    dialog.browse = [](QFileDialog&) { return int(QDialog::Rejected); };
    EXPECT_EQ(dialog.DoModal(), CFolderDialog::FOLDER_CANCEL);
    EXPECT_EQ(dialog.SelectedPath(), chosen);
}

TEST(FolderDialogTest, EmptyInitialFolderCancelAndNonFolderLeaveThePathEmpty)
{
    TestFolderDialog dialog(QStringLiteral("Output Folder"));
    const QString defaultFolder = QFileDialog().directory().absolutePath();
    QString seenFolder;
    dialog.browse = [&](QFileDialog& d) {
        seenFolder = d.directory().absolutePath();
        return int(QDialog::Rejected);
    };
    EXPECT_EQ(dialog.DoModal(), CFolderDialog::FOLDER_CANCEL);
    EXPECT_EQ(dialog.runs, 1);
    EXPECT_TRUE(dialog.SelectedPath().isEmpty());
    EXPECT_EQ(seenFolder, defaultFolder);

    // Confirmed on something that is no folder: no path, and the result stays empty.
    dialog.browse = [](QFileDialog& d) {
        d.selectFile(QStringLiteral("/nonexistent-quillvane-folder/x"));
        return int(QDialog::Accepted);
    };
    EXPECT_EQ(dialog.DoModal(), CFolderDialog::FOLDER_NO_PATH);
    EXPECT_TRUE(dialog.SelectedPath().isEmpty());
}

// ---------------------------------------------------------------------------------------------
// Hyperlink

const QColor kBlue(0, 0, 238);
const QColor kPurple(85, 26, 139);
const QColor kRed(255, 0, 0);

// A bound link in a dialog, its opener and error box replaced by recorders.
struct LinkHost {
    explicit LinkHost(const QString& text, const QString& address = QString(), Qt::Alignment align = {})
    {
        dialog.resize(500, 200);
        link = new CHyperLink(text, &dialog);
        if (align)
            link->setAlignment(align);
        link->setGeometry(10, 20, 300, 40);
        if (!address.isEmpty())
            link->SetLinkAddress(address);
        link->SetOpener([this](const QUrl& url) {
            opened.push_back(url);
            return openResult;
        });
        link->SetErrorReport([this](QWidget*, const QString& text) { errors.push_back(text); });
        link->Bind();
    }

    void Enter()
    {
        QEnterEvent event(QPointF(2, 2), QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)));
        QCoreApplication::sendEvent(link, &event);
    }

    void Leave()
    {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(link, &event);
    }

    void Click(QPoint at = QPoint(2, 2), Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(link, button, Qt::NoModifier, at);
    }

    QColor Painted() const { return link->palette().color(QPalette::WindowText); }

    QWidget dialog;
    CHyperLink* link = nullptr;
    bool openResult = true;
    std::vector<QUrl> opened;
    std::vector<QString> errors;
};

TEST(HyperLinkTest, ColourAndUnderlineFollowPointerAndVisit)
{
    LinkHost h(QStringLiteral("https://example.org/quillvane"));
    EXPECT_EQ(h.link->LinkColour(), kBlue);
    EXPECT_EQ(h.link->VisitedColour(), kPurple);
    EXPECT_EQ(h.link->HoverColour(), kRed);
    EXPECT_EQ(h.link->cursor().shape(), Qt::PointingHandCursor);

    EXPECT_EQ(h.Painted(), kBlue);
    EXPECT_FALSE(h.link->font().underline());

    h.Enter();
    EXPECT_EQ(h.Painted(), kRed);
    EXPECT_TRUE(h.link->font().underline());
    h.Leave();
    EXPECT_EQ(h.Painted(), kBlue);
    EXPECT_FALSE(h.link->font().underline());

    h.Enter();
    h.Click();
    EXPECT_TRUE(h.link->IsVisited());
    EXPECT_EQ(h.Painted(), kPurple) << "the click ends the hover colour";
    h.Leave();
    h.Enter();
    EXPECT_EQ(h.Painted(), kRed);
    h.Leave();
    EXPECT_EQ(h.Painted(), kPurple);
    EXPECT_FALSE(h.link->font().underline());
}

TEST(HyperLinkTest, AddressTextAndTooltipWhenBound)
{
    // The template text becomes the address.
    LinkHost fromText(QStringLiteral("https://example.org/"));
    EXPECT_EQ(fromText.link->LinkAddress(), QStringLiteral("https://example.org/"));
    EXPECT_EQ(fromText.link->toolTip(), QStringLiteral("https://example.org/"));

    // An empty text shows the address set before binding.
    LinkHost fromAddress(QString(), QStringLiteral("mailto:help@example.org"));
    EXPECT_EQ(fromAddress.link->text(), QStringLiteral("mailto:help@example.org"));
    EXPECT_EQ(fromAddress.link->toolTip(), QStringLiteral("mailto:help@example.org"));

    // A later address changes the address and the tooltip, refits, and keeps the text.
    LinkHost h(QStringLiteral("Home page"));
    const QRect fitted = h.link->geometry();
    h.link->setGeometry(10, 20, 400, 60);
    h.link->SetLinkAddress(QStringLiteral("https://example.org/home"));
    EXPECT_EQ(h.link->text(), QStringLiteral("Home page"));
    EXPECT_EQ(h.link->LinkAddress(), QStringLiteral("https://example.org/home"));
    EXPECT_EQ(h.link->toolTip(), QStringLiteral("https://example.org/home"));
    EXPECT_EQ(h.link->geometry(), fitted);
    h.Click();
    ASSERT_EQ(h.opened.size(), 1u);
    EXPECT_EQ(h.opened[0], QUrl(QStringLiteral("https://example.org/home")));
}

struct FitCase {
    const char* name;
    Qt::Alignment align;
};

TEST(HyperLinkTest, FitToTextKeepsTheAlignedEdge)
{
    // The text's own size, from a link that keeps its top left corner.
    const QString text = QStringLiteral("Visit the home page");
    LinkHost reference(text);
    const QRect fitted = reference.link->geometry();
    ASSERT_EQ(fitted.topLeft(), QPoint(10, 20));
    ASSERT_LT(fitted.width(), 300);
    ASSERT_GE(fitted.width(), QFontMetrics(reference.link->font()).horizontalAdvance(text));
    ASSERT_LT(fitted.height(), 40);

    const QRect before(10, 20, 300, 40);
    const std::vector<FitCase> cases = {
        {"left", Qt::AlignLeft | Qt::AlignTop},
        {"centre", Qt::AlignHCenter | Qt::AlignTop},
        {"right", Qt::AlignRight | Qt::AlignTop},
        {"centred vertically", Qt::AlignLeft | Qt::AlignVCenter},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHost h(text, QString(), c.align);
        const QRect r = h.link->geometry();
        if (c.align & Qt::AlignHCenter) {
            EXPECT_LE(std::abs(r.width() - fitted.width()), 1);
            EXPECT_LE(std::abs((r.left() + r.right()) - (before.left() + before.right())), 1);
        } else if (c.align & Qt::AlignRight) {
            EXPECT_EQ(r.width(), fitted.width());
            EXPECT_EQ(r.right(), before.right());
        } else {
            EXPECT_EQ(r.width(), fitted.width());
            EXPECT_EQ(r.left(), before.left());
        }
        if (c.align & Qt::AlignVCenter) {
            EXPECT_LE(std::abs(r.height() - fitted.height()), 1);
            EXPECT_LE(std::abs((r.top() + r.bottom()) - (before.top() + before.bottom())), 1);
        } else {
            EXPECT_EQ(r.top(), before.top());
            EXPECT_EQ(r.height(), fitted.height());
        }
    }
}

TEST(HyperLinkTest, ClickOpensTheAddressAndReportsAFailure)
{
    LinkHost h(QStringLiteral("https://example.org/"));
    h.openResult = false;
    h.Enter();
    h.Click();
    ASSERT_EQ(h.opened.size(), 1u);
    EXPECT_EQ(h.opened[0], QUrl(QStringLiteral("https://example.org/")));
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0], QStringLiteral("Unable to open hyperlink:\n\n"
                                          "There is no application associated\nwith the given filename extension."));
    EXPECT_FALSE(h.link->IsVisited());
    EXPECT_EQ(h.Painted(), kBlue);

    // Another click tries again; this time it works.
    h.openResult = true;
    h.Click();
    EXPECT_EQ(h.opened.size(), 2u);
    EXPECT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.Painted(), kPurple);

    // Neither the right button nor a release outside the label opens anything.
    h.Click(QPoint(2, 2), Qt::RightButton);
    h.Click(QPoint(h.link->width() + 5, 2));
    EXPECT_EQ(h.opened.size(), 2u);
}

TEST(HyperLinkTest, OpenErrorTexts)
{
    const QString prefix = QStringLiteral("Unable to open hyperlink:\n\n");
    EXPECT_EQ(CHyperLink::OpenErrorText(26), prefix + QStringLiteral("A sharing violation occurred. "));
    EXPECT_EQ(CHyperLink::OpenErrorText(1), prefix + QStringLiteral("Unknown Error (1) occurred."));
    EXPECT_EQ(CHyperLink::OpenErrorText(0),
              prefix + QStringLiteral("The operating system is out\nof memory or resources."));
    EXPECT_EQ(CHyperLink::OpenErrorText(33), prefix + QStringLiteral("Unknown Error (33) occurred."));
}

} // namespace
