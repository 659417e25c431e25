// The resizable dialog base, its size grip and the window placement store: anchored controls on
// size changes, the grip in the corner, placements saved, restored and moved onto the screen.

#include "platform/ProfileStore.h"
#include "widgets/ResizeDlg.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProxyStyle>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <vector>

// Readable failure messages.
static void PrintTo(const QRect& r, std::ostream* os)
{
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}

static void PrintTo(const QSize& s, std::ostream* os)
{
    *os << s.width() << "x" << s.height();
}

namespace {

constexpr int kWaitMs = 5000;

// A dialog of 400 x 300 with controls placed by hand, as the program's dialogs place theirs.
class TestDlg : public CResizeDlg {
public:
    explicit TestDlg(const QString& placementEntry = QString(), QWidget* parent = nullptr)
        : CResizeDlg(parent)
    {
        resize(400, 300);
        m_placementEntry = placementEntry;
    }

    QWidget* AddControl(const QRect& rect)
    {
        auto* control = new QWidget(this);
        control->setGeometry(rect);
        return control;
    }
};

// Shows `dlg` and waits until the window system has given it its place.
bool ShowAndSettle(QWidget& dlg)
{
    dlg.show();
    return QTest::qWaitForWindowExposed(&dlg, kWaitMs);
}

// Resizes a shown window and lets the window system's answer arrive.
bool ResizeAndSettle(QWidget& dlg, const QSize& size)
{
    dlg.resize(size);
    QCoreApplication::processEvents();
    return QTest::qWaitFor([&] { return dlg.size() == size; }, kWaitMs);
}

QRect AvailableArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

WindowPlacement Record(int showCmd, const QRect& normal, int flags = 0)
{
    WindowPlacement p;
    p.length = WindowPlacement::kSize;
    p.flags = flags;
    p.showCmd = showCmd;
    p.minX = p.minY = p.maxX = p.maxY = -1;
    p.left = normal.x();
    p.top = normal.y();
    p.right = normal.x() + normal.width();
    p.bottom = normal.y() + normal.height();
    return p;
}

QRect NormalRect(const WindowPlacement& p)
{
    return QRect(p.left, p.top, p.right - p.left, p.bottom - p.top);
}

std::optional<WindowPlacement> StoredRecord(const QString& section, const QString& entry)
{
    const std::optional<QByteArray> bytes = ProfileStore().ReadBinary(section, entry);
    return bytes ? WindowPlacement::FromBytes(*bytes) : std::nullopt;
}

constexpr Qt::WindowStates kShowStates = Qt::WindowMinimized | Qt::WindowMaximized;

} // namespace

