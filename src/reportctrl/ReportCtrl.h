#pragma once
// CReportCtrl: the report list that shows the file list. A QTreeView without tree decoration,
// over a ReportModel of its own, adding per-cell colours, zebra stripes, row-state flags with
// bulk operations, row moves and removals by state, header images and a clickable header.
//
// Row states map onto Qt as follows:
// - selected: the view's selection model; a row counts as selected when any of its cells is
//   (rows are always selected whole). Bulk changes go to the selection model as one selection,
//   so the owner gets one selectionChanged per operation.
// - focused: the selection model's current index (at most one row); giving the focus does not
//   scroll the view.
// - checked: a mark in the row's record, shown as a check box in column 0 while LES_CHECKBOXES
//   is on. Without check boxes every row reports RS_UNCHECKED and RS_CHECKED cannot be applied.
//
// Owner notices are Qt signals (the owner is a QObject): `columnClicked` comes from the header;
// `sorted`, `cellEdited` and `checkClicked` are the notices of the sorting and in-place editing
// code that builds on this control, declared here so that owners can connect to them.
//
// Built on later, with clean places left for them: the in-place editor (EndCellEdit and
// m_editCell are the hooks every changing operation already calls; the editor adds
// BeginCellEdit, its keys and the mouse handling), the tips painted into the empty list (a
// paintEvent override). Column visibility, the column menu and the multi-key sort (ShowColumn,
// ClickColumn, SortRows, on ColumnRecord, ColumnSortInfo and the sort keys) are here; the
// comparison lives in ReportSort.h and the saved layout values in ColumnLayout.h.
//
// Threads: GUI thread only. Every operation, the row records and the model are touched on the GUI
// thread alone; a loader hands finished rows to the GUI thread (queued) and never calls in.

#include "ReportModel.h"

#include <QList>
#include <QTreeView>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QMenu;
struct AudioFileInfo;
struct ColumnLayoutEntry;

// Row-state flags: RowStateFlags reports exactly one flag of each pair; as a filter, RS_ANY
// matches every row, any other filter the rows that report all of its flags, 0 no row.
enum RowState : int {
    RS_ANY = 0x01,
    RS_SELECTED = 0x02,
    RS_UNSELECTED = 0x04,
    RS_CHECKED = 0x08,
    RS_UNCHECKED = 0x10,
    RS_FOCUSED = 0x20,
    RS_UNFOCUSED = 0x40,
};

// InvertRows: what to invert.
enum InvertWhat : int {
    INVERT_SELECTION = 0,
    INVERT_CHECKS = 1,
};

// Extended list styles (the owner's values; SetListExStyle always adds full-row select and
// sub-item images). Grid lines, info tips and double buffering need nothing here: Qt paints
// double-buffered and the themed look is the only one.
enum ListExStyle : std::uint32_t {
    LES_GRIDLINES = 0x01,
    LES_SUBITEMIMAGES = 0x02,
    LES_CHECKBOXES = 0x04,
    LES_HEADERDRAGDROP = 0x10,
    LES_FULLROWSELECT = 0x20,
    LES_INFOTIP = 0x400,
    LES_DOUBLEBUFFER = 0x10000,
};

// Stripe and tint colours painted by RepaintStripes (0x00BBGGRR).
inline constexpr std::uint32_t kStripeEven = 0xFFFFFF;
inline constexpr std::uint32_t kStripeOdd = 0xFCF5F3;
inline constexpr std::uint32_t kSortTintEven = 0xFDF8F7;
inline constexpr std::uint32_t kSortTintOdd = 0xFAEEEB;
inline constexpr std::uint32_t kUnreadableTint = 0xF1E1FF;

// One sort key, stored byte for byte in the settings (8 bytes).
struct ColumnSortInfo {
    std::int32_t column = 0;
    std::int32_t ascending = 1; // 1 ascending, 0 descending
};
static_assert(sizeof(ColumnSortInfo) == 8);
// The most sort keys the control keeps.
inline constexpr int kMaxSortKeys = 6;

// Per column: visibility and what hiding and showing it again need.
struct ColumnRecord {
    bool shown = true;
    std::int32_t width = 0;            // width remembered while hidden; at insertion the given width or 0
    std::int32_t restorePosition = -1; // display position a shown-again column moves up to
};

class CReportCtrl : public QTreeView {
    Q_OBJECT

public:
    explicit CReportCtrl(QWidget* parent = nullptr);
    ~CReportCtrl() override;

    // The control's own model; do not give the view another. A replaced selection model is
    // followed.
    ReportModel* Model() const { return m_model; }
    void setSelectionModel(QItemSelectionModel* selectionModel) override;

