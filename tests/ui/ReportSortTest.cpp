// CReportCtrl sorting: the order of each kind of column, the sort keys a header click leaves,
// secondary keys in the primary key's direction, the sorted notice, and rows keeping their
// record, texts, colours, images, marks, selection and focus through a sort.

#include "FileListHeadings.h"
#include "reportctrl/ReportCtrl.h"
#include "reportctrl/ReportSort.h"

#include "filelist/AudioFileInfo.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

const QStringList kHeadings = FileListHeadings();

// The file list's 18 columns; each row has a label in column 0 and, when given, a record.
class ReportSortTest : public ::testing::Test {
protected:
    ReportSortTest()
    {
        for (int c = 0; c < kHeadings.size(); ++c)
            m_ctrl.AddColumn(c, kHeadings.at(c), Qt::AlignLeft, 60);
        m_ctrl.SetHeaderClickable(true);
        m_ctrl.SetSortKeys({{0, 1}});
    }

    int AddRow(const QString& label, int column, const QString& text, const AudioFileInfo* info = nullptr)
    {
        const int row = m_ctrl.InsertRow(m_ctrl.RowCount(), label);
        m_ctrl.PutCellText(row, column, text);
        if (info) {
            m_infos.push_back(*info);
            m_ctrl.AttachRowData(row, &m_infos.back());
        }
        return row;
    }

    // The labels in row order, joined by spaces (readable in failure messages).
    std::string Labels() const
    {
        QStringList labels;
        for (int row = 0; row < m_ctrl.RowCount(); ++row)
            labels << m_ctrl.CellText(row, 0);
        return labels.join(u' ').toStdString();
    }

    void Sort(const QList<ColumnSortInfo>& keys)
    {
        m_ctrl.SetSortKeys(keys);
        m_ctrl.SortRows(0, m_ctrl.RowCount() - 1, false);
    }

    CReportCtrl m_ctrl;
    std::deque<AudioFileInfo> m_infos; // stable addresses
};

AudioFileInfo Track(int number, int total)
{
    AudioFileInfo info;
    info.trackNumber = std::uint8_t(number);
    info.trackTotal = std::uint8_t(total);
    return info;
}