// Each anchor mode on growing, shrinking below the controls' size and coming back: the
// rectangles follow the client size change from their registered place, a centred control
// keeps its centre at the same fraction of the width (truncated), and a stretched control that
// would get a negative size is shown with none and regains its exact size later.
TEST(ResizeDlg, AnchoredControlsFollowTheClientSize)
{
    struct Control {
        AnchorMode horizontal;
        AnchorMode vertical;
        QRect initial;
    };
    const std::vector<Control> controls = {
        {ANCHOR_KEEP, ANCHOR_KEEP, QRect(10, 10, 50, 20)},
        {ANCHOR_STRETCH, ANCHOR_KEEP, QRect(10, 40, 200, 20)},
        {ANCHOR_MOVE, ANCHOR_MOVE, QRect(320, 260, 60, 25)},
        {ANCHOR_CENTRE, ANCHOR_KEEP, QRect(150, 100, 100, 20)}, // centre at 1/2 of the width
        {ANCHOR_KEEP, ANCHOR_STRETCH, QRect(10, 70, 100, 150)},
        {ANCHOR_CENTRE, ANCHOR_MOVE, QRect(80, 270, 40, 20)},   // centre at 1/4 of the width
        {ANCHOR_STRETCH, ANCHOR_STRETCH, QRect(20, 80, 360, 180)},
        {ANCHOR_KEEP, ANCHOR_CENTRE, QRect(300, 45, 20, 60)},   // centre at 1/4 of the height
    };
    struct Step {
        QSize size;
        std::vector<QRect> expected; // one per control, as the controls' geometry
    };
    const std::vector<Step> steps = {
        {QSize(600, 450),
         {QRect(10, 10, 50, 20), QRect(10, 40, 400, 20), QRect(520, 410, 60, 25), QRect(250, 100, 100, 20),
          QRect(10, 70, 100, 300), QRect(130, 420, 40, 20), QRect(20, 80, 560, 330), QRect(300, 82, 20, 60)}},
        {QSize(601, 451), // 601 / 4 - 20 = 130.25 and 601 / 2 - 50 = 250.5: truncated
         {QRect(10, 10, 50, 20), QRect(10, 40, 401, 20), QRect(521, 411, 60, 25), QRect(250, 100, 100, 20),
          QRect(10, 70, 100, 301), QRect(130, 421, 40, 20), QRect(20, 80, 561, 331), QRect(300, 82, 20, 60)}},
        {QSize(250, 200),
         {QRect(10, 10, 50, 20), QRect(10, 40, 50, 20), QRect(170, 160, 60, 25), QRect(75, 100, 100, 20),
          QRect(10, 70, 100, 50), QRect(42, 170, 40, 20), QRect(20, 80, 210, 80), QRect(300, 20, 20, 60)}},
        {QSize(100, 98), // stretched rectangles are inverted now; 98 / 4 - 30 = -5.5 truncates to -5
         {QRect(10, 10, 50, 20), QRect(10, 40, 0, 20), QRect(20, 58, 60, 25), QRect(0, 100, 100, 20),
          QRect(10, 70, 100, 0), QRect(5, 68, 40, 20), QRect(20, 80, 60, 0), QRect(300, -5, 20, 60)}},
        {QSize(400, 300),
         {QRect(10, 10, 50, 20), QRect(10, 40, 200, 20), QRect(320, 260, 60, 25), QRect(150, 100, 100, 20),
          QRect(10, 70, 100, 150), QRect(80, 270, 40, 20), QRect(20, 80, 360, 180), QRect(300, 45, 20, 60)}},
    };

    TestDlg dlg;
    std::vector<QWidget*> widgets;
    for (const Control& c : controls) {
        widgets.push_back(dlg.AddControl(c.initial));
        ASSERT_TRUE(dlg.AnchorControl(widgets.back(), c.horizontal, c.horizontal, c.vertical, c.vertical));
    }
    ASSERT_TRUE(ShowAndSettle(dlg));
    for (const Step& step : steps) {
        // Shrinking is limited by nothing of the dialog's own.
        ASSERT_TRUE(ResizeAndSettle(dlg, step.size)) << step.size.width() << "x" << step.size.height();
        for (size_t i = 0; i < controls.size(); ++i)
            EXPECT_EQ(widgets[i]->geometry(), step.expected[i])
                << "control " << i << " at " << step.size.width() << "x" << step.size.height();
    }
}

// Registering checks its control, and registering again replaces the modes instead of adding a
// second record that would move the control twice.
TEST(ResizeDlg, RegistrationRefusesStrangersAndReplacesModes)
{
    TestDlg dlg;
    QWidget stranger;
    EXPECT_FALSE(dlg.AnchorControl(nullptr, ANCHOR_MOVE, ANCHOR_MOVE, ANCHOR_MOVE, ANCHOR_MOVE));
    EXPECT_FALSE(dlg.AnchorControl(&stranger, ANCHOR_MOVE, ANCHOR_MOVE, ANCHOR_MOVE, ANCHOR_MOVE));

    QWidget* control = dlg.AddControl(QRect(100, 100, 50, 20));
    ASSERT_TRUE(dlg.AnchorControl(control, ANCHOR_STRETCH, ANCHOR_STRETCH, ANCHOR_STRETCH, ANCHOR_STRETCH));
    ASSERT_TRUE(dlg.AnchorControl(control, ANCHOR_KEEP, ANCHOR_KEEP, ANCHOR_KEEP, ANCHOR_KEEP));
    ASSERT_TRUE(ShowAndSettle(dlg));
    ASSERT_TRUE(ResizeAndSettle(dlg, QSize(450, 320)));
    EXPECT_EQ(control->geometry(), QRect(100, 100, 50, 20));
}

