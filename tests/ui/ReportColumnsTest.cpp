// CReportCtrl columns: hiding and showing (display position, remembered width, the guards that
// keep a hidden column hidden), the header's column menu, and the saved "Column" and "SortEx"
// values with their validation and their round trip through the control.

#include "FileListHeadings.h"
#include "reportctrl/ColumnLayout.h"
#include "reportctrl/ReportCtrl.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

namespace {

const QStringList kHeadings = FileListHeadings();

// The file list's 18 columns, column c 50 + 5c wide, two rows, shown.
class ReportColumnsTest : public ::testing::Test {
protected:
    ReportColumnsTest()
    {
        for (int c = 0; c < kHeadings.size(); ++c)
            m_ctrl.AddColumn(c, kHeadings.at(c), Qt::AlignLeft, 50 + 5 * c);
        m_ctrl.InsertRows(0, {{QStringLiteral("a very long file name indeed.ogg")}, {QStringLiteral("b.ogg")}});
        m_ctrl.resize(900, 300);
        m_ctrl.show();
        QCoreApplication::processEvents();
    }

    // Logical columns in display order, shown ones only, as "c c c".
    std::string ShownOrder() const
    {
        std::string order;
        const QHeaderView* header = m_ctrl.header();
        for (int v = 0; v < header->count(); ++v) {
            const int logical = header->logicalIndex(v);
            if (!header->isSectionHidden(logical))
                order += (order.empty() ? "" : " ") + std::to_string(logical);
        }
        return order;
    }

    CReportCtrl m_ctrl;
};

TEST_F(ReportColumnsTest, HidingMovesAsideWithWidthKeptAndShowingReturnsAtTheRight)
{
    QHeaderView* header = m_ctrl.header();
    ASSERT_TRUE(m_ctrl.ShowColumn(4, false));
    ASSERT_TRUE(m_ctrl.ShowColumn(9, false));
    EXPECT_TRUE(header->isSectionHidden(4));
    EXPECT_FALSE(m_ctrl.IsColumnShown(4));
    EXPECT_LT(header->visualIndex(4), 2); // the hidden columns are gathered at the left end
    EXPECT_LT(header->visualIndex(9), 2);
    const ColumnRecord record = *m_ctrl.ColumnRecordAt(4);
    EXPECT_FALSE(record.shown);
    EXPECT_EQ(record.width, 70);
    EXPECT_EQ(record.restorePosition, 18);
    // Hiding again keeps the remembered width.
    m_ctrl.ShowColumn(4, false);
    EXPECT_EQ(m_ctrl.ColumnRecordAt(4)->width, 70);

    // Nothing brings a hidden column back but ShowColumn: fitting, the keypad shortcut, resizing.
    m_ctrl.FitColumn(-1, true);
    m_ctrl.FitColumn(4, false);
    header->resizeSection(9, 120);
    header->resizeSection(0, 30);
    QTest::keyClick(&m_ctrl, Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_TRUE(header->isSectionHidden(4));
    EXPECT_TRUE(header->isSectionHidden(9));
    EXPECT_GT(header->sectionSize(0), 30); // the shortcut fitted the shown columns

    // Shown again: at the far right, in the order shown, with the remembered width.
    m_ctrl.ShowColumn(9, true);
    m_ctrl.ShowColumn(4, true);
    EXPECT_EQ(ShownOrder(), "0 1 2 3 5 6 7 8 10 11 12 13 14 15 16 17 9 4");
    EXPECT_EQ(header->visualIndex(4), 17);
    EXPECT_EQ(header->sectionSize(4), 70);
    EXPECT_TRUE(m_ctrl.IsColumnShown(4));
    // Showing a shown column moves nothing.
    m_ctrl.ShowColumn(5, true);
    EXPECT_EQ(header->visualIndex(4), 17);
}

TEST_F(ReportColumnsTest, ColumnDroppedAmongHiddenOnesLandsAtTheFirstShownPlace)
{
    QHeaderView* header = m_ctrl.header();
    m_ctrl.SetListExStyle(LES_HEADERDRAGDROP);
    m_ctrl.ShowColumn(3, false);
    m_ctrl.ShowColumn(5, false);
    header->moveSection(header->visualIndex(8), 0);
    EXPECT_EQ(header->visualIndex(8), 2);
    EXPECT_EQ(ShownOrder(), "8 0 1 2 4 6 7 9 10 11 12 13 14 15 16 17");
}

TEST_F(ReportColumnsTest, MenuListsColumnsWithNameAndPathFixed)
{
    m_ctrl.ShowColumn(6, false);
    const std::unique_ptr<QMenu> menu = m_ctrl.BuildColumnMenu();
    std::string layout;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            layout += "| ";
            continue;
        }
        const int column = action->data().toInt();
        EXPECT_EQ(action->text(), kHeadings.at(column));
        EXPECT_TRUE(action->isCheckable());
        EXPECT_EQ(action->isChecked(), column != 6) << column;
        EXPECT_EQ(action->isEnabled(), column >= 2) << column;
        layout += std::to_string(column) + " ";
    }
    EXPECT_EQ(layout, "0 1 2 | 3 4 5 6 7 8 9 10 11 | 12 13 14 15 16 17 ");