TEST_F(ReportSortTest, EachColumnSortsByItsOwnRule)
{
    struct Cell {
        QString text;
        AudioFileInfo info;
    };
    const auto sized = [](double mb) { AudioFileInfo i; i.sizeMB = mb; return i; };
    const auto rate = [](unsigned hz) { AudioFileInfo i; i.sampleRate = hz; return i; };
    const auto channels = [](unsigned n) { AudioFileInfo i; i.channels = n; return i; };
    const auto kbps = [](int n) { AudioFileInfo i; i.bitrateKbps = n; return i; };
    const auto seconds = [](double s) { AudioFileInfo i; i.durationSeconds = s; return i; };
    const AudioFileInfo none;
    // The texts of the numeric columns are chosen so that a text order would differ.
    const struct {
        const char* what;
        int column;
        bool ascending;
        std::vector<Cell> cells; // row i is labelled "i"
        const char* expected;    // labels in sorted order
    } cases[] = {
        {"track number, total breaks ties", 7, true,
         {{"10/12", Track(10, 12)}, {"2/12", Track(2, 12)}, {"2/3", Track(2, 3)}, {"1", Track(1, 0)}},
         "3 2 1 0"},
        {"track descending", 7, false,
         {{"10/12", Track(10, 12)}, {"2/12", Track(2, 12)}, {"2/3", Track(2, 3)}, {"1", Track(1, 0)}},
         "0 1 2 3"},
        {"size", 12, true, {{"10.5", sized(10.5)}, {"9.25", sized(9.25)}, {"100", sized(100)}}, "1 0 2"},
        {"frequency", 15, true, {{"44100", rate(44100)}, {"8000", rate(8000)}, {"22050", rate(22050)}},
         "1 2 0"},
        {"channel", 16, true, {{"10", channels(10)}, {"2", channels(2)}, {"1", channels(1)}}, "2 1 0"},
        {"bitrate", 17, true, {{"96", kbps(96)}, {"320", kbps(320)}, {"128", kbps(128)}}, "0 2 1"},
        {"duration by text", 14, true, {{"9:59", seconds(599)}, {"10:00", seconds(600)}, {"1:00:00", seconds(3600)}},
         "1 2 0"},
        {"last modified by text", 13, true, {{"9/1/2024", none}, {"10/1/2024", none}, {"1/2/2025", none}},
         "2 1 0"},
        {"capitals before small letters", 4, true,
         {{"beta", none}, {"Zeta", none}, {"alpha", none}, {"Alpha", none}}, "3 1 2 0"},
        {"shorter prefix first", 8, true, {{"Abc", none}, {"Ab", none}, {"Abcd", none}, {"A", none}},
         "3 1 0 2"},
        {"UTF-8 byte order beyond ASCII", 8, true,
         {{QString::fromUtf8("\U0001F600"), none}, {QString::fromUtf8("\uFF21"), none},
          {QString::fromUtf8("\u00E9"), none}, {"z", none}},
         "3 2 1 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_ctrl.RemoveRowsMatching(RS_ANY);
        m_infos.clear();
        for (std::size_t i = 0; i < c.cells.size(); ++i)
            AddRow(QString::number(i), c.column, c.cells[i].text, &c.cells[i].info);
        Sort({{c.column, c.ascending ? 1 : 0}});
        EXPECT_EQ(Labels(), c.expected);
    }
}

TEST(ReportSortCompare, RowsWithoutRecordComeFirstInNumericColumns)
{
    AudioFileInfo info;
    info.sampleRate = 8000;
    RowRecord with{&info, std::vector<ReportCell>(18), {}, false};
    RowRecord without{nullptr, std::vector<ReportCell>(18), {}, false};
    EXPECT_EQ(CompareRowsByColumn(without, with, 15), -1);
    EXPECT_EQ(CompareRowsByColumn(with, without, 15), 1);
    EXPECT_EQ(CompareRowsByColumn(without, without, 15), 0);
}

TEST_F(ReportSortTest, HeaderClicksKeepUpToSixKeys)
{
    for (int i = 0; i < 3; ++i)
        AddRow(QString::number(i), 4, QString::number(i));
    using Keys = QList<ColumnSortInfo>;
    const auto toString = [](const Keys& keys) {
        std::string s;
        for (const ColumnSortInfo& k : keys)
            s += std::to_string(k.column) + (k.ascending ? "+ " : "- ");
        return s;
    };
    const struct {
        int click;
        Keys expected;
    } steps[] = {
        {4, {{4, 1}, {0, 1}}},                            // a new column starts ascending
        {4, {{4, 0}, {0, 1}}},                            // the primary column reverses
        {6, {{6, 1}, {4, 0}, {0, 1}}},
        {6, {{6, 0}, {4, 0}, {0, 1}}},
        {4, {{4, 0}, {6, 0}, {0, 1}}},                    // a remembered column keeps its direction
        {8, {{8, 1}, {4, 0}, {6, 0}, {0, 1}}},
        {9, {{9, 1}, {8, 1}, {4, 0}, {6, 0}, {0, 1}}},
        {10, {{10, 1}, {9, 1}, {8, 1}, {4, 0}, {6, 0}, {0, 1}}},
        {11, {{11, 1}, {10, 1}, {9, 1}, {8, 1}, {4, 0}, {6, 0}}}, // seventh column: 0 dropped
        {0, {{0, 1}, {11, 1}, {10, 1}, {9, 1}, {8, 1}, {4, 0}}},  // forgotten: new again
    };
    for (const auto& step : steps) {
        m_ctrl.ClickColumn(step.click);
        EXPECT_EQ(toString(m_ctrl.SortKeys()), toString(step.expected)) << "after clicking " << step.click;
    }

    // A real click on the header sorts by the clicked column and reports it, after returning.
    m_ctrl.resize(800, 300);
    m_ctrl.show();
    QHeaderView* header = m_ctrl.header();
    QCoreApplication::processEvents(); // deliver the notices of the clicks above
    QSignalSpy sorted(&m_ctrl, &CReportCtrl::sorted);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(4) + 5, header->height() / 2));
    EXPECT_EQ(m_ctrl.SortKeys().front().column, 4);
    EXPECT_EQ(m_ctrl.SortKeys().front().ascending, 0); // its remembered direction
    EXPECT_EQ(Labels(), "2 1 0");
    EXPECT_EQ(header->sortIndicatorSection(), 4);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(sorted.count(), 0);
    ASSERT_TRUE(sorted.wait(1000));
    EXPECT_EQ(sorted.at(0).at(0).toInt(), 4);
    EXPECT_FALSE(sorted.at(0).at(1).toBool());
}

