// Report list with a large list: wall times of inserting 10 000 rows of 18 cells (in one batch,
// and row by row with a text per cell as a loader might), striping, a forced repaint, state
// operations and removals, and the memory one row takes (resident set before and after).

#include "filelist/AudioFileInfo.h"
#include "reportctrl/ReportCtrl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>

#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRows = 10000;
constexpr int kColumns = 18;

long ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * sysconf(_SC_PAGESIZE) : 0;
}

QString CellTextFor(int row, int column)
{
    switch (column) {
    case 0:
        return QStringLiteral("%1 - Track title number %2.ogg").arg(row % 97).arg(row);
    case 1:
        return QStringLiteral("/home/user/Music/Artist %1/Album %2/").arg(row % 50).arg(row % 13);
    default:
        return QStringLiteral("cell %1.%2").arg(row).arg(column);
    }
}

template <typename Work>
double Time(const char* what, Work work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%-58s %9.1f ms\n", what, ms);
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    CReportCtrl ctrl;
    for (int c = 0; c < kColumns; ++c)
        ctrl.AddColumn(c, QStringLiteral("Column %1").arg(c), c % 3 == 2 ? Qt::AlignRight : Qt::AlignLeft, 90);
    ctrl.SetSortKeys({{0, 1}});
    ctrl.resize(1280, 800);
    ctrl.show();
    QCoreApplication::processEvents();
    ctrl.viewport()->repaint();

    std::printf("Report list: %d rows x %d columns, platform %s\n\n", kRows, kColumns,
                qPrintable(QGuiApplication::platformName()));

    // Batch insert; the texts are built first, so that the time is the control's alone. The
    // resident set is read before the texts exist and after their list is gone, so that the
    // per-row figure includes the strings the cells hold.
    const long before = ResidentBytes();
    {
        QList<QStringList> rows;
        rows.reserve(kRows);
        for (int r = 0; r < kRows; ++r) {
            QStringList texts;
            texts.reserve(kColumns);
            for (int c = 0; c < kColumns; ++c)
                texts << CellTextFor(r, c);
            rows.append(texts);
        }
        Time("insert 10000 rows x 18 cells (InsertRows, one batch)", [&] { ctrl.InsertRows(0, rows); });
    }
    const long after = ResidentBytes();

    Time("RepaintStripes(true)", [&] { ctrl.RepaintStripes(true); });
    Time("forced repaint (viewport()->repaint(), lays out 10000 rows)", [&] { ctrl.viewport()->repaint(); });
    Time("scroll to the end and repaint", [&] {
        ctrl.verticalScrollBar()->setValue(ctrl.verticalScrollBar()->maximum());
        ctrl.viewport()->repaint();
    });

    // State operations.
    Time("ApplyToMatchingRows(RS_ANY, RS_SELECTED) (Select All)", [&] { ctrl.ApplyToMatchingRows(RS_ANY, RS_SELECTED); });
    Time("InvertRows(selection)", [&] { ctrl.InvertRows(INVERT_SELECTION); });
    Time("one selected row: Move Up / Move to Top / Move to Bottom x100", [&] {
        ctrl.ApplyRowStateFlags(5000, RS_SELECTED | RS_FOCUSED);
        for (int i = 0; i < 100; ++i) {
            ctrl.ShiftRow(ctrl.NextMatchingRow(RS_SELECTED, -1), -1);
            ctrl.RowToTop(ctrl.NextMatchingRow(RS_SELECTED, -1));
            ctrl.RowToBottom(ctrl.NextMatchingRow(RS_SELECTED, -1));
            ctrl.RepaintStripes(true);
        }
        ctrl.ApplyToMatchingRows(RS_ANY, RS_UNSELECTED);
    });
    Time("all but one row selected: Move Down x100", [&] {
        ctrl.ApplyToMatchingRows(RS_ANY, RS_SELECTED);
        ctrl.ApplyRowStateFlags(3, RS_UNSELECTED);
        for (int i = 0; i < 100; ++i)
            ctrl.ShiftRow(ctrl.NextMatchingRow(RS_SELECTED, -1), 1);
        ctrl.ApplyToMatchingRows(RS_ANY, RS_UNSELECTED);
    });
    Time("select every other row one by one (5000 ranges)", [&] {
        for (int r = 0; r < kRows; r += 2)
            ctrl.ApplyRowStateFlags(r, RS_SELECTED);
    });
    int count = 0;
    Time("CountMatchingRows(RS_SELECTED)", [&] { count = ctrl.CountMatchingRows(RS_SELECTED); });
    Time("walk the selected rows with NextMatchingRow", [&] {
        for (int r = ctrl.NextMatchingRow(RS_SELECTED, -1); r != -1; r = ctrl.NextMatchingRow(RS_SELECTED, r))
            ;
    });
    Time("5000 ranges selected: RowToTop + RowToBottom x10", [&] {
        for (int i = 0; i < 10; ++i) {
            ctrl.RowToTop(kRows - 1);
            ctrl.RowToBottom(0);
        }
    });
    Time("RemoveRowsMatching(RS_SELECTED) (every other row)", [&] { ctrl.RemoveRowsMatching(RS_SELECTED); });
    Time("RemoveRowsMatching(RS_ANY) (the other 5000)", [&] { ctrl.RemoveRowsMatching(RS_ANY); });

    // Row by row, a text per cell, each with its own notification.
    const auto insertRowByRow = [&] {
        for (int r = 0; r < kRows; ++r) {
            const int row = ctrl.InsertRow(r, CellTextFor(r, 0));
            for (int c = 1; c < kColumns; ++c)
                ctrl.PutCellText(row, c, CellTextFor(r, c));
        }
    };
    Time("insert 10000 rows row by row (InsertRow + 17 PutCellText)", insertRowByRow);
    Time("RepaintStripes(false) + forced repaint", [&] {
        ctrl.RepaintStripes(false);
        ctrl.viewport()->repaint();
    });
    Time("Select All, then remove the first selected row until none", [&] {
        ctrl.ApplyToMatchingRows(RS_ANY, RS_SELECTED);
        for (int r = ctrl.NextMatchingRow(RS_SELECTED, -1); r != -1; r = ctrl.NextMatchingRow(RS_SELECTED, -1))
            ctrl.RemoveRow(r, false);
    });
    insertRowByRow();
    QCoreApplication::processEvents();
    Time("RemoveRowsMatching(RS_ANY)", [&] { ctrl.RemoveRowsMatching(RS_ANY); });

    // Sorting 10000 rows with a record each, a quarter of them selected: by a text column (Title,
    // the texts of CellTextFor shuffled) and by a numeric column (Frequency, read from the records).
    {
        QList<QStringList> rows;
        for (int r = 0; r < kRows; ++r) {
            QStringList texts;
            for (int c = 0; c < kColumns; ++c)
                texts << CellTextFor((r * 7919) % kRows, c);
            rows.append(texts);
        }
        ctrl.InsertRows(0, rows);
    }
    std::vector<AudioFileInfo> infos(kRows);
    for (int r = 0; r < kRows; ++r) {
        infos[std::size_t(r)].sampleRate = std::uint32_t((r * 104729) % 96000);
        ctrl.AttachRowData(r, &infos[std::size_t(r)]);
        if (r % 4 == 0)
            ctrl.ApplyRowStateFlags(r, RS_SELECTED);
    }
    QCoreApplication::processEvents();
    Time("SortRows by a text column (8, Title), 10000 rows", [&] {
        ctrl.SetSortKeys({{8, 1}, {0, 1}});
        ctrl.SortRows(0, kRows - 1, true);
    });
    Time("SortRows by a numeric column (15, Frequency), 10000 rows", [&] {
        ctrl.SetSortKeys({{15, 0}, {8, 1}});
        ctrl.SortRows(0, kRows - 1, true);
    });
    Time("SortRows by the text column again (from the numeric order)", [&] {
        ctrl.SetSortKeys({{0, 1}});
        ctrl.SortRows(0, kRows - 1, true);
    });
    QCoreApplication::processEvents();
    ctrl.RemoveRowsMatching(RS_ANY);

    std::printf("\nselected rows counted: %d\n", count);
    std::printf("resident set: %.1f MiB before, %.1f MiB with the rows: %.0f bytes per row (texts included)\n",
                double(before) / 1048576.0, double(after) / 1048576.0, double(after - before) / kRows);
    std::printf("sizeof(RowRecord) %zu, sizeof(ReportCell) %zu\n", sizeof(RowRecord), sizeof(ReportCell));
    return 0;
}
