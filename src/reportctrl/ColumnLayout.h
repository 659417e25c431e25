#pragma once
// The saved layout of the file list's columns, as the profile stores it under "FileList":
// - "Column": 18 entries of 8 bytes in column order, each a little-endian 32-bit shown flag
//   (1 or 0) and a little-endian 32-bit width in pixels (144 bytes);
// - "SortEx": the sort keys most significant first, 8 bytes each: little-endian 32-bit column,
//   little-endian 32-bit ascending (1) or descending (0).
// Decoding validates: a "Column" value of another length counts as absent, widths are clamped to
// 0..kMaxColumnWidth and Name and Path are always shown; "SortEx" keys outside the columns and
// repeated columns are dropped, at most kMaxSortKeys stay, and an empty result is column 0
// ascending. Pure functions, safe on any thread.

#include "ReportCtrl.h"

#include <QByteArray>
#include <QList>

#include <optional>

inline constexpr int kLayoutColumns = 18;
inline constexpr int kColumnValueBytes = kLayoutColumns * 8; // 144
inline constexpr int kMaxColumnWidth = 4096;

struct ColumnLayoutEntry {
    bool shown = true;
    int width = 0;

    friend bool operator==(const ColumnLayoutEntry&, const ColumnLayoutEntry&) = default;
};

// The "Column" value of `columns` (the first kLayoutColumns; missing ones are written shown with
// width 0). Always kColumnValueBytes long.
QByteArray EncodeColumnLayout(const QList<ColumnLayoutEntry>& columns);
// kLayoutColumns entries, or nothing when the value is not exactly kColumnValueBytes long.
std::optional<QList<ColumnLayoutEntry>> DecodeColumnLayout(const QByteArray& value);

// The "SortEx" value of `keys`, 8 bytes per key.
QByteArray EncodeSortKeys(const QList<ColumnSortInfo>& keys);
// The valid keys of a stored value (an absent value is an empty one). Trailing bytes short of a
// whole key are ignored; a nonzero direction reads as ascending (1). Never empty.
QList<ColumnSortInfo> DecodeSortKeys(const QByteArray& value);
