// CReportCtrl: row-state filters and bulk state changes, row moves and removals, cell and stripe
// colours as the view reads them, numbers in the C locale, header images and clicks, and the
// model's consistency through all of it.

#include "reportctrl/ReportCtrl.h"

#include "filelist/AudioFileInfo.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QItemSelectionModel>
#include <QLocale>
#include <QPalette>
#include <QPixmap>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A control with `columns` columns and one row per text, each text in column 0.
class ReportCtrlTest : public ::testing::Test {
protected:
    void Build(const QStringList& rowTexts, int columns = 3)
    {
        for (int c = 0; c < columns; ++c)
            m_ctrl.AddColumn(c, QStringLiteral("C%1").arg(c), Qt::AlignLeft, 60);
        for (const QString& text : rowTexts)
            m_ctrl.InsertRow(m_ctrl.RowCount(), text);
    }

    QStringList Column0() const
    {
        QStringList texts;
        for (int row = 0; row < m_ctrl.RowCount(); ++row)
            texts << m_ctrl.CellText(row, 0);
        return texts;
    }

    std::vector<int> RowsWith(int flag) const
    {
        std::vector<int> rows;
        for (int row = 0; row < m_ctrl.RowCount(); ++row) {
            if (m_ctrl.RowStateFlags(row) & flag)
                rows.push_back(row);
        }
        return rows;
    }

    QVariant Role(int row, int column, int role) const
    {
        return m_ctrl.Model()->data(m_ctrl.Model()->index(row, column), role);
    }

    // The cell's colour for a colour role, or an invalid colour when it has none (palette).
    QColor ColourOf(int row, int column, int role) const
    {
        const QVariant value = Role(row, column, role);
        return value.isValid() ? value.value<QBrush>().color() : QColor();
    }

    void Select(std::initializer_list<int> rows)
    {
        for (const int row : rows)
            ASSERT_TRUE(m_ctrl.ApplyRowStateFlags(row, RS_SELECTED));
    }

    CReportCtrl m_ctrl;
};

const QStringList kSixRows = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                              QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("f")};