// A dialog resized while hidden (as a restored placement does before the first show) lays its
// controls out for that size, also for controls registered after the resize.
TEST(ResizeDlg, ResizeBeforeTheFirstShowIsLaidOut)
{
    TestDlg dlg;
    QWidget* early = dlg.AddControl(QRect(300, 10, 80, 20));
    ASSERT_TRUE(dlg.AnchorControl(early, ANCHOR_MOVE, ANCHOR_MOVE, ANCHOR_KEEP, ANCHOR_KEEP));
    dlg.resize(500, 300);
    QWidget* late = dlg.AddControl(QRect(400, 40, 80, 20));
    ASSERT_TRUE(dlg.AnchorControl(late, ANCHOR_MOVE, ANCHOR_MOVE, ANCHOR_KEEP, ANCHOR_KEEP));
    ASSERT_TRUE(ShowAndSettle(dlg));
    EXPECT_EQ(early->geometry(), QRect(400, 10, 80, 20));
    EXPECT_EQ(late->geometry(), QRect(400, 40, 80, 20));
}

// Minimizing does no layout even when the window system shrinks the minimized window; the
// restore lays out against the size from before, so the controls come back where they were.
TEST(ResizeDlg, MinimizeThenRestoreKeepsTheControls)
{
    TestDlg dlg;
    QWidget* moved = dlg.AddControl(QRect(320, 260, 60, 25));
    QWidget* stretched = dlg.AddControl(QRect(10, 40, 200, 150));
    QWidget* centred = dlg.AddControl(QRect(150, 100, 100, 20));
    ASSERT_TRUE(dlg.AnchorControl(moved, ANCHOR_MOVE, ANCHOR_MOVE, ANCHOR_MOVE, ANCHOR_MOVE));
    ASSERT_TRUE(dlg.AnchorControl(stretched, ANCHOR_STRETCH, ANCHOR_STRETCH, ANCHOR_STRETCH, ANCHOR_STRETCH));
    ASSERT_TRUE(dlg.AnchorControl(centred, ANCHOR_CENTRE, ANCHOR_CENTRE, ANCHOR_KEEP, ANCHOR_KEEP));
    ASSERT_TRUE(ShowAndSettle(dlg));
    const QRect grip = dlg.SizeGrip()->geometry();

    dlg.showMinimized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(dlg.windowState() & Qt::WindowMinimized);
    dlg.resize(40, 30); // what a window system may report for a minimized window
    EXPECT_EQ(moved->geometry(), QRect(320, 260, 60, 25));
    EXPECT_EQ(stretched->geometry(), QRect(10, 40, 200, 150));
    EXPECT_EQ(centred->geometry(), QRect(150, 100, 100, 20));
    EXPECT_EQ(dlg.SizeGrip()->geometry(), grip);

    dlg.showNormal();
    ASSERT_TRUE(ResizeAndSettle(dlg, QSize(400, 300)));
    EXPECT_EQ(moved->geometry(), QRect(320, 260, 60, 25));
    EXPECT_EQ(stretched->geometry(), QRect(10, 40, 200, 150));
    EXPECT_EQ(centred->geometry(), QRect(150, 100, 100, 20));

    ASSERT_TRUE(ResizeAndSettle(dlg, QSize(500, 340)));
    EXPECT_EQ(moved->geometry(), QRect(420, 300, 60, 25));
    EXPECT_EQ(stretched->geometry(), QRect(10, 40, 300, 190));
    EXPECT_EQ(centred->geometry(), QRect(200, 100, 100, 20));
}

