#include "ReportCtrl.h"

#include "ColumnLayout.h"
#include "ReportSort.h"
#include "engine/NumberText.h"
#include "filelist/AudioFileInfo.h"

#include <QAccessible>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyleOptionHeaderV2>

#include <algorithm>
#include <array>
#include <climits>
#include <numeric>
#include <system_error>

namespace {

// The header: draws a column's image right of its heading when the column asks for that (Qt's
// own header only draws images on the left).
class ReportHeader final : public QHeaderView {
public:
    explicit ReportHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        const QIcon icon = RightIcon(logicalIndex);
        if (icon.isNull() || !rect.isValid()) {
            QHeaderView::paintSection(painter, rect, logicalIndex);
            return;
        }
        QStyleOptionHeaderV2 option;
        initStyleOption(&option);
        initStyleOptionForIndex(&option, logicalIndex);
        option.rect = rect;
        const int extent = style()->pixelMetric(QStyle::PM_SmallIconSize, &option, this);
        const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, &option, this);

        painter->save();
        painter->setClipRect(rect);
        style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
        QStyleOptionHeaderV2 label = option;
        label.icon = QIcon();
        label.rect = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this).adjusted(0, 0, -(extent + margin), 0);
        if (label.rect.width() > 0)
            style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
        const QRect iconRect(rect.right() - margin - extent + 1, rect.top() + (rect.height() - extent) / 2, extent, extent);
        icon.paint(painter, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        painter->restore();
    }

    QSize sectionSizeFromContents(int logicalIndex) const override
    {
        QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
        if (!RightIcon(logicalIndex).isNull())
            size.rwidth() += style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this) +
                             style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
        return size;
    }

private:
    QIcon RightIcon(int logicalIndex) const
    {
        if (!model())
            return {};
        return model()->headerData(logicalIndex, orientation(), ReportModel::HeaderIconRightRole).value<QIcon>();
    }
};

// Holds a widget's updates off for a scope.
class UpdatesOff {
public:
    explicit UpdatesOff(QWidget* widget) : m_widget(widget), m_wasEnabled(widget->updatesEnabled())
    {
        m_widget->setUpdatesEnabled(false);
    }
    ~UpdatesOff() { m_widget->setUpdatesEnabled(m_wasEnabled); }
    UpdatesOff(const UpdatesOff&) = delete;
    UpdatesOff& operator=(const UpdatesOff&) = delete;

private:
    QWidget* m_widget;
    bool m_wasEnabled;
};

bool FilterMatches(int filter, int flags)
{
    if (filter == 0)
        return false;
    return (filter & RS_ANY) != 0 || (flags & filter) == filter;
}

// "%f" with trailing zeros and then trailing points removed for decimals < 0, else "%.<n>f".
QString FormatNumber(double value, int decimals)
{
    if (decimals >= 0)
        return FixedText(value, decimals);
    QString text = FixedText(value, 6);
    while (text.endsWith(u'0'))
        text.chop(1);
    while (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

} // namespace

CReportCtrl::CReportCtrl(QWidget* parent) : QTreeView(parent), m_model(new ReportModel(this))
{
    setHeader(new ReportHeader(this));
    setModel(m_model);

    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(false);
    setSortingEnabled(false);
    setIconSize(QSize(16, 16));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(false);

    connect(header(), &QHeaderView::sectionClicked, this, &CReportCtrl::columnClicked);
    connect(header(), &QHeaderView::sectionClicked, this, &CReportCtrl::ClickColumn);
    header()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header(), &QHeaderView::customContextMenuRequested, this,
            [this](const QPoint& pos) { OnHeaderMenu(header()->mapToGlobal(pos)); });
    // A divider double-click fits the column to its content alone (the view's own handler would
    // take the heading's width into account too).
    disconnect(header(), SIGNAL(sectionHandleDoubleClicked(int)), this, SLOT(resizeColumnToContents(int)));
    connect(header(), &QHeaderView::sectionHandleDoubleClicked, this, [this](int column) { FitColumn(column, false); });
    connect(header(), &QHeaderView::sectionMoved, this, &CReportCtrl::KeepMovedSectionShown);

    const auto forgetSelectedRows = [this] { m_selectedRowsValid = false; };
    connect(m_model, &QAbstractItemModel::rowsInserted, this, forgetSelectedRows);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, forgetSelectedRows);
    connect(m_model, &QAbstractItemModel::rowsMoved, this, forgetSelectedRows);
    connect(m_model, &QAbstractItemModel::columnsInserted, this, forgetSelectedRows);
    connect(m_model, &QAbstractItemModel::modelReset, this, forgetSelectedRows);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, forgetSelectedRows);
}