    const auto actionFor = [&menu](int column) {
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator() && action->data().toInt() == column)
                return action;
        }
        return static_cast<QAction*>(nullptr);
    };
    actionFor(6)->trigger();
    EXPECT_TRUE(m_ctrl.IsColumnShown(6));
    actionFor(15)->trigger();
    EXPECT_FALSE(m_ctrl.IsColumnShown(15));
    for (const int fixed : {0, 1}) {
        actionFor(fixed)->trigger();
        EXPECT_TRUE(m_ctrl.IsColumnShown(fixed)) << fixed;
    }
}

TEST_F(ReportColumnsTest, MenuOpensOnlyOverTheHeader)
{
    int opened = 0;
    m_ctrl.SetMenuRunner([&opened](QMenu& menu, const QPoint&) {
        ++opened;
        EXPECT_EQ(menu.actions().size(), 18 + 2);
    });
    QHeaderView* header = m_ctrl.header();
    const QPoint inHeader(header->sectionViewportPosition(2) + 5, header->height() / 2);
    QContextMenuEvent overHeader(QContextMenuEvent::Mouse, inHeader, header->viewport()->mapToGlobal(inHeader));
    QCoreApplication::sendEvent(header->viewport(), &overHeader);
    EXPECT_EQ(opened, 1);

    const QPoint inRows(20, 10);
    QContextMenuEvent overRows(QContextMenuEvent::Mouse, inRows, m_ctrl.viewport()->mapToGlobal(inRows));
    QCoreApplication::sendEvent(m_ctrl.viewport(), &overRows);
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(m_ctrl.OnHeaderMenu(m_ctrl.viewport()->mapToGlobal(inRows)));
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(m_ctrl.OnHeaderMenu(header->viewport()->mapToGlobal(inHeader)));
    EXPECT_EQ(opened, 2);
}

std::string KeysText(const QList<ColumnSortInfo>& keys)
{
    std::string s;
    for (const ColumnSortInfo& k : keys)
        s += std::to_string(k.column) + (k.ascending ? "+ " : "- ");
    return s;
}

QByteArray Words(std::initializer_list<std::int32_t> words)
{
    QByteArray out;
    for (std::int32_t w : words) {
        const auto u = std::uint32_t(w);
        for (int shift = 0; shift < 32; shift += 8)
            out.append(char((u >> shift) & 0xFF));
    }
    return out;
}