// The grip sits in the bottom-right corner, as large as a scroll bar is wide, above the
// controls (created after it) and cut to its lower-right triangle; it follows the corner, hides
// while maximized and after HideSizeGrip, and comes back with the next size change.
TEST(SizeGrip, StaysInTheCornerAndHidesWhileMaximized)
{
    TestDlg dlg;
    QWidget* list = dlg.AddControl(QRect(0, 0, 400, 300));
    ASSERT_TRUE(dlg.AnchorControl(list, ANCHOR_STRETCH, ANCHOR_STRETCH, ANCHOR_STRETCH, ANCHOR_STRETCH));
    ASSERT_TRUE(ShowAndSettle(dlg));
    CSizeGripExt* grip = dlg.SizeGrip();
    const int extent = grip->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grip);
    EXPECT_TRUE(grip->isVisible());
    EXPECT_EQ(grip->geometry(), QRect(400 - extent, 300 - extent, extent, extent));
    EXPECT_EQ(dlg.childAt(399, 299), grip);
    EXPECT_EQ(dlg.childAt(400 - extent, 300 - extent), list); // outside the triangle
    EXPECT_EQ(grip->focusPolicy(), Qt::NoFocus);

    ASSERT_TRUE(ResizeAndSettle(dlg, QSize(520, 380)));
    EXPECT_EQ(grip->geometry().bottomRight(), dlg.rect().bottomRight());

    dlg.showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.size() != QSize(520, 380); }, kWaitMs));
    EXPECT_FALSE(grip->isVisible());

    dlg.showNormal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return grip->isVisible() && dlg.size() == QSize(520, 380); }, kWaitMs));
    EXPECT_EQ(grip->geometry().bottomRight(), dlg.rect().bottomRight());

    dlg.HideSizeGrip();
    EXPECT_FALSE(grip->isVisible());
    ASSERT_TRUE(ResizeAndSettle(dlg, QSize(480, 360)));
    EXPECT_TRUE(grip->isVisible());
    EXPECT_EQ(grip->geometry().bottomRight(), dlg.rect().bottomRight());
}

// A new scroll bar width resizes the grip, keeps its outer corner in place and recuts the
// triangle.
TEST(SizeGrip, StyleChangeResizesTheGripInItsCorner)
{
    class WideScrollBars : public QProxyStyle {
    public:
        int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
        {
            return metric == PM_ScrollBarExtent ? 31 : QProxyStyle::pixelMetric(metric, option, widget);
        }
    };
    WideScrollBars style; // outlives the dialog
    TestDlg dlg;
    ASSERT_TRUE(ShowAndSettle(dlg));
    CSizeGripExt* grip = dlg.SizeGrip();
    const QPoint corner = grip->geometry().bottomRight();
    grip->setStyle(&style);
    EXPECT_EQ(grip->size(), QSize(31, 31));
    EXPECT_EQ(grip->geometry().bottomRight(), corner);
    EXPECT_TRUE(grip->mask().contains(QPoint(30, 30)));
    EXPECT_TRUE(grip->mask().contains(QPoint(30, 5)));
    EXPECT_FALSE(grip->mask().contains(QPoint(1, 1)));
    grip->setStyle(nullptr);
}