TEST_F(ReportCtrlTest, RowStateFiltersMatchTheReportedFlags)
{
    Build(kSixRows);
    m_ctrl.SetListExStyle(LES_CHECKBOXES);
    Select({1, 2, 4});
    ASSERT_TRUE(m_ctrl.ApplyRowStateFlags(2, RS_CHECKED));
    ASSERT_TRUE(m_ctrl.ApplyRowStateFlags(3, RS_CHECKED));
    ASSERT_TRUE(m_ctrl.ApplyRowStateFlags(4, RS_FOCUSED));

    // Each row reports exactly one flag of each pair.
    for (int row = 0; row < m_ctrl.RowCount(); ++row) {
        const int flags = m_ctrl.RowStateFlags(row);
        EXPECT_EQ(bool(flags & RS_SELECTED), !(flags & RS_UNSELECTED)) << row;
        EXPECT_EQ(bool(flags & RS_CHECKED), !(flags & RS_UNCHECKED)) << row;
        EXPECT_EQ(bool(flags & RS_FOCUSED), !(flags & RS_UNFOCUSED)) << row;
        EXPECT_FALSE(flags & RS_ANY) << row;
    }
    EXPECT_EQ(m_ctrl.RowStateFlags(6), 0);

    const struct {
        int filter;
        std::vector<int> rows;
    } cases[] = {
        {0, {}},
        {RS_ANY, {0, 1, 2, 3, 4, 5}},
        {RS_ANY | RS_SELECTED, {0, 1, 2, 3, 4, 5}},
        {RS_SELECTED, {1, 2, 4}},
        {RS_UNSELECTED, {0, 3, 5}},
        {RS_SELECTED | RS_CHECKED, {2}},
        {RS_UNSELECTED | RS_UNCHECKED, {0, 5}},
        {RS_FOCUSED, {4}},
        {RS_UNFOCUSED | RS_CHECKED, {2, 3}},
        {RS_SELECTED | RS_UNSELECTED, {}},
        {0x80, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(m_ctrl.CountMatchingRows(c.filter), int(c.rows.size()));
        std::vector<int> found;
        for (int row = m_ctrl.NextMatchingRow(c.filter, -1); row != -1; row = m_ctrl.NextMatchingRow(c.filter, row))
            found.push_back(row);
        EXPECT_EQ(found, c.rows);
        EXPECT_EQ(m_ctrl.NextMatchingRow(c.filter, -7), c.rows.empty() ? -1 : c.rows.front());
    }

    // The selection as the user changes it in the view counts at once.
    m_ctrl.selectionModel()->select(m_ctrl.Model()->index(0, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(m_ctrl.CountMatchingRows(RS_SELECTED), 4);
    m_ctrl.clearSelection();
    EXPECT_EQ(m_ctrl.NextMatchingRow(RS_SELECTED, -1), -1);
}

TEST_F(ReportCtrlTest, ApplyToMatchingRowsChangesExactlyTheMatchedRows)
{
    Build(kSixRows);
    Select({0, 3});

    QSignalSpy selectionChanges(m_ctrl.selectionModel(), &QItemSelectionModel::selectionChanged);
    EXPECT_EQ(m_ctrl.ApplyToMatchingRows(RS_UNSELECTED, RS_SELECTED | RS_FOCUSED), 4);
    EXPECT_EQ(selectionChanges.count(), 1) << "one selection change for the whole operation";
    EXPECT_EQ(RowsWith(RS_SELECTED), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(RowsWith(RS_FOCUSED), (std::vector<int>{5})) << "the last matched row keeps the focus";

    // Nothing for a filter or flags of 0.
    EXPECT_EQ(m_ctrl.ApplyToMatchingRows(0, RS_UNSELECTED), 0);
    EXPECT_EQ(m_ctrl.ApplyToMatchingRows(RS_ANY, 0), 0);
    EXPECT_EQ(m_ctrl.CountMatchingRows(RS_SELECTED), 6);

    // A flag given with its opposite ends in the opposite, in bulk and for one row.
    EXPECT_EQ(m_ctrl.ApplyToMatchingRows(RS_ANY, RS_UNSELECTED | RS_SELECTED | RS_FOCUSED | RS_UNFOCUSED), 6);
    EXPECT_EQ(m_ctrl.CountMatchingRows(RS_SELECTED), 0);
    EXPECT_EQ(m_ctrl.CountMatchingRows(RS_FOCUSED), 0);
    EXPECT_TRUE(m_ctrl.ApplyRowStateFlags(2, RS_SELECTED | RS_UNSELECTED));
    EXPECT_EQ(m_ctrl.RowStateFlags(2) & RS_SELECTED, 0);

    // Removing the focus from rows that do not hold it leaves it where it is.
    ASSERT_TRUE(m_ctrl.ApplyRowStateFlags(1, RS_FOCUSED));
    EXPECT_EQ(m_ctrl.ApplyToMatchingRows(RS_UNFOCUSED, RS_UNFOCUSED), 5);
    EXPECT_EQ(RowsWith(RS_FOCUSED), (std::vector<int>{1}));

    // Failures: no flags, an invalid row, a check without check boxes.
    EXPECT_FALSE(m_ctrl.ApplyRowStateFlags(0, 0));
    EXPECT_FALSE(m_ctrl.ApplyRowStateFlags(6, RS_SELECTED));
    EXPECT_FALSE(m_ctrl.ApplyRowStateFlags(-1, RS_SELECTED));
    EXPECT_FALSE(m_ctrl.ApplyRowStateFlags(0, RS_CHECKED | RS_SELECTED));
    EXPECT_EQ(m_ctrl.RowStateFlags(0) & (RS_CHECKED | RS_SELECTED), RS_SELECTED);
    EXPECT_TRUE(m_ctrl.ApplyRowStateFlags(0, RS_UNCHECKED));
}

TEST_F(ReportCtrlTest, InvertRowsFlipsSelectionOrChecks)
{
    Build(kSixRows);
    Select({0, 2});

    m_ctrl.InvertRows(INVERT_SELECTION);
    EXPECT_EQ(RowsWith(RS_SELECTED), (std::vector<int>{1, 3, 4, 5}));
    m_ctrl.InvertRows(INVERT_CHECKS); // no check boxes: nothing to invert
    EXPECT_EQ(m_ctrl.CountMatchingRows(RS_CHECKED), 0);
    m_ctrl.InvertRows(7);
    EXPECT_EQ(RowsWith(RS_SELECTED), (std::vector<int>{1, 3, 4, 5}));

    m_ctrl.SetListExStyle(LES_CHECKBOXES);
    ASSERT_TRUE(m_ctrl.ApplyRowStateFlags(4, RS_CHECKED));
    m_ctrl.InvertRows(INVERT_CHECKS);
    EXPECT_EQ(RowsWith(RS_CHECKED), (std::vector<int>{0, 1, 2, 3, 5}));
    EXPECT_EQ(RowsWith(RS_SELECTED), (std::vector<int>{1, 3, 4, 5})) << "the selection is left alone";
    EXPECT_EQ(Role(0, 0, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_EQ(Role(4, 0, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);

    // Turning the check boxes off clears the marks.
    m_ctrl.SetListExStyle(0);
    EXPECT_EQ(m_ctrl.CountMatchingRows(RS_UNCHECKED), 6);
    EXPECT_FALSE(Role(0, 0, Qt::CheckStateRole).isValid());
}

TEST_F(ReportCtrlTest, RelocateRowClampsTheTarget)
{
    const QStringList rows = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
                              QStringLiteral("e")};
    const struct {
        const char* name;
        int (*move)(CReportCtrl&);
        int result;
        const char* order;
    } cases[] = {
        {"first row to top", [](CReportCtrl& c) { return c.RowToTop(0); }, 0, "abcde"},
        {"last row to bottom", [](CReportCtrl& c) { return c.RowToBottom(4); }, 4, "abcde"},
        {"onto itself", [](CReportCtrl& c) { return c.RelocateRow(2, 2); }, 2, "abcde"},
        {"down", [](CReportCtrl& c) { return c.RelocateRow(1, 3); }, 3, "acdbe"},
        {"up", [](CReportCtrl& c) { return c.RelocateRow(3, 0); }, 0, "dabce"},
        {"before the first", [](CReportCtrl& c) { return c.RelocateRow(2, -100); }, 0, "cabde"},
        {"past the last", [](CReportCtrl& c) { return c.RelocateRow(2, 100); }, 4, "abdec"},
        {"middle to top", [](CReportCtrl& c) { return c.RowToTop(3); }, 0, "dabce"},
        {"middle to bottom", [](CReportCtrl& c) { return c.RowToBottom(1); }, 4, "acdeb"},
        {"shift down", [](CReportCtrl& c) { return c.ShiftRow(1, 1); }, 2, "acbde"},
        {"shift up", [](CReportCtrl& c) { return c.ShiftRow(1, -1); }, 0, "bacde"},
        {"shift by INT_MAX", [](CReportCtrl& c) { return c.ShiftRow(3, INT_MAX); }, 4, "abced"},
        {"shift by INT_MIN", [](CReportCtrl& c) { return c.ShiftRow(3, INT_MIN); }, 0, "dabce"},
        {"row past the end", [](CReportCtrl& c) { return c.RelocateRow(5, 0); }, -1, "abcde"},
        {"negative row", [](CReportCtrl& c) { return c.RowToBottom(-1); }, -1, "abcde"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CReportCtrl ctrl;
        ctrl.AddColumn(0, QStringLiteral("Name"));
        for (const QString& text : rows)
            ctrl.InsertRow(ctrl.RowCount(), text);
        EXPECT_EQ(c.move(ctrl), c.result);
        QString order;
        for (int row = 0; row < ctrl.RowCount(); ++row)
            order += ctrl.CellText(row, 0);
        EXPECT_EQ(order.toStdString(), c.order);
    }
}

TEST_F(ReportCtrlTest, RelocatedRowTakesItsRecordAndStatesAlong)
{
    Build(kSixRows);
    m_ctrl.SetListExStyle(LES_CHECKBOXES);
    AudioFileInfo info;
    m_ctrl.AttachRowData(1, &info);
    m_ctrl.PutCellText(1, 2, QStringLiteral("tail"));
    m_ctrl.PutCellImage(1, 0, 3);
    m_ctrl.PaintCellText(1, 2, 0x0000FF, false);
    ASSERT_TRUE(m_ctrl.ApplyRowStateFlags(1, RS_SELECTED | RS_CHECKED | RS_FOCUSED));
    Select({4});

    EXPECT_EQ(m_ctrl.RelocateRow(1, 4), 4);

    EXPECT_EQ(Column0(), (QStringList{"a", "c", "d", "e", "b", "f"}));
    EXPECT_EQ(m_ctrl.RowData(4), &info);
    EXPECT_EQ(m_ctrl.RowData(1), nullptr);
    EXPECT_EQ(m_ctrl.CellText(4, 2), QStringLiteral("tail"));
    EXPECT_EQ(m_ctrl.CellImage(4, 0), 3);
    EXPECT_EQ(ColourOf(4, 2, Qt::ForegroundRole), QColor(255, 0, 0));
    EXPECT_EQ(m_ctrl.RowStateFlags(4), RS_SELECTED | RS_CHECKED | RS_FOCUSED);
    EXPECT_EQ(RowsWith(RS_SELECTED), (std::vector<int>{3, 4})) << "row e, selected before, now at 3";
    EXPECT_EQ(RowsWith(RS_CHECKED), (std::vector<int>{4}));
}

TEST_F(ReportCtrlTest, RelocateRowLeavesTheOtherRowsStates)
{
    // Ten rows, all selected but "f"; the moved row keeps its own state, the others theirs, also
    // when it lands inside a selected run.
    const struct {
        int row, target;
        const char* order;
        const char* selected; // per row after the move: 's' selected
    } cases[] = {
        {2, 7, "abdefghcij", "ssss.sssss"},
        {5, 8, "abcdeghifj", "ssssssss.s"},
        {5, 0, "fabcdeghij", ".sssssssss"},
        {9, 3, "abcjdefghi", "ssssss.sss"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << " to " << c.target);
        CReportCtrl ctrl;
        ctrl.AddColumn(0, QStringLiteral("Name"));
        ctrl.AddColumn(1, QStringLiteral("Path"));
        for (const char name : std::string("abcdefghij"))
            ctrl.InsertRow(ctrl.RowCount(), QString(QChar::fromLatin1(name)));
        ctrl.ApplyToMatchingRows(RS_ANY, RS_SELECTED);
        ctrl.ApplyRowStateFlags(5, RS_UNSELECTED);
        ctrl.ApplyRowStateFlags(c.row, RS_FOCUSED);

        EXPECT_EQ(ctrl.RelocateRow(c.row, c.target), c.target);
        std::string order;
        std::string selected;
        for (int row = 0; row < ctrl.RowCount(); ++row) {
            order += ctrl.CellText(row, 0).toStdString();
            selected += (ctrl.RowStateFlags(row) & RS_SELECTED) ? 's' : '.';
        }
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(selected, c.selected);
        EXPECT_EQ(ctrl.NextMatchingRow(RS_FOCUSED, -1), c.target);
    }

    // Moving a row while many rows of the file list's 18 columns are selected in more than one
    // run stays cheap. (Qt's selection model answers a model's row move with a persistent index
    // per selected cell, whose hashes collide beyond 16 columns: seconds here, minutes with
    // thousands of rows.)
    Build({}, 18);
    QList<QStringList> rows;
    for (int row = 0; row < 500; ++row)
        rows.append({QString::number(row)});
    m_ctrl.InsertRows(0, rows);
    m_ctrl.ApplyToMatchingRows(RS_ANY, RS_SELECTED);
    m_ctrl.ApplyRowStateFlags(10, RS_UNSELECTED);
    QElapsedTimer timer;
    timer.start();
    m_ctrl.ShiftRow(0, 1);
    m_ctrl.RowToBottom(m_ctrl.NextMatchingRow(RS_SELECTED, -1));
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(m_ctrl.CountMatchingRows(RS_SELECTED), 499);
}

TEST_F(ReportCtrlTest, RemoveRowsMatchingByState)
{
    Build(kSixRows);
    std::vector<AudioFileInfo> infos(6);
    for (int row = 0; row < 6; ++row)
        m_ctrl.AttachRowData(row, &infos[std::size_t(row)]);
    Select({1, 2, 5});
    ASSERT_TRUE(m_ctrl.ApplyRowStateFlags(3, RS_FOCUSED));

    EXPECT_EQ(m_ctrl.RemoveRowsMatching(0), 0);
    EXPECT_EQ(m_ctrl.RowCount(), 6);

    EXPECT_EQ(m_ctrl.RemoveRowsMatching(RS_SELECTED), 3);
    EXPECT_EQ(Column0(), (QStringList{"a", "d", "e"}));
    EXPECT_EQ(m_ctrl.RowData(1), &infos[3]) << "records stay with their rows";
    EXPECT_EQ(m_ctrl.CountMatchingRows(RS_SELECTED), 0);
    EXPECT_EQ(m_ctrl.NextMatchingRow(RS_FOCUSED, -1), 1);

    EXPECT_EQ(m_ctrl.RemoveRowsMatching(RS_UNFOCUSED | RS_UNSELECTED), 2);
    EXPECT_EQ(Column0(), (QStringList{"d"}));

    m_ctrl.InsertRow(0, QStringLiteral("x"));
    EXPECT_EQ(m_ctrl.RemoveRowsMatching(RS_ANY | RS_SELECTED), 2) << "RS_ANY removes every row";
    EXPECT_EQ(m_ctrl.RowCount(), 0);
    EXPECT_EQ(m_ctrl.RemoveRowsMatching(RS_ANY), 0);
    EXPECT_EQ(infos[3].unreadable, 0) << "the owner's objects are untouched";
}

TEST_F(ReportCtrlTest, RemoveRowSelectsTheFollowingRowWhenAsked)
{
    Build(kSixRows);
    EXPECT_TRUE(m_ctrl.RemoveRow(1, true));
    EXPECT_EQ(Column0(), (QStringList{"a", "c", "d", "e", "f"}));
    EXPECT_EQ(RowsWith(RS_SELECTED), (std::vector<int>{1}));

    EXPECT_TRUE(m_ctrl.RemoveRow(4, true)); // the last row has no follower
    EXPECT_TRUE(m_ctrl.RemoveRow(0, false));
    EXPECT_EQ(Column0(), (QStringList{"c", "d", "e"}));
    EXPECT_EQ(RowsWith(RS_SELECTED), (std::vector<int>{0}));
    EXPECT_FALSE(m_ctrl.RemoveRow(3, true));
    EXPECT_FALSE(m_ctrl.RemoveRow(-1, false));
    EXPECT_EQ(m_ctrl.RowCount(), 3);
}

TEST_F(ReportCtrlTest, PaintCellColoursOnValidAndInvalidIndexes)
{
    // 3 x 3 cells; which cells each (row, column) pair paints.
    const struct {
        int row, column;
        const char* painted; // 9 characters, row by row: 'x' painted
    } cases[] = {
        {1, 1, "....x...."},
        {0, 2, "..x......"},
        {1, -1, "...xxx..."},
        {1, 3, "...xxx..."},
        {-1, 2, "..x..x..x"},
        {3, 0, "x..x..x.."},
        {-1, -1, "xxxxxxxxx"},
        {5, 9, "xxxxxxxxx"},
    };
    const QColor red(255, 0, 0); // 0x0000FF
    const QColor blue(0, 0, 255); // 0xFF0000
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ", column " << c.column);
        CReportCtrl ctrl;
        for (int column = 0; column < 3; ++column)
            ctrl.AddColumn(column, QString());
        ctrl.InsertRows(0, {{}, {}, {}});
        QSignalSpy changes(ctrl.Model(), &QAbstractItemModel::dataChanged);

        ctrl.PaintCellText(c.row, c.column, 0x0000FF, false);
        ctrl.PaintCellBack(c.row, c.column, 0xFF0000, true);

        EXPECT_EQ(changes.count(), 2) << "one notification per call";
        for (int cell = 0; cell < 9; ++cell) {
            const QModelIndex index = ctrl.Model()->index(cell / 3, cell % 3);
            const QVariant text = index.data(Qt::ForegroundRole);
            const QVariant back = index.data(Qt::BackgroundRole);
            if (c.painted[cell] == 'x') {
                EXPECT_EQ(text.value<QBrush>().color(), red) << cell;
                EXPECT_EQ(back.value<QBrush>().color(), blue) << cell;
            } else {
                EXPECT_FALSE(text.isValid()) << cell;
                EXPECT_FALSE(back.isValid()) << cell;
            }
        }
        // -1 returns the cells to the palette's colours.
        ctrl.PaintCellBack(-1, -1, kSystemColour, false);
        EXPECT_FALSE(ctrl.Model()->index(1, 1).data(Qt::BackgroundRole).isValid());
    }

    // On a list without rows nothing happens.
    CReportCtrl empty;
    empty.AddColumn(0, QString());
    QSignalSpy changes(empty.Model(), &QAbstractItemModel::dataChanged);
    empty.PaintCellBack(-1, -1, 0xFF0000, true);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(ReportCtrlTest, StripesAndTints)
{
    Build({QStringLiteral("r0"), QStringLiteral("r1"), QStringLiteral("r2"), QStringLiteral("r3"), QStringLiteral("r4")});
    AudioFileInfo readable;
    AudioFileInfo unreadable;
    unreadable.unreadable = 1;
    m_ctrl.AttachRowData(1, &readable);
    m_ctrl.AttachRowData(2, &unreadable);
    m_ctrl.SetSortKeys({{1, 1}, {0, 0}});

    const QColor white(255, 255, 255);      // 0xFFFFFF
    const QColor stripe(243, 245, 252);     // 0xFCF5F3
    const QColor evenTint(247, 248, 253);   // 0xFDF8F7
    const QColor oddTint(235, 238, 250);    // 0xFAEEEB
    const QColor pink(255, 225, 241);       // 0xF1E1FF
    const struct {
        bool highlight;
        std::vector<std::vector<QColor>> rows;
    } cases[] = {
        {false, {{white, white, white}, {stripe, stripe, stripe}, {pink, pink, pink}, {stripe, stripe, stripe},
                 {white, white, white}}},
        {true, {{white, evenTint, white}, {stripe, oddTint, stripe}, {pink, pink, pink}, {stripe, oddTint, stripe},
                {white, evenTint, white}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.highlight);
        QSignalSpy changes(m_ctrl.Model(), &QAbstractItemModel::dataChanged);
        EXPECT_TRUE(m_ctrl.RepaintStripes(c.highlight));
        EXPECT_EQ(changes.count(), 1);
        for (int row = 0; row < 5; ++row) {
            for (int column = 0; column < 3; ++column)
                EXPECT_EQ(ColourOf(row, column, Qt::BackgroundRole), c.rows[std::size_t(row)][std::size_t(column)])
                    << row << "," << column;
        }
    }

    // Without sort keys there is no column to tint.
    m_ctrl.SetSortKeys({});
    m_ctrl.RepaintStripes(true);
    EXPECT_EQ(ColourOf(0, 1, Qt::BackgroundRole), white);
    EXPECT_EQ(ColourOf(2, 0, Qt::BackgroundRole), pink);

    // The tint follows the file, not the position: moved to row 3, still pink across.
    m_ctrl.RelocateRow(2, 3);
    m_ctrl.RepaintStripes(false);
    EXPECT_EQ(ColourOf(2, 0, Qt::BackgroundRole), white);
    EXPECT_EQ(ColourOf(3, 2, Qt::BackgroundRole), pink);

    // The palette's text colour stays on the stripes unless a dark theme's light text would be
    // unreadable there; an explicit colour always stays.
    EXPECT_FALSE(Role(1, 2, Qt::ForegroundRole).isValid());
    const QPalette saved = QGuiApplication::palette();
    QPalette dark = saved;
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    QGuiApplication::setPalette(dark);
    EXPECT_EQ(ColourOf(1, 2, Qt::ForegroundRole), QColor(Qt::black));
    m_ctrl.PaintCellText(1, 2, 0x0000FF, false);
    EXPECT_EQ(ColourOf(1, 2, Qt::ForegroundRole), QColor(255, 0, 0));
    QGuiApplication::setPalette(saved);
    m_ctrl.PaintCellText(1, 2, kSystemColour, false);

    // And the view paints what the model says: the stripe and the red text reach the screen.
    m_ctrl.PutCellText(1, 1, QStringLiteral("WWWWWWWW"));
    m_ctrl.PaintCellText(1, 1, 0x0000FF, true);
    m_ctrl.resize(400, 300);
    m_ctrl.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_ctrl));
    const QImage image = m_ctrl.viewport()->grab().toImage();
    const QRect stripeCell = m_ctrl.visualRect(m_ctrl.Model()->index(1, 2));
    EXPECT_EQ(image.pixelColor(stripeCell.center()), stripe);
    EXPECT_EQ(image.pixelColor(m_ctrl.visualRect(m_ctrl.Model()->index(3, 2)).center()), pink);
    const QRect textCell = m_ctrl.visualRect(m_ctrl.Model()->index(1, 1));
    bool redFound = false;
    for (int x = textCell.left(); x <= textCell.right() && !redFound; ++x) {
        for (int y = textCell.top(); y <= textCell.bottom() && !redFound; ++y) {
            const QColor pixel = image.pixelColor(x, y);
            redFound = pixel.red() > 200 && pixel.green() < 80 && pixel.blue() < 80;
        }
    }
    EXPECT_TRUE(redFound) << "the red text colour is painted";
}

// Sets the C library's and Qt's default locale to German for the scope: a decimal comma and a
// dot as thousands separator. Without an installed German locale, one is compiled into a
// temporary folder.
class GermanLocale {
public:
    GermanLocale() : m_qtLocale(QLocale())
    {
        m_cNumeric = std::setlocale(LC_NUMERIC, nullptr);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        m_active = Set();
        if (!m_active && m_dir.isValid()) {
            QProcess localedef;
            localedef.start(QStringLiteral("localedef"),
                            {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                             m_dir.filePath(QStringLiteral("de_DE.UTF-8"))});
            if (localedef.waitForFinished(60000) && localedef.exitCode() == 0) {
                m_oldLocPath = qgetenv("LOCPATH");
                m_hadLocPath = qEnvironmentVariableIsSet("LOCPATH");
                qputenv("LOCPATH", m_dir.path().toLocal8Bit());
                m_setLocPath = true;
                m_active = Set();
            }
        }
    }
    ~GermanLocale()
    {
        std::setlocale(LC_NUMERIC, m_cNumeric.c_str());
        QLocale::setDefault(m_qtLocale);
        if (m_setLocPath) {
            if (m_hadLocPath)
                qputenv("LOCPATH", m_oldLocPath);
            else
                qunsetenv("LOCPATH");
        }
    }
    GermanLocale(const GermanLocale&) = delete;
    GermanLocale& operator=(const GermanLocale&) = delete;

    // True when the C library formats numbers the German way.
    bool CActive() const { return m_active; }

private:
    static bool Set()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
            if (std::setlocale(LC_NUMERIC, name))
                return true;
        }
        return false;
    }

    QLocale m_qtLocale;
    std::string m_cNumeric;
    QTemporaryDir m_dir;
    QByteArray m_oldLocPath;
    bool m_hadLocPath = false;
    bool m_setLocPath = false;
    bool m_active = false;
};

TEST_F(ReportCtrlTest, PutCellNumberIgnoresTheUserLocale)
{
    Build({QStringLiteral("row")});
    const GermanLocale german;
    if (german.CActive()) {
        // The fixture really switches printf to a decimal comma.
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.2f", 1.5);
        ASSERT_STREQ(buffer, "1,50");
    }
    ASSERT_EQ(QLocale().toString(1.5, 'f', 2), QStringLiteral("1,50"));

    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {12.5, -1, "12.5"},     {3.0, -1, "3"},       {100.0, -1, "100"},     {0.0, -1, "0"},
        {0.1234567, -1, "0.123457"}, {-2.25, -1, "-2.25"}, {1234567.0, -1, "1234567"},
        {1.5, 2, "1.50"},       {1234.567, 2, "1234.57"}, {3.0, 3, "3.000"}, {10.0, -5, "10"},
        // Exact ties round to even, as printf does.
        {2.5, 0, "2"},          {1.125, 2, "1.12"},    {0.375, 2, "0.38"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " with " << c.decimals);
        EXPECT_TRUE(m_ctrl.PutCellNumber(0, 1, c.value, c.decimals));
        EXPECT_EQ(m_ctrl.CellText(0, 1).toStdString(), c.text);
    }
    EXPECT_FALSE(m_ctrl.PutCellNumber(1, 0, 1.0, 2));
    EXPECT_FALSE(m_ctrl.PutCellNumber(0, 3, 1.0, 2));
    if (!german.CActive())
        GTEST_SKIP() << "no German C locale (localedef failed): only Qt's default locale was German";
}

TEST_F(ReportCtrlTest, ColumnsAndCellsWithInvalidIndexes)
{
    EXPECT_EQ(m_ctrl.InsertRow(0, QStringLiteral("no columns")), -1);
    EXPECT_EQ(m_ctrl.AddColumn(0, QStringLiteral("Name"), Qt::AlignLeft, 120), 0);
    EXPECT_EQ(m_ctrl.AddColumn(5, QStringLiteral("Size"), Qt::AlignRight), 1) << "appended";
    EXPECT_EQ(m_ctrl.AddColumn(-1, QStringLiteral("Bad")), -1);
    ASSERT_EQ(m_ctrl.ColumnCount(), 2);
    EXPECT_EQ(m_ctrl.header()->sectionSize(0), 120);
    const ColumnRecord name = m_ctrl.ColumnRecordAt(0).value();
    EXPECT_TRUE(name.shown);
    EXPECT_EQ(name.width, 120);
    EXPECT_EQ(name.restorePosition, -1);
    EXPECT_EQ(m_ctrl.ColumnRecordAt(1).value().width, 0);
    EXPECT_FALSE(m_ctrl.ColumnRecordAt(2).has_value());
    EXPECT_FALSE(m_ctrl.IsColumnShown(-1));
    EXPECT_EQ(Role(0, 1, Qt::TextAlignmentRole), QVariant());
    EXPECT_EQ(m_ctrl.Model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignRight | Qt::AlignVCenter));

    // Rows: out-of-range indexes append.
    EXPECT_EQ(m_ctrl.InsertRow(-3, QStringLiteral("b")), 0);
    EXPECT_EQ(m_ctrl.InsertRow(0, QStringLiteral("a"), 2), 0);
    EXPECT_EQ(m_ctrl.InsertRow(99, QStringLiteral("c")), 2);
    EXPECT_EQ(Column0(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(m_ctrl.CellImage(0, 0), 2);
    EXPECT_EQ(m_ctrl.CellImage(1, 0), -1);
    EXPECT_EQ(m_ctrl.CellImage(3, 0), -1);
    EXPECT_EQ(Role(1, 1, Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));

    EXPECT_FALSE(m_ctrl.PutCellText(3, 0, QStringLiteral("x")));
    EXPECT_FALSE(m_ctrl.PutCellText(0, 2, QStringLiteral("x")));
    EXPECT_FALSE(m_ctrl.PutCellImage(0, -1, 1));
    EXPECT_EQ(m_ctrl.CellText(-1, 0), QString());
    AudioFileInfo info;
    m_ctrl.AttachRowData(3, &info);
    EXPECT_EQ(m_ctrl.RowData(3), nullptr);
    EXPECT_EQ(m_ctrl.RowData(-1), nullptr);

    // A column inserted in the middle gives every row a plain cell there and shifts the rest.
    m_ctrl.PutCellText(2, 1, QStringLiteral("size"));
    m_ctrl.PaintCellBack(-1, 1, 0x00FF00, false);
    EXPECT_EQ(m_ctrl.AddColumn(1, QStringLiteral("Path")), 1);
    EXPECT_EQ(m_ctrl.ColumnRecords().size(), 3);
    EXPECT_EQ(m_ctrl.CellText(2, 2), QStringLiteral("size"));
    EXPECT_EQ(m_ctrl.CellText(2, 1), QString());
    EXPECT_EQ(m_ctrl.CellImage(0, 0), 2);
    EXPECT_EQ(m_ctrl.CellImage(0, 1), -1);
    for (int row = 0; row < 3; ++row) {
        EXPECT_FALSE(Role(row, 1, Qt::BackgroundRole).isValid()) << row;
        EXPECT_EQ(ColourOf(row, 2, Qt::BackgroundRole), QColor(0, 255, 0)) << row;
    }

    // A selected row stays selected when a column is inserted in front of the others.
    ASSERT_TRUE(m_ctrl.ApplyRowStateFlags(1, RS_SELECTED));
    EXPECT_EQ(m_ctrl.AddColumn(0, QStringLiteral("First")), 0);
    EXPECT_EQ(RowsWith(RS_SELECTED), (std::vector<int>{1}));
}

QIcon SolidIcon(const QColor& colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

TEST_F(ReportCtrlTest, HeaderImagesAndClicks)
{
    Build({QStringLiteral("a")});
    const QColor green(0, 200, 0);
    m_ctrl.SetSmallImages({SolidIcon(Qt::white), SolidIcon(green)});

    // Without images of its own the header takes the small images.
    EXPECT_TRUE(m_ctrl.SetHeaderIcon(0, 1, false));
    EXPECT_TRUE(m_ctrl.SetHeaderIcon(2, 1, true));
    EXPECT_FALSE(m_ctrl.SetHeaderIcon(3, 1, true));
    QAbstractItemModel* model = m_ctrl.Model();
    EXPECT_FALSE(model->headerData(0, Qt::Horizontal, Qt::DecorationRole).isValid());
    EXPECT_FALSE(model->headerData(0, Qt::Horizontal, ReportModel::HeaderIconRightRole).value<QIcon>().isNull());
    EXPECT_FALSE(model->headerData(2, Qt::Horizontal, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_FALSE(model->headerData(1, Qt::Horizontal, Qt::DecorationRole).isValid());

    m_ctrl.header()->resizeSection(0, 120);
    m_ctrl.header()->resizeSection(2, 120);
    m_ctrl.resize(500, 200);
    m_ctrl.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_ctrl));
    QHeaderView* header = m_ctrl.header();

    // The right-hand image is painted at the right end of its section, the left-hand one at the
    // left end.
    const QImage image = header->viewport()->grab().toImage();
    const auto greenIn = [&](int section, int from, int to) {
        const int left = header->sectionViewportPosition(section);
        for (int x = left + from; x < left + to; ++x) {
            if (image.pixelColor(x, image.height() / 2) == green)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(greenIn(0, 90, 120));
    EXPECT_FALSE(greenIn(0, 0, 60));
    EXPECT_TRUE(greenIn(2, 0, 30));
    EXPECT_FALSE(greenIn(2, 60, 120));

    // Clicks reach the owner only while the header is clickable.
    QSignalSpy clicks(&m_ctrl, &CReportCtrl::columnClicked);
    const QPoint inSection1(header->sectionViewportPosition(1) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inSection1);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_TRUE(m_ctrl.SetHeaderClickable(true));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inSection1);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 1);
    m_ctrl.setHeaderHidden(true);
    EXPECT_FALSE(m_ctrl.SetHeaderClickable(true));
}

TEST_F(ReportCtrlTest, ModelStaysConsistentThroughInsertsMovesAndRemovals)
{
    QAbstractItemModelTester tester(m_ctrl.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    Build({QStringLiteral("a"), QStringLiteral("b")});
    m_ctrl.SetSmallImages({SolidIcon(Qt::red)});
    m_ctrl.SetListExStyle(LES_CHECKBOXES | LES_HEADERDRAGDROP);

    QList<QStringList> batch;
    for (int i = 0; i < 50; ++i)
        batch.append({QStringLiteral("n%1").arg(i), QStringLiteral("p%1").arg(i), QStringLiteral("t"), QStringLiteral("extra")});
    EXPECT_EQ(m_ctrl.InsertRows(1, batch), 1);
    EXPECT_EQ(m_ctrl.InsertRows(0, {}), -1);
    EXPECT_EQ(m_ctrl.RowCount(), 52);
    EXPECT_EQ(m_ctrl.CellText(1, 1), QStringLiteral("p0"));
    EXPECT_EQ(m_ctrl.CellText(51, 0), QStringLiteral("b"));
    m_ctrl.InsertRow(10, QStringLiteral("mid"), 0);
    m_ctrl.AddColumn(1, QStringLiteral("inserted"));

    // A row that stays put shifts with the rows moved across it.
    const QPersistentModelIndex tracked = m_ctrl.Model()->index(20, 0);
    m_ctrl.RelocateRow(10, 40);
    EXPECT_EQ(tracked.row(), 19);
    m_ctrl.RowToTop(40);
    EXPECT_EQ(tracked.row(), 20);
    m_ctrl.RowToBottom(5);
    m_ctrl.ShiftRow(20, -3);
    EXPECT_EQ(m_ctrl.CellText(0, 0), QStringLiteral("mid"));

    m_ctrl.ApplyToMatchingRows(RS_ANY, RS_CHECKED);
    m_ctrl.InvertRows(INVERT_CHECKS);
    for (int row = 0; row < m_ctrl.RowCount(); row += 3)
        m_ctrl.ApplyRowStateFlags(row, RS_SELECTED);
    m_ctrl.RepaintStripes(true);
    m_ctrl.PaintCellText(-1, 0, 0x0000FF, true);
    m_ctrl.SetHeaderIcon(0, 0, false);
    EXPECT_EQ(m_ctrl.RemoveRowsMatching(RS_SELECTED), 18);
    EXPECT_TRUE(m_ctrl.RemoveRow(0, true));
    EXPECT_EQ(m_ctrl.RemoveRowsMatching(RS_ANY), 34);
    EXPECT_FALSE(tracked.isValid());
    m_ctrl.InsertRow(0, QStringLiteral("again"));
    EXPECT_EQ(m_ctrl.RowCount(), 1);
}

TEST_F(ReportCtrlTest, FitColumnAndSortKeys)
{
    Build({QStringLiteral("a fairly long name that needs room"), QStringLiteral("b")});
    m_ctrl.header()->resizeSection(0, 20);
    EXPECT_TRUE(m_ctrl.FitColumn(0, false));
    EXPECT_GT(m_ctrl.header()->sectionSize(0), 100);
    m_ctrl.header()->hideSection(2);
    EXPECT_TRUE(m_ctrl.FitColumn(-1, true));
    EXPECT_TRUE(m_ctrl.header()->isSectionHidden(2));
    EXPECT_FALSE(m_ctrl.FitColumn(3, false));
    EXPECT_FALSE(m_ctrl.FitColumn(-2, false));

    // At most six keys and no column twice.
    m_ctrl.SetSortKeys({{3, 1}, {3, 0}, {1, 0}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}});
    QList<int> columns;
    for (const ColumnSortInfo& key : m_ctrl.SortKeys())
        columns << key.column;
    EXPECT_EQ(columns, (QList<int>{3, 1, 4, 5, 6, 7}));
    EXPECT_EQ(m_ctrl.SortKeys().front().ascending, 1);
}

} // namespace