TEST_F(ReportSortTest, SecondaryKeysFollowThePrimaryDirection)
{
    const char* rows[][2] = {{"A", "x"}, {"B", "y"}, {"A", "y"}, {"B", "x"}};
    for (const auto& r : rows) {
        const int row = AddRow(QStringLiteral("%1%2").arg(QLatin1String(r[0]), QLatin1String(r[1])), 4,
                               QLatin1String(r[0]));
        m_ctrl.PutCellText(row, 6, QLatin1String(r[1]));
    }
    const struct {
        QList<ColumnSortInfo> keys;
        const char* expected;
    } cases[] = {
        {{{4, 0}, {6, 1}}, "By Bx Ay Ax"},
        {{{4, 1}, {6, 0}}, "Ax Ay Bx By"},
        {{{6, 1}, {4, 0}}, "Ax Bx Ay By"},
    };
    for (const auto& c : cases) {
        Sort(c.keys);
        EXPECT_EQ(Labels(), c.expected) << c.keys.front().column;
    }
}

TEST_F(ReportSortTest, EmptyListAndSingleRowStillReportTheSort)
{
    AudioFileInfo info;
    for (int rows = 0; rows < 2; ++rows) {
        SCOPED_TRACE(rows);
        if (rows == 1)
            AddRow(QStringLiteral("only"), 4, QStringLiteral("x"), &info);
        m_ctrl.SetSortKeys({{4, 0}});
        bool busyWhileRepainting = false;
        const QMetaObject::Connection watch = QObject::connect(
            m_ctrl.Model(), &QAbstractItemModel::dataChanged, [&] { busyWhileRepainting = g_listBusy; });
        QSignalSpy sorted(&m_ctrl, &CReportCtrl::sorted);
        EXPECT_TRUE(m_ctrl.SortRows(0, m_ctrl.RowCount() - 1, true));
        QObject::disconnect(watch);
        EXPECT_FALSE(g_listBusy);
        EXPECT_EQ(busyWhileRepainting, rows == 1); // an empty list has nothing to repaint
        EXPECT_EQ(sorted.count(), 0);             // queued
        ASSERT_TRUE(sorted.wait(1000));
        EXPECT_EQ(sorted.at(0).at(0).toInt(), 4);
        EXPECT_FALSE(sorted.at(0).at(1).toBool());
        EXPECT_EQ(m_ctrl.header()->sortIndicatorSection(), 4);
        EXPECT_EQ(m_ctrl.header()->sortIndicatorOrder(), Qt::DescendingOrder);
    }
}