TEST(ColumnLayout, SortKeysRoundTripAndValidation)
{
    const QList<ColumnSortInfo> keys = {{7, 1}, {4, 0}, {17, 1}};
    EXPECT_EQ(EncodeSortKeys(keys), Words({7, 1, 4, 0, 17, 1}));
    EXPECT_EQ(KeysText(DecodeSortKeys(EncodeSortKeys(keys))), "7+ 4- 17+ ");

    const struct {
        const char* what;
        QByteArray stored;
        const char* expected;
    } cases[] = {
        {"absent or empty", QByteArray(), "0+ "},
        {"outside the columns", Words({-1, 1, 18, 0, 3, 0, 1000, 1}), "3- "},
        {"only invalid keys", Words({18, 1, -5, 0}), "0+ "},
        {"duplicates, first kept", Words({5, 0, 2, 1, 5, 1}), "5- 2+ "},
        {"more than six", Words({1, 1, 2, 1, 3, 1, 4, 1, 5, 1, 6, 1, 7, 1}), "1+ 2+ 3+ 4+ 5+ 6+ "},
        {"partial trailing key", Words({9, 0}) + QByteArray("\x04\x00\x00", 3), "9- "},
        {"odd direction reads ascending", Words({9, 7}), "9+ "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeysText(DecodeSortKeys(c.stored)), c.expected) << c.what;
}

TEST(ColumnLayout, ColumnValueRoundTripAndValidation)
{
    QList<ColumnLayoutEntry> layout;
    for (int c = 0; c < kLayoutColumns; ++c)
        layout.append({c % 4 != 3, 40 + c});
    const QByteArray value = EncodeColumnLayout(layout);
    ASSERT_EQ(value.size(), 144);
    EXPECT_EQ(value.left(16), Words({1, 40, 1, 41}));
    EXPECT_EQ(value.mid(24, 8), Words({0, 43}));
    EXPECT_EQ(DecodeColumnLayout(value), layout);

    for (const int length : {0, 8, 143, 145, 152})
        EXPECT_FALSE(DecodeColumnLayout(value.left(length) + QByteArray(std::max(0, length - 144), '\0')))
            << length;

    QByteArray odd = value;
    odd.replace(0, 8, Words({0, -20}));       // Name hidden, negative width
    odd.replace(8, 8, Words({0, 30}));        // Path hidden
    odd.replace(16, 8, Words({5, 1000000}));  // any nonzero shown, huge width
    const std::optional<QList<ColumnLayoutEntry>> decoded = DecodeColumnLayout(odd);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->at(0), (ColumnLayoutEntry{true, 0}));
    EXPECT_EQ(decoded->at(1), (ColumnLayoutEntry{true, 30}));
    EXPECT_EQ(decoded->at(2), (ColumnLayoutEntry{true, kMaxColumnWidth}));
}

TEST_F(ReportColumnsTest, SavedLayoutRoundTripsThroughTheControl)
{
    QList<ColumnLayoutEntry> layout;
    for (int c = 0; c < kLayoutColumns; ++c)
        layout.append({c != 5 && c != 13, 60 + 3 * c});
    const std::optional<QList<ColumnLayoutEntry>> decoded = DecodeColumnLayout(EncodeColumnLayout(layout));
    ASSERT_TRUE(decoded);
    m_ctrl.ApplyColumnLayout(*decoded);
    EXPECT_TRUE(m_ctrl.header()->isSectionHidden(5));
    EXPECT_TRUE(m_ctrl.header()->isSectionHidden(13));
    EXPECT_EQ(m_ctrl.header()->sectionSize(7), 81);
    EXPECT_EQ(m_ctrl.CurrentColumnLayout(), layout);

    // Applying the defaults shows the hidden columns again with their widths.
    for (ColumnLayoutEntry& entry : layout)
        entry.shown = true;
    m_ctrl.ApplyColumnLayout(layout);
    EXPECT_EQ(m_ctrl.CurrentColumnLayout(), layout);
    EXPECT_EQ(EncodeColumnLayout(m_ctrl.CurrentColumnLayout()), EncodeColumnLayout(layout));
}

} // namespace