// A saved placement is a 44-byte little-endian record; another store restores it exactly, the
// maximized state included. A dialog with a placement entry saves when it closes and when it is
// destroyed while shown.
TEST(WindowPlacement, SavedPlacementIsRestored)
{
    const QString section = QStringLiteral("RoundTrip");
    const QRect normal(100, 120, 420, 310);
    {
        TestDlg dlg;
        ASSERT_TRUE(ShowAndSettle(dlg));
        dlg.setGeometry(normal);
        QCoreApplication::processEvents();
        WindowPlacementStore store;
        ASSERT_TRUE(store.SaveWindowPlacement(&dlg, section, QStringLiteral("normal")));

        const std::optional<QByteArray> bytes = ProfileStore().ReadBinary(section, QStringLiteral("normal"));
        ASSERT_TRUE(bytes.has_value());
        ASSERT_EQ(bytes->size(), 44);
        EXPECT_EQ(bytes->left(12), QByteArray("\x2c\0\0\0\0\0\0\0\x01\0\0\0", 12));
        EXPECT_EQ(bytes->mid(28), QByteArray("\x64\0\0\0\x78\0\0\0\x08\x02\0\0\xae\x01\0\0", 16));
        EXPECT_EQ(ProfileStore().ReadInt(section, QString()), 0);

        dlg.showMaximized();
        ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.size() != normal.size(); }, kWaitMs));
        ASSERT_TRUE(store.SaveWindowPlacement(&dlg, section, QStringLiteral("maximized")));
    }

    // Into a maximized window, which has to leave that state.
    TestDlg shown;
    ASSERT_TRUE(ShowAndSettle(shown));
    shown.showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() != QSize(400, 300); }, kWaitMs));
    WindowPlacementStore store;
    ASSERT_TRUE(store.RestoreWindowPlacement(&shown, section, QStringLiteral("normal")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.geometry() == normal; }, kWaitMs));
    EXPECT_FALSE(shown.isMaximized());
    EXPECT_FALSE(shown.windowHandle()->windowStates() & Qt::WindowMaximized); // the window system's view
    EXPECT_EQ(NormalRect(store.Placement()), normal);

    // Restored before the first show, as the dialogs do while they open.
    TestDlg hidden;
    WindowPlacementStore other;
    ASSERT_TRUE(other.RestoreWindowPlacement(&hidden, section, QStringLiteral("maximized")));
    ASSERT_TRUE(ShowAndSettle(hidden));
    EXPECT_TRUE(hidden.isMaximized());
    EXPECT_EQ(hidden.normalGeometry(), normal);

    std::vector<QString> reports;
    const QRect closed(60, 70, 380, 260);
    const QRect destroyed(90, 40, 360, 280);
    {
        TestDlg dlg(QStringLiteral("{dialog}"));
        dlg.SetErrorReport([&](QWidget*, const QString& text) { reports.push_back(text); });
        ASSERT_TRUE(ShowAndSettle(dlg));
        dlg.setGeometry(closed);
        dlg.reject();
        const std::optional<WindowPlacement> saved = StoredRecord(QLatin1String(kPlacementSection), QStringLiteral("{dialog}"));
        ASSERT_TRUE(saved.has_value());
        EXPECT_EQ(NormalRect(*saved), closed);

        ASSERT_TRUE(ShowAndSettle(dlg));
        dlg.setGeometry(destroyed);
        QCoreApplication::processEvents();
    }
    const std::optional<WindowPlacement> saved = StoredRecord(QLatin1String(kPlacementSection), QStringLiteral("{dialog}"));
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(NormalRect(*saved), destroyed);
    EXPECT_TRUE(reports.empty());
}

// Nothing usable stored (no value, a value of another length than 44 bytes, an empty normal
// rectangle): the restore reports false and leaves the window alone; the store's placement is
// the window's own, centred on the screen, and applying it centres the window. A later save
// stores the then current placement.
TEST(WindowPlacement, UnusableRecordCountsAsAbsent)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    struct Case {
        const char* name;
        std::optional<QByteArray> stored;
    };
    const QByteArray good = Record(WindowPlacement::kShowNormal, QRect(50, 60, 300, 200)).ToBytes();
    WindowPlacement inverted = Record(WindowPlacement::kShowNormal, QRect(50, 60, 300, 200));
    inverted.right = inverted.left;
    const std::vector<Case> cases = {
        {"absent", std::nullopt},
        {"empty", QByteArray()},
        {"short", good.left(43)},
        {"long", good + QByteArray(4, '\0')},
        {"twice", good + good},
        {"empty rectangle", inverted.ToBytes()},
    };
    static int round = 0; // the cases save into their sections: fresh ones for every round
    ++round;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString section = QStringLiteral("Absent %1 %2").arg(round).arg(QLatin1String(c.name));
        if (c.stored) {
            ASSERT_TRUE(ProfileStore().WriteBinary(section, QStringLiteral("entry"), *c.stored));
        }
        TestDlg dlg;
        ASSERT_TRUE(ShowAndSettle(dlg));
        dlg.setGeometry(30, 40, 400, 300);
        QCoreApplication::processEvents();

        WindowPlacementStore store;
        EXPECT_FALSE(store.RestoreWindowPlacement(&dlg, section, QStringLiteral("entry")));
        QCoreApplication::processEvents();
        EXPECT_EQ(dlg.geometry(), QRect(30, 40, 400, 300));
        const QRect centred(screen.x() + (screen.width() - 400) / 2, screen.y() + (screen.height() - 300) / 2, 400, 300);
        EXPECT_EQ(NormalRect(store.Placement()), centred);

        ASSERT_TRUE(store.ApplyPlacement(&dlg));
        ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.geometry() == centred; }, kWaitMs));

        dlg.setGeometry(70, 80, 350, 250);
        ASSERT_TRUE(store.SaveWindowPlacement(&dlg, section, QStringLiteral("entry")));
        const std::optional<WindowPlacement> saved = StoredRecord(section, QStringLiteral("entry"));
        ASSERT_TRUE(saved.has_value());
        EXPECT_EQ(saved->length, 44);
        EXPECT_EQ(NormalRect(*saved), QRect(70, 80, 350, 250));
    }
}

