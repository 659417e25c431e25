#pragma once
// The report list's table: one RowRecord per row (the owner's data pointer, every cell's text,
// colours and image, the check mark) and the column headings, served to the view through the
// item roles that the default delegate paints (display, foreground, background, decoration,
// alignment, check state).
//
// Threads: GUI thread only, like the CReportCtrl that owns it.

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

struct AudioFileInfo;

// Cell colours are 0x00BBGGRR values. kSystemColour (-1 as a 32-bit value) stands for the
// palette's text colour (text) or base colour (background); such cells give no colour role, so
// the view paints them with its palette. The one exception keeps text readable on dark desktop
// themes: a cell with the palette's text colour on a background of its own gets black (or white)
// text when the palette's text colour is too close to that background.
inline constexpr std::uint32_t kSystemColour = 0xFFFFFFFFu;

struct ReportCell {
    QString text;
    std::uint32_t textColour = kSystemColour;
    std::uint32_t backColour = kSystemColour;
};

// One row. The cells hold what the native list kept in textColours and backColours, next to the
// texts, in one allocation per row.
struct RowRecord {
    AudioFileInfo* data = nullptr;    // the owner's object for this row; never freed here
    std::vector<ReportCell> cells;    // one per column
    std::vector<std::int32_t> images; // one image index per column, or empty while no cell has one
    bool checked = false;
};

class ReportModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // Header role: the column's image when it is drawn right of the heading. Such a column
    // gives no DecorationRole; the control's header paints the image.
    static constexpr int HeaderIconRightRole = Qt::UserRole + 1;

    enum class CheckChange { Check, Uncheck, Toggle };

    explicit ReportModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Columns. InsertColumn gives every row an empty cell with system colours at `index`
    // (clamped to the end) and returns the new column, or -1 for a negative index.
    int InsertColumn(int index, const QString& heading, Qt::Alignment alignment);
    Qt::Alignment ColumnAlignment(int column) const;
    bool SetHeaderImage(int column, int image, bool onLeft);
    void SetHeaderImages(const QList<QIcon>& images);
    const QList<QIcon>& HeaderImages() const { return m_headerImages; }

    // The images that cells refer to by index.
    void SetSmallImages(const QList<QIcon>& images);
    const QList<QIcon>& SmallImages() const { return m_smallImages; }

    // Rows. InsertRows adds rows.size() rows before `index` (clamped into 0..row count) in one
    // notification; each row takes the texts of its list from column 0 on (missing ones stay
    // empty, extra ones are dropped). It returns the first new row, or -1 when nothing was
    // inserted (no rows given, or no columns to hold them).
    int InsertRows(int index, const QList<QStringList>& rows);
    bool RemoveRowRange(int first, int count);
    void RemoveAllRows();
    // Moves `row` with its record so that it ends at `target`; both must be valid rows. Views
    // see the row removed and inserted again (selection and persistent indexes of the row do not
    // follow it; the caller restores its state).
    bool MoveRowTo(int row, int target);
    const RowRecord* Row(int row) const;
    // Puts the rows first .. first + order.size() - 1 in a new order: new row first + i is the old
    // row first + order[i] (`order` a permutation of 0..order.size() - 1). Records move whole;
    // views see one layout change (a vertical sort) with every persistent index of a moved row
    // following it, so the selection and the current row stay with their rows.
    bool ReorderRows(int first, const std::vector<int>& order);
    bool SetRowData(int row, AudioFileInfo* data);

    // Cells. Each returns false for a cell outside the table.
    bool SetCellText(int row, int column, const QString& text);
    QString CellText(int row, int column) const;
    bool SetCellImage(int row, int column, int image);
    int CellImage(int row, int column) const;

    // Sets the text or background colour of one cell, one row, one column or every cell, as
    // `row` and `column` are valid or not (an invalid index stands for all), with one
    // notification.
    void SetTextColours(int row, int column, std::uint32_t colour);
    void SetBackColours(int row, int column, std::uint32_t colour);

    // Sets every cell's background to colourOf(row, record, column) and notifies once.
    template <typename ColourOf>
    void RecolourBackgrounds(ColourOf colourOf);

    // Check marks: shown (and reported) only while check boxes are on; turning them off clears
    // every mark.
    void SetCheckBoxes(bool on);
    bool HasCheckBoxes() const { return m_checkBoxes; }
    // Changes the marks of the given rows (ascending, valid) with one notification.
    void ChangeChecks(const std::vector<int>& rows, CheckChange change);

private:
    struct ColumnInfo {
        QString heading;
        Qt::Alignment alignment = Qt::AlignLeft;
        int headerImage = -1;
        bool headerImageOnLeft = true;
    };

    bool IsCell(int row, int column) const;
    void SetColours(int row, int column, std::uint32_t colour, bool text);
    QVariant HeaderIcon(int column, bool onLeft) const;
    void NotifyAllCells(const QList<int>& roles);

    RowRecord& RowAt(int row) { return *m_rows[std::size_t(row)]; }
    const RowRecord& RowAt(int row) const { return *m_rows[std::size_t(row)]; }

    // One allocation per record, so that inserting, moving and removing rows moves pointers.
    std::vector<std::unique_ptr<RowRecord>> m_rows;
    std::vector<ColumnInfo> m_columns;
    QList<QIcon> m_smallImages;
    QList<QIcon> m_headerImages;
    bool m_checkBoxes = false;
};

template <typename ColourOf>
void ReportModel::RecolourBackgrounds(ColourOf colourOf)
{
    const int rowTotal = int(m_rows.size());
    for (int row = 0; row < rowTotal; ++row) {
        RowRecord& record = RowAt(row);
        for (std::size_t column = 0; column < record.cells.size(); ++column)
            record.cells[column].backColour = colourOf(row, std::as_const(record), int(column));
    }
    NotifyAllCells({Qt::BackgroundRole});
}