    // Cells. Row and column indexes outside the table make these return false, -1 or nothing.
    bool PutCellImage(int row, int column, int image);
    int CellImage(int row, int column) const;
    bool PutCellText(int row, int column, const QString& text);
    // The number as text in the C locale, whatever the user's: with decimals < 0 six decimals
    // with trailing zeros and then a trailing point removed (12.5, 3, 100, 0), else exactly
    // `decimals` decimals; rounded as printf rounds (exact ties to even: 1.125 gives 1.12).
    bool PutCellNumber(int row, int column, double value, int decimals);
    QString CellText(int row, int column) const;
    // Colour (0x00BBGGRR, kSystemColour for the palette's) of one cell, a whole row (invalid
    // column), a whole column (invalid row) or every cell (both invalid), with one model
    // notification. The changed cells are repainted at the next paint either way; `redraw`
    // schedules the whole viewport as well.
    void PaintCellText(int row, int column, std::uint32_t colour, bool redraw);
    void PaintCellBack(int row, int column, std::uint32_t colour, bool redraw);
    // Recolours every cell's background: unreadable files' rows kUnreadableTint across every
    // column; otherwise odd rows kStripeOdd, even rows kStripeEven, and with `highlight` the
    // column of the first sort key kSortTintOdd / kSortTintEven.
    bool RepaintStripes(bool highlight);

    // Rows.
    int RowCount() const { return m_model->rowCount(); }
    // Inserts a row before `index` (appended when out of range) with `text` in column 0 and
    // `image` as its image; returns the new row, or -1 when there are no columns.
    int InsertRow(int index, const QString& text, int image = -1);
    // Inserts rows.size() rows before `index` in one go; each list holds the row's texts from
    // column 0 on. Returns the first new row, or -1.
    int InsertRows(int index, const QList<QStringList>& rows);
    // Removes a row, first selecting the row after it when asked. False for an invalid row.
    bool RemoveRow(int row, bool selectFollowing);
    // Removes the rows that match `filter` and returns how many: every row for RS_ANY, none for 0.
    int RemoveRowsMatching(int filter);
    // Moves a row to `target` (clamped into the rows) and returns its new index, or -1 for an
    // invalid row. The row keeps its record, selection, focus and check mark; views see it
    // removed and inserted again, so a persistent index of the moved row does not follow it.
    int RelocateRow(int row, int target);
    int ShiftRow(int row, int delta);
    int RowToTop(int row);
    int RowToBottom(int row);
    // The owner's object for a row (the control never frees it); nothing for an invalid row.
    void AttachRowData(int row, AudioFileInfo* data);
    AudioFileInfo* RowData(int row) const;

    // Row states (RowState flags).
    int RowStateFlags(int row) const;
    // Applies each flag given, in the order select, deselect, check, uncheck, focus, unfocus
    // (so a flag given with its opposite ends in the opposite). True when every requested change
    // was made; false for flags 0 or an invalid row.
    bool ApplyRowStateFlags(int row, int flags);
    int CountMatchingRows(int filter) const;
    // The first row after `startAfter` that matches `filter`, or -1.
    int NextMatchingRow(int filter, int startAfter) const;
    // Applies `flags` to every row that matches `filter`; returns the number of rows matched
    // (0 when filter or flags is 0).
    int ApplyToMatchingRows(int filter, int flags);
    void InvertRows(int which);

    // Columns.
    // Inserts a column before `index` (appended when beyond the end); `width` < 0 leaves the
    // header's default width. Returns the new column, or -1 for a negative index.
    int AddColumn(int index, const QString& heading, Qt::Alignment alignment = Qt::AlignLeft, int width = -1);
    int ColumnCount() const { return m_model->columnCount(); }
    bool IsColumnShown(int column) const;
    std::optional<ColumnRecord> ColumnRecordAt(int column) const;
    const QList<ColumnRecord>& ColumnRecords() const { return m_columnRecords; }
    // Sizes a column (every shown column for -1) to its content, or to content and heading.
    // Hidden columns stay hidden. False for another invalid column.
    bool FitColumn(int column, bool useHeader);

    // Column visibility. Hiding a column hides its header section, moves it to the left end of the
    // display order and remembers its width in its ColumnRecord (shown false, restorePosition the
    // column count); showing it again puts it at the far right of the display order with that
    // width. Returns true; false for an invalid column. Any column can be hidden here; the column
    // menu keeps Name (0) and Path (1) shown.
    //
    // What keeps a hidden column hidden: QHeaderView gives most of it for free, as a hidden
    // section has no width and no divider: it cannot be resized with the mouse, its divider cannot
    // be double-clicked, it cannot be dragged, and resizeSection() on it only changes the size it
    // would come back with (it stays hidden), so FitColumn and the view's own sizing leave it
    // hidden. Added here: ShowColumn puts the remembered width back over that stored size; a
    // column dragged in front of the hidden ones is moved back to the first shown place; a divider
    // double-click fits the column to its content only (FitColumn); Ctrl+keypad plus fits every
    // shown column (FitColumn(-1, false)).
    bool ShowColumn(int column, bool show);