CReportCtrl::~CReportCtrl() = default;

void CReportCtrl::setSelectionModel(QItemSelectionModel* selectionModel)
{
    QTreeView::setSelectionModel(selectionModel);
    disconnect(m_selectionConnection);
    m_selectionConnection = connect(this->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                                    [this] { m_selectedRowsValid = false; });
    m_selectedRowsValid = false;
}

// A change of many rows (stripes, a column's colour) repaints the viewport at once: the base class
// would first work out the rectangle of every row in the range, a few milliseconds per change
// with ten thousand rows. While assistive technology is active the base class runs, for its
// notices.
void CReportCtrl::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    constexpr int kManyRows = 64;
    if (bottomRight.row() - topLeft.row() >= kManyRows && !QAccessible::isActive()) {
        viewport()->update();
        return;
    }
    QTreeView::dataChanged(topLeft, bottomRight, roles);
}

// While rows are removed, the focus and the selection move off the removed rows. The base class
// would repaint the rectangles of the indexes concerned, which lays out every row again after
// each removal; the rows are laid out and repainted once afterwards anyway.
void CReportCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (m_removingRows) {
        viewport()->update();
        return;
    }
    QTreeView::currentChanged(current, previous);
}

void CReportCtrl::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (m_removingRows) {
        viewport()->update();
        return;
    }
    QTreeView::selectionChanged(selected, deselected);
}

