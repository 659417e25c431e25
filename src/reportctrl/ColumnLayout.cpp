#include "ColumnLayout.h"

#include <QtEndian>

#include <algorithm>

namespace {

void AppendInt32(QByteArray& out, std::int32_t value)
{
    char bytes[4];
    qToLittleEndian<std::int32_t>(value, bytes);
    out.append(bytes, 4);
}

std::int32_t Int32At(const QByteArray& value, qsizetype offset)
{
    return qFromLittleEndian<std::int32_t>(value.constData() + offset);
}

} // namespace

QByteArray EncodeColumnLayout(const QList<ColumnLayoutEntry>& columns)
{
    QByteArray out;
    out.reserve(kColumnValueBytes);
    for (int column = 0; column < kLayoutColumns; ++column) {
        const ColumnLayoutEntry entry = column < columns.size() ? columns.at(column) : ColumnLayoutEntry{true, 0};
        AppendInt32(out, entry.shown ? 1 : 0);
        AppendInt32(out, entry.width);
    }
    return out;
}

std::optional<QList<ColumnLayoutEntry>> DecodeColumnLayout(const QByteArray& value)
{
    if (value.size() != kColumnValueBytes)
        return std::nullopt;
    QList<ColumnLayoutEntry> columns;
    columns.reserve(kLayoutColumns);
    for (int column = 0; column < kLayoutColumns; ++column) {
        const qsizetype offset = qsizetype(column) * 8;
        // Name (0) and Path (1) cannot be hidden from the column menu, so a stored "hidden" for
        // them is not a state the program writes.
        const bool shown = Int32At(value, offset) != 0 || column < 2;
        columns.append({shown, std::clamp(Int32At(value, offset + 4), 0, kMaxColumnWidth)});
    }
    return columns;
}

QByteArray EncodeSortKeys(const QList<ColumnSortInfo>& keys)
{
    QByteArray out;
    out.reserve(keys.size() * 8);
    for (const ColumnSortInfo& key : keys) {
        AppendInt32(out, key.column);
        AppendInt32(out, key.ascending);
    }
    return out;
}

QList<ColumnSortInfo> DecodeSortKeys(const QByteArray& value)
{
    QList<ColumnSortInfo> keys;
    for (qsizetype offset = 0; offset + 8 <= value.size() && keys.size() < kMaxSortKeys; offset += 8) {
        const std::int32_t column = Int32At(value, offset);
        if (column < 0 || column >= kLayoutColumns)
            continue;
        if (std::any_of(keys.cbegin(), keys.cend(), [column](const ColumnSortInfo& k) { return k.column == column; }))
            continue;
        keys.append({column, Int32At(value, offset + 4) != 0 ? 1 : 0});
    }
    if (keys.isEmpty())
        keys.append({0, 1});
    return keys;
}
