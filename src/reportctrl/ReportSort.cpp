#include "ReportSort.h"

#include "ReportModel.h"
#include "filelist/AudioFileInfo.h"
#include "filelist/FileListColumns.h"

#include <algorithm>
#include <utility>

std::atomic<bool> g_listBusy{false};

namespace {

int CompareNumbers(double a, double b)
{
    if (a < b)
        return -1;
    if (a > b)
        return 1;
    return 0;
}

// A UTF-16 code unit's rank in code-point order: surrogates (which stand for code points above
// U+FFFF) rank above U+E000..U+FFFF; everything below U+D800 keeps its value.
unsigned CodePointRank(char16_t unit)
{
    if (unit < 0xD800)
        return unit;
    return unit < 0xE000 ? unsigned(unit) + 0x2000 : unsigned(unit) - 0x800;
}

const QString& TextOf(const RowRecord& row, int column)
{
    static const QString empty;
    return column >= 0 && std::size_t(column) < row.cells.size() ? row.cells[std::size_t(column)].text : empty;
}

} // namespace

int CompareTexts(const QString& a, const QString& b)
{
    const qsizetype common = std::min(a.size(), b.size());
    const char16_t* pa = reinterpret_cast<const char16_t*>(a.utf16());
    const char16_t* pb = reinterpret_cast<const char16_t*>(b.utf16());
    for (qsizetype i = 0; i < common; ++i) {
        if (pa[i] != pb[i])
            return CodePointRank(pa[i]) < CodePointRank(pb[i]) ? -1 : 1;
    }
    return CompareNumbers(double(a.size()), double(b.size()));
}

int CompareRowsByColumn(const RowRecord& a, const RowRecord& b, int column)
{
    const FileListSortKey key = column >= 0 && column < FLC_COUNT ? FileListColumns()[std::size_t(column)].sortKey
                                                                  : FileListSortKey::Text;
    if (key == FileListSortKey::Text)
        return CompareTexts(TextOf(a, column), TextOf(b, column));
    if (!a.data || !b.data) {
        if (a.data || b.data)
            return a.data ? 1 : -1;
        return CompareTexts(TextOf(a, column), TextOf(b, column));
    }
    const AudioFileInfo& x = *a.data;
    const AudioFileInfo& y = *b.data;
    switch (key) {
    case FileListSortKey::Track:
        if (const int result = CompareNumbers(x.trackNumber, y.trackNumber); result != 0)
            return result;
        return CompareNumbers(x.trackTotal, y.trackTotal);
    case FileListSortKey::SizeMB:
        return CompareNumbers(x.sizeMB, y.sizeMB);
    case FileListSortKey::SampleRate:
        return CompareNumbers(x.sampleRate, y.sampleRate);
    case FileListSortKey::Channels:
        return CompareNumbers(x.channels, y.channels);
    default: // FileListSortKey::BitrateKbps
        return CompareNumbers(x.bitrateKbps, y.bitrateKbps);
    }
}

int CompareRows(const RowRecord& a, const RowRecord& b, int column, int depth, const QList<ColumnSortInfo>& keys)
{
    // Iterative form of "on a tie, compare by the next key".
    for (;;) {
        const int result = CompareRowsByColumn(a, b, column);
        if (result != 0 || depth >= keys.size() - 1)
            return result;
        ++depth;
        column = keys.at(depth).column;
    }
}

void QuickSortRows(std::vector<int>& order, int lo, int hi, int column, bool ascending,
                   const std::vector<const RowRecord*>& rows, const QList<ColumnSortInfo>& keys)
{
    // Ascending order compares (x, pivot); descending the same with the result turned round.
    const int sign = ascending ? 1 : -1;
    const auto compare = [&](int x, int y) {
        return sign * CompareRows(*rows[std::size_t(x)], *rows[std::size_t(y)], column, 0, keys);
    };
    while (lo < hi) {
        const int pivot = order[std::size_t(lo + (hi - lo) / 2)];
        int i = lo;
        int j = hi;
        while (i <= j) {
            while (compare(order[std::size_t(i)], pivot) < 0)
                ++i;
            while (compare(order[std::size_t(j)], pivot) > 0)
                --j;
            if (i <= j) {
                if (i != j)
                    std::swap(order[std::size_t(i)], order[std::size_t(j)]);
                ++i;
                --j;
            }
        }
        // The parts lo..j and i..hi are sorted independently of each other, so the order of
        // doing them does not change the result: recurse into the smaller one.
        if (j - lo < hi - i) {
            if (lo < j)
                QuickSortRows(order, lo, j, column, ascending, rows, keys);
            lo = i;
        } else {
            if (i < hi)
                QuickSortRows(order, i, hi, column, ascending, rows, keys);
            hi = j;
        }
    }
}