void CReportCtrl::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (event->key() == Qt::Key_Plus && (modifiers & Qt::ControlModifier) && (modifiers & Qt::KeypadModifier)) {
        FitColumn(-1, false);
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

// ---- Cells -----------------------------------------------------------------------------------

bool CReportCtrl::PutCellImage(int row, int column, int image)
{
    return m_model->SetCellImage(row, column, image);
}

int CReportCtrl::CellImage(int row, int column) const
{
    return m_model->CellImage(row, column);
}

bool CReportCtrl::PutCellText(int row, int column, const QString& text)
{
    EndCellEdit(true);
    return m_model->SetCellText(row, column, text);
}

bool CReportCtrl::PutCellNumber(int row, int column, double value, int decimals)
{
    EndCellEdit(true);
    return m_model->SetCellText(row, column, FormatNumber(value, decimals));
}

QString CReportCtrl::CellText(int row, int column) const
{
    return m_model->CellText(row, column);
}

void CReportCtrl::PaintCellText(int row, int column, std::uint32_t colour, bool redraw)
{
    m_model->SetTextColours(row, column, colour);
    if (redraw)
        viewport()->update();
}

void CReportCtrl::PaintCellBack(int row, int column, std::uint32_t colour, bool redraw)
{
    m_model->SetBackColours(row, column, colour);
    if (redraw)
        viewport()->update();
}

bool CReportCtrl::RepaintStripes(bool highlight)
{
    const int tintColumn = highlight && !m_sortKeys.isEmpty() ? m_sortKeys.front().column : -1;
    m_model->RecolourBackgrounds([tintColumn](int row, const RowRecord& record, int column) {
        if (record.data && record.data->unreadable != 0)
            return kUnreadableTint;
        const bool odd = row % 2 != 0;
        if (column == tintColumn)
            return odd ? kSortTintOdd : kSortTintEven;
        return odd ? kStripeOdd : kStripeEven;
    });
    viewport()->update();
    return true;
}

// ---- Rows ------------------------------------------------------------------------------------

int CReportCtrl::InsertRow(int index, const QString& text, int image)
{
    EndCellEdit(true);
    const int row = m_model->InsertRows(IsRow(index) ? index : RowCount(), {QStringList{text}});
    if (row >= 0 && image >= 0)
        m_model->SetCellImage(row, 0, image);
    return row;
}

int CReportCtrl::InsertRows(int index, const QList<QStringList>& rows)
{
    EndCellEdit(true);
    return m_model->InsertRows(IsRow(index) ? index : RowCount(), rows);
}

bool CReportCtrl::RemoveRow(int row, bool selectFollowing)
{
    if (!IsRow(row))
        return false;
    EndCellEdit(m_editCell.row != row);
    if (selectFollowing && IsRow(row + 1))
        ApplyRowStateFlags(row + 1, RS_SELECTED);
    const QScopedValueRollback<bool> removing(m_removingRows, true);
    return m_model->RemoveRowRange(row, 1);
}

int CReportCtrl::RemoveRowsMatching(int filter)
{
    EndCellEdit(false);
    if (filter == 0)
        return 0;
    const UpdatesOff updatesOff(this);
    const QScopedValueRollback<bool> removing(m_removingRows, true);
    if (filter & RS_ANY) {
        const int removed = RowCount();
        m_model->RemoveAllRows();
        return removed;
    }
    const std::vector<int> rows = MatchingRows(filter);
    if (rows.empty())
        return 0;
    DropSelectionOf(rows);
    // Remove runs of consecutive rows, from the last run up, so that the indexes still to come
    // stay valid.
    std::size_t end = rows.size();
    while (end > 0) {
        std::size_t begin = end - 1;
        while (begin > 0 && rows[begin - 1] == rows[begin] - 1)
            --begin;
        m_model->RemoveRowRange(rows[begin], int(end - begin));
        end = begin;
    }
    return int(rows.size());
}

// Takes `rows` (ascending, valid) out of the selection before they are removed, so that the
// selection model keeps no ranges of them: each range holds persistent indexes that every
// removal of a run of rows would have to update. The rest of the selection stays.
void CReportCtrl::DropSelectionOf(const std::vector<int>& rows)
{
    const std::vector<char>& selected = SelectedRows();
    std::vector<int> kept;
    bool dropping = false;
    std::size_t next = 0;
    for (int row = 0, total = RowCount(); row < total; ++row) {
        const bool removed = next < rows.size() && rows[next] == row;
        if (removed)
            ++next;
        if (selected[std::size_t(row)] == 0)
            continue;
        if (removed)
            dropping = true;
        else
            kept.push_back(row);
    }
    if (dropping)
        selectionModel()->select(SelectionOfRows(kept), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int CReportCtrl::RelocateRow(int row, int target)
{
    if (!IsRow(row))
        return -1;
    EndCellEdit(true);
    target = std::clamp(target, 0, RowCount() - 1);
    if (target == row)
        return row;
    // The record (texts, colours, images, data, check mark) moves along; the selection and the
    // focus are the view's and are given back to the row at its new place.
    const int states = RowStateFlags(row);
    {
        const QScopedValueRollback<bool> removing(m_removingRows, true);
        m_model->MoveRowTo(row, target);
    }
    ApplyRowStateFlags(target, states & (RS_SELECTED | RS_FOCUSED));
    return target;
}

int CReportCtrl::ShiftRow(int row, int delta)
{
    const qint64 target = std::clamp<qint64>(qint64(row) + delta, INT_MIN, INT_MAX);
    return RelocateRow(row, int(target));
}

int CReportCtrl::RowToTop(int row)
{
    return RelocateRow(row, -1);
}

int CReportCtrl::RowToBottom(int row)
{
    return RelocateRow(row, INT_MAX);
}

void CReportCtrl::AttachRowData(int row, AudioFileInfo* data)
{
    m_model->SetRowData(row, data);
}

AudioFileInfo* CReportCtrl::RowData(int row) const
{
    const RowRecord* record = m_model->Row(row);
    return record ? record->data : nullptr;
}

// ---- Row states ------------------------------------------------------------------------------

const std::vector<char>& CReportCtrl::SelectedRows() const
{
    if (m_selectedRowsValid && m_selectedRows.size() == std::size_t(RowCount()))
        return m_selectedRows;
    m_selectedRows.assign(std::size_t(RowCount()), 0);
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        if (range.parent().isValid())
            continue;
        const int last = std::min(range.bottom(), RowCount() - 1);
        for (int row = std::max(range.top(), 0); row <= last; ++row)
            m_selectedRows[std::size_t(row)] = 1;
    }
    m_selectedRowsValid = true;
    return m_selectedRows;
}

int CReportCtrl::CurrentRow() const
{
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

int CReportCtrl::RowStateFlags(int row) const
{
    if (!IsRow(row))
        return 0;
    const bool selected = SelectedRows()[std::size_t(row)] != 0;
    const bool checked = m_model->HasCheckBoxes() && m_model->Row(row)->checked;
    return (selected ? RS_SELECTED : RS_UNSELECTED) | (checked ? RS_CHECKED : RS_UNCHECKED) |
           (CurrentRow() == row ? RS_FOCUSED : RS_UNFOCUSED);
}

std::vector<int> CReportCtrl::MatchingRows(int filter) const
{
    std::vector<int> rows;
    if (filter == 0)
        return rows;
    if (filter & RS_ANY) {
        rows.resize(static_cast<std::size_t>(RowCount()));
        std::iota(rows.begin(), rows.end(), 0);
        return rows;
    }
    for (int row = 0, total = RowCount(); row < total; ++row) {
        if (FilterMatches(filter, RowStateFlags(row)))
            rows.push_back(row);
    }
    return rows;
}

QItemSelection CReportCtrl::SelectionOfRows(const std::vector<int>& rows) const
{
    QItemSelection selection;
    const int lastColumn = ColumnCount() - 1;
    std::size_t begin = 0;
    while (begin < rows.size()) {
        std::size_t end = begin + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1)
            ++end;
        selection.append(QItemSelectionRange(m_model->index(rows[begin], 0), m_model->index(rows[end - 1], lastColumn)));
        begin = end;
    }
    return selection;
}

void CReportCtrl::SetCurrentRow(int row)
{
    // Focus alone: no selection change and, unlike a click, no scrolling.
    const bool autoScroll = hasAutoScroll();
    setAutoScroll(false);
    selectionModel()->setCurrentIndex(row >= 0 ? m_model->index(row, 0) : QModelIndex(), QItemSelectionModel::NoUpdate);
    setAutoScroll(autoScroll);
}

// Applies `flags` to the given rows (ascending, valid) with one change per kind of flag; for
// any row the outcome is the same as applying the flags to each row in turn.
bool CReportCtrl::ApplyToRows(const std::vector<int>& rows, int flags)
{
    if (rows.empty() || ColumnCount() == 0)
        return false;
    bool succeeded = true;
    if (flags & (RS_SELECTED | RS_UNSELECTED)) {
        const QItemSelection selection = SelectionOfRows(rows);
        if (flags & RS_SELECTED)
            selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (flags & RS_UNSELECTED)
            selectionModel()->select(selection, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    if (flags & RS_CHECKED) {
        if (m_model->HasCheckBoxes())
            m_model->ChangeChecks(rows, ReportModel::CheckChange::Check);
        else
            succeeded = false;
    }
    if ((flags & RS_UNCHECKED) && m_model->HasCheckBoxes())
        m_model->ChangeChecks(rows, ReportModel::CheckChange::Uncheck);
    if (flags & RS_FOCUSED)
        SetCurrentRow(rows.back());
    if ((flags & RS_UNFOCUSED) && std::binary_search(rows.begin(), rows.end(), CurrentRow()))
        SetCurrentRow(-1);
    return succeeded;
}

bool CReportCtrl::ApplyRowStateFlags(int row, int flags)
{
    if (flags == 0 || !IsRow(row))
        return false;
    return ApplyToRows({row}, flags);
}

int CReportCtrl::CountMatchingRows(int filter) const
{
    if (filter & RS_ANY)
        return RowCount();
    return int(MatchingRows(filter).size());
}

int CReportCtrl::NextMatchingRow(int filter, int startAfter) const
{
    if (filter == 0)
        return -1;
    for (int row = std::max(startAfter, -1) + 1, total = RowCount(); row < total; ++row) {
        if (FilterMatches(filter, RowStateFlags(row)))
            return row;
    }
    return -1;
}

int CReportCtrl::ApplyToMatchingRows(int filter, int flags)
{
    if (filter == 0 || flags == 0)
        return 0;
    const std::vector<int> rows = MatchingRows(filter);
    ApplyToRows(rows, flags);
    return int(rows.size());
}

void CReportCtrl::InvertRows(int which)
{
    const int total = RowCount();
    if (total == 0 || ColumnCount() == 0)
        return;
    if (which == INVERT_SELECTION) {
        const QItemSelection all(m_model->index(0, 0), m_model->index(total - 1, ColumnCount() - 1));
        selectionModel()->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    } else if (which == INVERT_CHECKS && m_model->HasCheckBoxes()) {
        std::vector<int> rows(static_cast<std::size_t>(total));
        std::iota(rows.begin(), rows.end(), 0);
        m_model->ChangeChecks(rows, ReportModel::CheckChange::Toggle);
    }
}

// ---- Columns ---------------------------------------------------------------------------------

int CReportCtrl::AddColumn(int index, const QString& heading, Qt::Alignment alignment, int width)
{
    EndCellEdit(true);
    const int column = m_model->InsertColumn(index, heading, alignment);
    if (column < 0)
        return -1;
    m_columnRecords.insert(column, ColumnRecord{true, std::max(width, 0), -1});
    if (width >= 0)
        header()->resizeSection(column, width);
    return column;
}

bool CReportCtrl::IsColumnShown(int column) const
{
    const std::optional<ColumnRecord> record = ColumnRecordAt(column);
    return record && record->shown;
}

std::optional<ColumnRecord> CReportCtrl::ColumnRecordAt(int column) const
{
    if (column < 0 || column >= m_columnRecords.size())
        return std::nullopt;
    return m_columnRecords.at(column);
}

bool CReportCtrl::FitColumn(int column, bool useHeader)
{
    const auto fit = [this, useHeader](int c) {
        if (header()->isSectionHidden(c))
            return;
        int width = std::max(sizeHintForColumn(c), 0);
        if (useHeader)
            width = std::max(width, header()->sectionSizeHint(c));
        header()->resizeSection(c, std::max(width, header()->minimumSectionSize()));
    };
    if (column == -1) {
        for (int c = 0; c < ColumnCount(); ++c)
            fit(c);
        return true;
    }
    if (column < 0 || column >= ColumnCount())
        return false;
    fit(column);
    return true;
}

bool CReportCtrl::ShowColumn(int column, bool show)
{
    if (column < 0 || column >= ColumnCount() || column >= m_columnRecords.size())
        return false;
    ColumnRecord& record = m_columnRecords[column];
    QHeaderView* const head = header();
    // Hiding a hidden column would remember width 0; showing a shown one would move it.
    if (show == !head->isSectionHidden(column)) {
        record.shown = show;
        return true;
    }
    EndCellEdit(true);
    const UpdatesOff updatesOff(this);
    const QScopedValueRollback<bool> moving(m_movingSections, true);
    if (show) {
        head->showSection(column);
        head->moveSection(head->visualIndex(column), head->count() - 1);
        record.shown = true;
        head->resizeSection(column, record.width & 0xFFFF);
    } else {
        const int width = head->sectionSize(column);
        head->moveSection(head->visualIndex(column), 0);
        head->hideSection(column);
        record.shown = false;
        record.width = width;
        record.restorePosition = ColumnCount();
    }
    viewport()->update();
    head->viewport()->update();
    return true;
}

// A column dragged in front of the hidden ones (which are gathered at the left end) moves on to
// the first shown place.
void CReportCtrl::KeepMovedSectionShown(int logical, int oldVisual, int newVisual)
{
    Q_UNUSED(oldVisual);
    QHeaderView* const head = header();
    if (m_movingSections || head->isSectionHidden(logical))
        return;
    const int hidden = head->hiddenSectionCount();
    if (newVisual >= hidden)
        return;
    const QScopedValueRollback<bool> moving(m_movingSections, true);
    head->moveSection(newVisual, hidden);
}

std::unique_ptr<QMenu> CReportCtrl::BuildColumnMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    for (int column = 0; column < ColumnCount(); ++column) {
        if (column == 3 || column == 12)
            menu->addSeparator();
        QAction* action = menu->addAction(m_model->headerData(column, Qt::Horizontal).toString());
        action->setData(column);
        action->setCheckable(true);
        action->setChecked(IsColumnShown(column));
        action->setEnabled(column >= 2);
        connect(action, &QAction::triggered, this, [this, column] {
            if (column >= 2 && column < ColumnCount()) // Name and Path stay shown
                ShowColumn(column, !IsColumnShown(column));
        });
    }
    return menu;
}

bool CReportCtrl::OnHeaderMenu(const QPoint& globalPos)
{
    if (isHeaderHidden() || !header()->rect().contains(header()->mapFromGlobal(globalPos)))
        return false;
    const std::unique_ptr<QMenu> menu = BuildColumnMenu();
    if (m_menuRunner)
        m_menuRunner(*menu, globalPos);
    else
        menu->exec(globalPos);
    return true;
}

void CReportCtrl::SetMenuRunner(MenuRunner runner)
{
    m_menuRunner = std::move(runner);
}

void CReportCtrl::ApplyColumnLayout(const QList<ColumnLayoutEntry>& layout)
{
    const int columns = std::min({int(layout.size()), ColumnCount(), int(m_columnRecords.size())});
    for (int column = 0; column < columns; ++column) {
        const ColumnLayoutEntry& entry = layout.at(column);
        const int width = std::clamp(entry.width, 0, 0xFFFF);
        if (entry.shown) {
            m_columnRecords[column].width = std::max(width, header()->minimumSectionSize());
            if (IsColumnShown(column))
                header()->resizeSection(column, m_columnRecords[column].width);
            else
                ShowColumn(column, true);
        } else {
            ShowColumn(column, false);
            m_columnRecords[column].width = width;
        }
    }
}

QList<ColumnLayoutEntry> CReportCtrl::CurrentColumnLayout() const
{
    QList<ColumnLayoutEntry> layout;
    for (int column = 0; column < ColumnCount() && column < m_columnRecords.size(); ++column) {
        const bool shown = IsColumnShown(column);
        layout.append({shown, shown ? header()->sectionSize(column) : m_columnRecords.at(column).width});
    }
    return layout;
}

// ---- Look ------------------------------------------------------------------------------------

std::uint32_t CReportCtrl::SetListExStyle(std::uint32_t style)
{
    const std::uint32_t previous = m_exStyle;
    m_exStyle = style | LES_FULLROWSELECT | LES_SUBITEMIMAGES;
    m_model->SetCheckBoxes((m_exStyle & LES_CHECKBOXES) != 0);
    const bool movable = (m_exStyle & LES_HEADERDRAGDROP) != 0;
    header()->setSectionsMovable(movable);
    header()->setFirstSectionMovable(movable);
    return previous;
}

void CReportCtrl::SetSmallImages(const QList<QIcon>& images)
{
    m_model->SetSmallImages(images);
}

void CReportCtrl::SetHeaderImages(const QList<QIcon>& images)
{
    m_model->SetHeaderImages(images);
}

bool CReportCtrl::SetHeaderIcon(int column, int image, bool imageOnLeft)
{
    if (column < 0 || column >= ColumnCount())
        return false;
    if (m_model->HeaderImages().isEmpty())
        m_model->SetHeaderImages(m_model->SmallImages());
    return m_model->SetHeaderImage(column, image, imageOnLeft);
}

bool CReportCtrl::SetHeaderClickable(bool clickable)
{
    if (isHeaderHidden())
        return false;
    header()->setSectionsClickable(clickable);
    header()->viewport()->update();
    return true;
}

void CReportCtrl::SetSortKeys(const QList<ColumnSortInfo>& keys)
{
    m_sortKeys.clear();
    for (const ColumnSortInfo& key : keys) {
        if (m_sortKeys.size() == kMaxSortKeys)
            break;
        const bool known = std::any_of(m_sortKeys.cbegin(), m_sortKeys.cend(),
                                       [&key](const ColumnSortInfo& k) { return k.column == key.column; });
        if (!known)
            m_sortKeys.append(key);
    }
}

// ---- Sorting --------------------------------------------------------------------------------

void CReportCtrl::ClickColumn(int column)
{
    std::int32_t ascending = 1;
    for (qsizetype i = 0; i < m_sortKeys.size(); ++i) {
        if (m_sortKeys.at(i).column != column)
            continue;
        ascending = m_sortKeys.at(i).ascending != 0 ? 1 : 0;
        if (i == 0)
            ascending = 1 - ascending;
        m_sortKeys.removeAt(i);
        break;
    }
    m_sortKeys.prepend({column, ascending});
    while (m_sortKeys.size() > kMaxSortKeys)
        m_sortKeys.removeLast();
    EndCellEdit(true);
    if (column >= 0 && column < ColumnCount() && !isHeaderHidden() && header()->sectionsClickable())
        SortRows(0, RowCount() - 1, true);
}

bool CReportCtrl::SortRows(int first, int last, bool highlight)
{
    if (m_sortKeys.isEmpty())
        return false;
    g_listBusy = true;
    bool result = false;
    {
        const UpdatesOff updatesOff(this);
        const ColumnSortInfo key = m_sortKeys.front();
        const bool ascending = key.ascending != 0;
        SortRowRange(first, last, key.column, ascending);
        if (key.column >= 0 && key.column < ColumnCount()) {
            header()->setSortIndicatorShown(true);
            header()->setSortIndicator(key.column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        }
        const int column = key.column;
        QMetaObject::invokeMethod(this, [this, column, ascending] { Q_EMIT sorted(column, ascending); },
                                  Qt::QueuedConnection);
        result = RepaintStripes(highlight);
    }
    g_listBusy = false;
    return result;
}

bool CReportCtrl::SortRowRange(int first, int last, int column, bool ascending)
{
    if (first < 0 || first >= last || last >= RowCount())
        return false;
    const int count = last - first + 1;
    std::vector<const RowRecord*> rows(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        rows[std::size_t(i)] = m_model->Row(first + i);
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    QuickSortRows(order, 0, count - 1, column, ascending, rows, m_sortKeys);
    return m_model->ReorderRows(first, order);
}

// ---- In-place editing ------------------------------------------------------------------------

bool CReportCtrl::IsCellEditing() const
{
    return IsRow(m_editCell.row) && m_editCell.column >= 0 && m_editCell.column < ColumnCount();
}

bool CReportCtrl::EndCellEdit(bool commit)
{
    Q_UNUSED(commit);
    if (!IsCellEditing())
        return false;
    // The editor's commit or discard of the cell goes here.
    m_editCell = {};
    return false;
}