    // The header's column menu, one checkable entry per column in index order (checked while
    // shown; Name and Path disabled), separators before the entries of columns 3 and 12; choosing
    // an entry shows or hides its column. Opened by a context-menu request on the header (and only
    // there: the list's own area has none). `globalPos` outside the header opens nothing; false
    // then. The menu runs through the runner (default: QMenu::exec at the point), which tests
    // replace.
    std::unique_ptr<QMenu> BuildColumnMenu();
    bool OnHeaderMenu(const QPoint& globalPos);
    using MenuRunner = std::function<void(QMenu& menu, const QPoint& globalPos)>;
    void SetMenuRunner(MenuRunner runner);

    // Saved layouts (ColumnLayout.h): applies widths and visibility for the columns the layout
    // covers (a shown column gets its width, at least the header's minimum; a hidden one is hidden
    // with that width remembered), and reads the current layout back: per column its
    // visibility and its width (the current one when shown, the remembered one when hidden).
    void ApplyColumnLayout(const QList<ColumnLayoutEntry>& layout);
    QList<ColumnLayoutEntry> CurrentColumnLayout() const;

    // Look.
    // Replaces the extended style (LES_* values) and returns the previous one.
    std::uint32_t SetListExStyle(std::uint32_t style);
    std::uint32_t ListExStyle() const { return m_exStyle; }
    void SetSmallImages(const QList<QIcon>& images);
    const QList<QIcon>& SmallImages() const { return m_model->SmallImages(); }
    void SetHeaderImages(const QList<QIcon>& images);
    // Gives a column's heading image `image` (left or right of the text); a header without
    // images takes the small images first. False for an invalid column.
    bool SetHeaderIcon(int column, int image, bool imageOnLeft);
    // Header clicks emit columnClicked while clickable. False when the header is hidden.
    bool SetHeaderClickable(bool clickable);

    // Sort keys, most significant first, at most kMaxSortKeys and no column twice. RepaintStripes
    // tints the first key's column; the sort itself builds on these.
    const QList<ColumnSortInfo>& SortKeys() const { return m_sortKeys; }
    void SetSortKeys(const QList<ColumnSortInfo>& keys);

    // A click on a column's header (connected to the header's clicks, callable directly): the
    // column becomes the first sort key, reversed when it already was first, with its remembered
    // direction when it was a later key, ascending when new; more than kMaxSortKeys keys drop the
    // last. A running edit is committed; then, for a column of the table while the header is
    // shown and clickable, every row is sorted (SortRows(0, RowCount() - 1, true)).
    void ClickColumn(int column);

    // Sorts rows first..last by the sort keys (ReportSort.h has the comparison): by the first
    // key in its direction, ties broken by the later keys' columns in that same direction. Each row
    // keeps its record, texts, colours, images, check mark, selection and focus. Sets g_listBusy
    // for the duration, sets the header's sort indicator to the first key, emits `sorted`
    // (queued) even when nothing moved, and repaints the stripes (`highlight` tints the sort
    // column); returns RepaintStripes' result. An out-of-range or one-row range sorts nothing.
    // Without sort keys nothing is sorted, reported or repainted (the owner keeps one key).
    bool SortRows(int first, int last, bool highlight);

    // In-place editing. Every operation that changes texts, rows or columns ends a running edit
    // first, as the editor requires (commit, or discard where the row goes away). No editor
    // exists yet: no edit is ever running and EndCellEdit changes nothing.
    bool IsCellEditing() const;
    bool EndCellEdit(bool commit);

Q_SIGNALS:
    // A click on a clickable header section.
    void columnClicked(int column);
    // End of a sort: queued, so the owner handles it after the sort has returned.
    void sorted(int column, bool ascending);
    // An in-place edit changed a cell's text (direct; row and column passed by value).
    void cellEdited(int row, int column);
    // A click toggled a row's check box.
    void checkClicked(int row);

protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles = {}) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct CellRef {
        int row = -1;
        int column = -1;
    };

    bool IsRow(int row) const { return row >= 0 && row < RowCount(); }
    const std::vector<char>& SelectedRows() const;
    int CurrentRow() const;
    std::vector<int> MatchingRows(int filter) const;
    bool ApplyToRows(const std::vector<int>& rows, int flags);
    QItemSelection SelectionOfRows(const std::vector<int>& rows) const;
    void DropSelectionOf(const std::vector<int>& rows);
    void SetCurrentRow(int row);
    bool SortRowRange(int first, int last, int column, bool ascending);
    void KeepMovedSectionShown(int logical, int oldVisual, int newVisual);

    ReportModel* m_model = nullptr;
    QList<ColumnRecord> m_columnRecords;
    QList<ColumnSortInfo> m_sortKeys;
    std::uint32_t m_exStyle = LES_FULLROWSELECT | LES_SUBITEMIMAGES;
    CellRef m_editCell; // the cell being edited; (-1, -1) while none
    bool m_removingRows = false; // rows are being removed or moved (see currentChanged)
    bool m_movingSections = false; // the control itself moves header sections
    MenuRunner m_menuRunner;

    // Which rows are selected, rebuilt on demand after the selection or the rows change, so
    // that state queries over many rows cost one pass over the selection.
    mutable std::vector<char> m_selectedRows;
    mutable bool m_selectedRowsValid = false;
    QMetaObject::Connection m_selectionConnection;
};