TEST_F(ReportSortTest, RowsKeepTheirRecordTextsColoursMarksSelectionAndFocus)
{
    QAbstractItemModelTester tester(m_ctrl.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    m_ctrl.SetListExStyle(LES_CHECKBOXES);
    const QStringList artists = {"d", "b", "e", "a", "c"};
    for (int i = 0; i < artists.size(); ++i) {
        AudioFileInfo info;
        info.artist = artists.at(i);
        const int row = AddRow(artists.at(i), 4, artists.at(i), &info);
        m_ctrl.PutCellText(row, 8, QStringLiteral("title ") + artists.at(i));
        m_ctrl.PaintCellText(row, 8, 0x000010u * std::uint32_t(i + 1), false);
        m_ctrl.PutCellImage(row, 2, i);
    }
    // Marks on b and c, selection on d, a and c (rows 0, 3, 4), focus on e.
    m_ctrl.ApplyRowStateFlags(1, RS_CHECKED);
    m_ctrl.ApplyRowStateFlags(4, RS_CHECKED);
    for (int row : {0, 3, 4})
        m_ctrl.ApplyRowStateFlags(row, RS_SELECTED);
    m_ctrl.ApplyRowStateFlags(2, RS_FOCUSED);

    Sort({{4, 1}});
    ASSERT_EQ(Labels(), "a b c d e");
    for (int row = 0; row < m_ctrl.RowCount(); ++row) {
        const QString label = m_ctrl.CellText(row, 0);
        SCOPED_TRACE(label.toStdString());
        const int original = int(artists.indexOf(label));
        ASSERT_NE(m_ctrl.RowData(row), nullptr);
        EXPECT_EQ(m_ctrl.RowData(row)->artist, label);
        EXPECT_EQ(m_ctrl.CellText(row, 8), QStringLiteral("title ") + label);
        EXPECT_EQ(m_ctrl.CellImage(row, 2), original);
        EXPECT_EQ(m_ctrl.Model()->Row(row)->cells[8].textColour, 0x000010u * std::uint32_t(original + 1));
        const int flags = m_ctrl.RowStateFlags(row);
        EXPECT_EQ((flags & RS_CHECKED) != 0, label == "b" || label == "c");
        EXPECT_EQ((flags & RS_SELECTED) != 0, label == "a" || label == "c" || label == "d");
        EXPECT_EQ((flags & RS_FOCUSED) != 0, label == "e");
    }
    EXPECT_EQ(m_ctrl.CountMatchingRows(RS_SELECTED), 3);
}

// Ten thousand rows with half of them selected: sorted by a text and by a numeric column, the
// order is right and the selection still covers the same rows. Timings are in the bench.
TEST_F(ReportSortTest, LargeListSortsWithItsSelection)
{
    constexpr int kRows = 10000;
    QList<QStringList> texts;
    for (int i = 0; i < kRows; ++i) {
        QStringList row(18);
        row[0] = QString::number(i);
        row[8] = QStringLiteral("Title %1").arg((i * 7919) % kRows);
        texts << row;
    }
    m_ctrl.InsertRows(0, texts);
    for (int i = 0; i < kRows; ++i) {
        AudioFileInfo info;
        info.sampleRate = std::uint32_t((i * 104729) % 50000);
        m_infos.push_back(info);
        m_ctrl.AttachRowData(i, &m_infos.back());
        if (i % 2 == 0)
            m_ctrl.ApplyRowStateFlags(i, RS_SELECTED);
    }
    for (const int column : {8, 15}) {
        SCOPED_TRACE(column);
        Sort({{column, 1}});
        for (int row = 1; row < kRows; ++row) {
            const RowRecord& before = *m_ctrl.Model()->Row(row - 1);
            const RowRecord& here = *m_ctrl.Model()->Row(row);
            ASSERT_LE(CompareRowsByColumn(before, here, column), 0) << row;
        }
        int selectedEven = 0;
        for (int row = 0; row < kRows; ++row) {
            const bool even = m_ctrl.CellText(row, 0).toInt() % 2 == 0;
            const bool selected = (m_ctrl.RowStateFlags(row) & RS_SELECTED) != 0;
            ASSERT_EQ(selected, even) << row;
            selectedEven += selected ? 1 : 0;
        }
        EXPECT_EQ(selectedEven, kRows / 2);
    }
}

} // namespace
