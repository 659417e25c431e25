#pragma once
// The report list's row order: the comparison of two rows by a column (numeric file-list
// columns by their AudioFileInfo fields, every other column by its text in UTF-8 byte order), the
// chain of secondary keys, and the Hoare partition sort of an array of row indexes.
//
// CReportCtrl::SortRows builds on these; they read rows and never change them.
//
// Threads: GUI thread only. g_listBusy is atomic only so that a stray read elsewhere is not a data
// race; it is set and cleared on the GUI thread.

#include "ReportCtrl.h"

#include <QList>
#include <QString>

#include <atomic>
#include <vector>

struct RowRecord;

// True while CReportCtrl::SortRows rewrites the rows; the owner skips its handling of row
// changes meanwhile.
extern std::atomic<bool> g_listBusy;

// -1, 0 or 1 as `a` comes before, equals or comes after `b` in the byte order of their UTF-8
// forms (unsigned bytes, that is code-point order): case-sensitive, capitals before small
// letters, a shorter prefix first. Works on the UTF-16 text directly, without converting.
int CompareTexts(const QString& a, const QString& b);

// -1, 0 or 1 for rows `a` and `b` in ascending order of `column` alone. The numeric columns
// (those whose FileListColumns() entry has a sort key other than Text) compare their records'
// fields as doubles; a row without a record comes before one with a record there, and two rows
// without records compare by text.
int CompareRowsByColumn(const RowRecord& a, const RowRecord& b, int column);

// The comparison of the sort: by `column`; on a tie, while depth < keys.size() - 1, by the column
// of keys[depth + 1] at depth + 1. The keys' own directions are not applied here: the sort turns
// the whole comparison round by the primary key's direction only.
int CompareRows(const RowRecord& a, const RowRecord& b, int column, int depth, const QList<ColumnSortInfo>& keys);

// Hoare partition sort of order[lo..hi], a permutation of indexes into `rows`, by CompareRows
// from `column` at depth 0 (reversed when !ascending). The pivot is order[(lo + hi) / 2]. It
// recurses into the smaller part and loops on the larger one, which gives the same order as
// recursing on the left part and looping on the right, with a stack depth of O(log n). Not
// stable: rows equal on every key may change places.
void QuickSortRows(std::vector<int>& order, int lo, int hi, int column, bool ascending,
                   const std::vector<const RowRecord*>& rows, const QList<ColumnSortInfo>& keys);