// A record from a screen that is gone (or a corrupt one) is moved, and shrunk where needed,
// so that the whole window with its frame lies on an available screen area.
TEST(WindowPlacement, OffScreenRecordIsClampedOntoTheScreen)
{
    const QRect area = AvailableArea();
    struct Case {
        const char* name;
        WindowPlacement record;
        bool keepsSize;
    };
    WindowPlacement huge = Record(WindowPlacement::kShowNormal, QRect(0, 0, 10, 10));
    huge.left = -2000000000;
    huge.right = 2000000000; // wider than an int can count
    huge.top = -100;
    huge.bottom = 90000;
    const std::vector<Case> cases = {
        {"far right and below", Record(WindowPlacement::kShowNormal, QRect(100000, 50000, 300, 200)), true},
        {"far left and above", Record(WindowPlacement::kShowNormal, QRect(-6000, -4000, 300, 200)), true},
        {"across the right edge", Record(WindowPlacement::kShowNormal, QRect(area.right() - 100, 20, 300, 200)), true},
        {"larger than the screen", huge, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString section = QStringLiteral("Clamp ") + QLatin1String(c.name);
        ASSERT_TRUE(ProfileStore().WriteBinary(section, QStringLiteral("entry"), c.record.ToBytes()));
        TestDlg dlg;
        ASSERT_TRUE(ShowAndSettle(dlg));
        WindowPlacementStore store;
        ASSERT_TRUE(store.RestoreWindowPlacement(&dlg, section, QStringLiteral("entry")));
        QCoreApplication::processEvents();
        EXPECT_TRUE(area.contains(dlg.frameGeometry())) << dlg.frameGeometry().x() << "," << dlg.frameGeometry().y();
        EXPECT_EQ(NormalRect(store.Placement()), dlg.geometry());
        if (c.keepsSize) {
            EXPECT_EQ(dlg.size(), QSize(300, 200));
        }
    }
}

// The placement kind of the section decides the restored show state; it is read once and
// written back unchanged by the next save.
TEST(WindowPlacement, PlacementKindAdjustsTheShowState)
{
    constexpr int kNoKind = -1;
    struct Case {
        int kind;
        std::int32_t showCmd;
        std::int32_t flags;
        Qt::WindowStates expected;
    };
    const std::vector<Case> cases = {
        {kNoKind, WindowPlacement::kShowNormal, 0, Qt::WindowNoState},
        {kNoKind, WindowPlacement::kShowMaximized, 0, Qt::WindowMaximized},
        {kNoKind, WindowPlacement::kShowMinimized, 0, Qt::WindowNoState},
        {kNoKind, WindowPlacement::kShowMinimized, WindowPlacement::kRestoreToMaximized, Qt::WindowMaximized},
        {0, WindowPlacement::kMinimize, 0, Qt::WindowNoState},
        {1, WindowPlacement::kShowMinimized, 0, Qt::WindowMinimized},
        {1, WindowPlacement::kShowMaximized, 0, Qt::WindowMaximized},
        {2, WindowPlacement::kShowMaximized, 0, Qt::WindowNoState},
        {3, WindowPlacement::kShowNormal, 0, Qt::WindowMaximized},
        {4, WindowPlacement::kShowNormal, 0, Qt::WindowMinimized},
        {7, WindowPlacement::kShowMaximized, 0, Qt::WindowMaximized},
        {7, WindowPlacement::kShowMinimized, WindowPlacement::kRestoreToMaximized, Qt::WindowMaximized},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << ", show command " << c.showCmd << ", flags " << c.flags);
        const QString section = QStringLiteral("Kind %1").arg(index++);
        ProfileStore profile;
        if (c.kind != kNoKind) {
            ASSERT_TRUE(profile.WriteInt(section, QString(), c.kind));
        }
        ASSERT_TRUE(profile.WriteBinary(section, QStringLiteral("entry"),
                                        Record(c.showCmd, QRect(40, 50, 300, 200), c.flags).ToBytes()));

        TestDlg dlg;
        WindowPlacementStore store;
        ASSERT_TRUE(store.RestoreWindowPlacement(&dlg, section, QStringLiteral("entry")));
        EXPECT_EQ((dlg.windowState() & kShowStates).toInt(), c.expected.toInt());
        EXPECT_EQ(dlg.normalGeometry(), QRect(40, 50, 300, 200));

        // Another store's record does not change what this store read.
        profile.WriteInt(section, QString(), 99);
        ASSERT_TRUE(store.SaveWindowPlacement(&dlg, section, QStringLiteral("entry")));
        EXPECT_EQ(profile.ReadInt(section, QString()), c.kind == kNoKind ? 0 : c.kind);
    }

    // A store that saves before it ever restored keeps the section's kind too.
    ProfileStore profile;
    ASSERT_TRUE(profile.WriteInt(QStringLiteral("Kind unread"), QString(), 3));
    TestDlg dlg;
    WindowPlacementStore store;
    ASSERT_TRUE(store.SaveWindowPlacement(&dlg, QStringLiteral("Kind unread"), QStringLiteral("entry")));
    EXPECT_EQ(profile.ReadInt(QStringLiteral("Kind unread"), QString()), 3);

    // So does one whose only restore had no window to restore.
    ASSERT_TRUE(profile.WriteInt(QStringLiteral("Kind no window"), QString(), 3));
    WindowPlacementStore noWindow;
    EXPECT_FALSE(noWindow.RestoreWindowPlacement(nullptr, QStringLiteral("Kind no window"), QStringLiteral("entry")));
    ASSERT_TRUE(noWindow.SaveWindowPlacement(&dlg, QStringLiteral("Kind no window"), QStringLiteral("entry")));
    EXPECT_EQ(profile.ReadInt(QStringLiteral("Kind no window"), QString()), 3);
}

// A placement that cannot be saved is reported with "Fail to Save!", and the dialog closes all
// the same. A dialog embedded in another window has no placement of its own to save.
TEST(WindowPlacement, FailedSaveIsReported)
{
    QWidget host;
    host.resize(500, 400);
    TestDlg dlg(QStringLiteral("{embedded}"), &host);
    dlg.setWindowFlags(Qt::Widget);
    std::vector<QString> reports;
    dlg.SetErrorReport([&](QWidget*, const QString& text) { reports.push_back(text); });
    ASSERT_TRUE(ShowAndSettle(host));
    dlg.show();
    ASSERT_TRUE(dlg.isVisible());
    dlg.accept();
    EXPECT_FALSE(dlg.isVisible());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], QStringLiteral("Fail to Save!"));
    EXPECT_FALSE(StoredRecord(QLatin1String(kPlacementSection), QStringLiteral("{embedded}")).has_value());
}
