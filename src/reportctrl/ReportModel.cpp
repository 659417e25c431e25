#include "ReportModel.h"

#include "platform/WinColor.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace {

QVariant ColourRole(std::uint32_t colour)
{
    if (colour == kSystemColour)
        return {};
    return QBrush(FromWinColor(colour));
}

// The text colour of a cell that keeps the palette's text colour but has a background of its
// own: the palette's, unless that would be unreadable on the background (the light text of a
// dark desktop theme on the light stripes); then black or white.
QVariant TextOn(std::uint32_t back)
{
    const QColor text = QGuiApplication::palette().color(QPalette::Text);
    const QColor background = FromWinColor(back);
    if (qAbs(text.lightness() - background.lightness()) >= 128)
        return {};
    return QBrush(background.lightness() >= 128 ? Qt::black : Qt::white);
}

} // namespace

ReportModel::ReportModel(QObject* parent) : QAbstractTableModel(parent) {}

int ReportModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ReportModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

bool ReportModel::IsCell(int row, int column) const
{
    return row >= 0 && row < int(m_rows.size()) && column >= 0 && column < int(m_columns.size());
}

QVariant ReportModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !IsCell(index.row(), index.column()))
        return {};
    const RowRecord& record = RowAt(index.row());
    const ReportCell& cell = record.cells[std::size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return cell.text;
    case Qt::ForegroundRole:
        if (cell.textColour == kSystemColour && cell.backColour != kSystemColour)
            return TextOn(cell.backColour);
        return ColourRole(cell.textColour);
    case Qt::BackgroundRole:
        return ColourRole(cell.backColour);
    case Qt::TextAlignmentRole:
        return int(ColumnAlignment(index.column()) | Qt::AlignVCenter);
    case Qt::DecorationRole: {
        const int image = CellImage(index.row(), index.column());
        if (image >= 0 && image < m_smallImages.size())
            return m_smallImages.at(image);
        return {};
    }
    case Qt::CheckStateRole:
        if (m_checkBoxes && index.column() == 0)
            return record.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool ReportModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    // Only the check box can be changed through the view (a click on it).
    if (role != Qt::CheckStateRole || !m_checkBoxes || !index.isValid() || index.column() != 0 ||
        !IsCell(index.row(), 0))
        return false;
    const bool checked = value.value<Qt::CheckState>() == Qt::Checked;
    RowAt(index.row()).checked = checked;
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ReportModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_checkBoxes && index.column() == 0)
        result |= Qt::ItemIsUserCheckable;
    return result;
}

QVariant ReportModel::HeaderIcon(int column, bool onLeft) const
{
    const ColumnInfo& info = m_columns[std::size_t(column)];
    if (info.headerImageOnLeft != onLeft || info.headerImage < 0 || info.headerImage >= m_headerImages.size())
        return {};
    return m_headerImages.at(info.headerImage);
}

QVariant ReportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(m_columns.size()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_columns[std::size_t(section)].heading;
    case Qt::TextAlignmentRole:
        return int(ColumnAlignment(section) | Qt::AlignVCenter);
    case Qt::DecorationRole:
        return HeaderIcon(section, true);
    case HeaderIconRightRole:
        return HeaderIcon(section, false);
    default:
        return {};
    }
}

int ReportModel::InsertColumn(int index, const QString& heading, Qt::Alignment alignment)
{
    if (index < 0)
        return -1;
    const int column = std::min(index, int(m_columns.size()));
    beginInsertColumns({}, column, column);
    m_columns.insert(m_columns.begin() + column, ColumnInfo{heading, alignment & Qt::AlignHorizontal_Mask});
    for (const std::unique_ptr<RowRecord>& record : m_rows) {
        record->cells.insert(record->cells.begin() + column, ReportCell{});
        if (!record->images.empty())
            record->images.insert(record->images.begin() + column, -1);
    }
    endInsertColumns();
    return column;
}

Qt::Alignment ReportModel::ColumnAlignment(int column) const
{
    if (column < 0 || column >= int(m_columns.size()))
        return Qt::AlignLeft;
    return m_columns[std::size_t(column)].alignment;
}

bool ReportModel::SetHeaderImage(int column, int image, bool onLeft)
{
    if (column < 0 || column >= int(m_columns.size()))
        return false;
    ColumnInfo& info = m_columns[std::size_t(column)];
    info.headerImage = image;
    info.headerImageOnLeft = onLeft;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
    return true;
}

void ReportModel::SetHeaderImages(const QList<QIcon>& images)
{
    m_headerImages = images;
    if (!m_columns.empty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(m_columns.size()) - 1);
}

void ReportModel::SetSmallImages(const QList<QIcon>& images)
{
    m_smallImages = images;
    NotifyAllCells({Qt::DecorationRole});
}

int ReportModel::InsertRows(int index, const QList<QStringList>& rows)
{
    if (rows.isEmpty() || m_columns.empty())
        return -1;
    const int first = std::clamp(index, 0, int(m_rows.size()));
    const std::size_t columns = m_columns.size();
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    std::vector<std::unique_ptr<RowRecord>> added(std::size_t(rows.size()));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QStringList& texts = rows.at(i);
        added[std::size_t(i)] = std::make_unique<RowRecord>();
        std::vector<ReportCell>& cells = added[std::size_t(i)]->cells;
        cells.resize(columns);
        const std::size_t given = std::min(columns, std::size_t(texts.size()));
        for (std::size_t column = 0; column < given; ++column)
            cells[column].text = texts.at(qsizetype(column));
    }
    m_rows.insert(m_rows.begin() + first, std::make_move_iterator(added.begin()),
                  std::make_move_iterator(added.end()));
    endInsertRows();
    return first;
}

bool ReportModel::RemoveRowRange(int first, int count)
{
    if (first < 0 || count <= 0 || count > int(m_rows.size()) - first)
        return false;
    beginRemoveRows({}, first, first + count - 1);
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + first + count);
    endRemoveRows();
    return true;
}

void ReportModel::RemoveAllRows()
{
    if (m_rows.empty())
        return;
    beginRemoveRows({}, 0, int(m_rows.size()) - 1);
    m_rows.clear();
    m_rows.shrink_to_fit();
    endRemoveRows();
}

bool ReportModel::MoveRowTo(int row, int target)
{
    const int rowTotal = int(m_rows.size());
    if (row < 0 || row >= rowTotal || target < 0 || target >= rowTotal || row == target)
        return false;
    // A removal and an insertion rather than beginMoveRows: QItemSelectionModel answers a move
    // with a persistent index for every selected cell, which takes minutes once thousands of
    // rows are selected in more than one range. Removals and insertions only adjust its ranges.
    beginRemoveRows({}, row, row);
    std::unique_ptr<RowRecord> record = std::move(m_rows[std::size_t(row)]);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    beginInsertRows({}, target, target);
    m_rows.insert(m_rows.begin() + target, std::move(record));
    endInsertRows();
    return true;
}

bool ReportModel::ReorderRows(int first, const std::vector<int>& order)
{
    const int count = int(order.size());
    if (first < 0 || count > int(m_rows.size()) - first)
        return false;
    std::vector<int> newPlace(order.size(), -1); // old offset -> new offset
    for (int i = 0; i < count; ++i) {
        const int old = order[std::size_t(i)];
        if (old < 0 || old >= count || newPlace[std::size_t(old)] != -1)
            return false;
        newPlace[std::size_t(old)] = i;
    }
    if (count < 2)
        return true;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<std::unique_ptr<RowRecord>> moved(order.size());
    for (int i = 0; i < count; ++i)
        moved[std::size_t(i)] = std::move(m_rows[std::size_t(first + order[std::size_t(i)])]);
    std::move(moved.begin(), moved.end(), m_rows.begin() + first);

    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from) {
        const int row = index.row();
        if (row >= first && row < first + count)
            to.append(this->index(first + newPlace[std::size_t(row - first)], index.column()));
        else
            to.append(index);
    }
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    return true;
}

const RowRecord* ReportModel::Row(int row) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return nullptr;
    return m_rows[std::size_t(row)].get();
}

bool ReportModel::SetRowData(int row, AudioFileInfo* data)
{
    if (row < 0 || row >= int(m_rows.size()))
        return false;
    RowAt(row).data = data;
    return true;
}

bool ReportModel::SetCellText(int row, int column, const QString& text)
{
    if (!IsCell(row, column))
        return false;
    RowAt(row).cells[std::size_t(column)].text = text;
    const QModelIndex cell = index(row, column);
    Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole});
    return true;
}

QString ReportModel::CellText(int row, int column) const
{
    if (!IsCell(row, column))
        return {};
    return RowAt(row).cells[std::size_t(column)].text;
}

bool ReportModel::SetCellImage(int row, int column, int image)
{
    if (!IsCell(row, column))
        return false;
    std::vector<std::int32_t>& images = RowAt(row).images;
    if (images.empty()) {
        if (image < 0)
            return true;
        images.assign(m_columns.size(), -1);
    }
    images[std::size_t(column)] = std::max(image, -1);
    const QModelIndex cell = index(row, column);
    Q_EMIT dataChanged(cell, cell, {Qt::DecorationRole});
    return true;
}

int ReportModel::CellImage(int row, int column) const
{
    if (!IsCell(row, column))
        return -1;
    const std::vector<std::int32_t>& images = RowAt(row).images;
    return images.empty() ? -1 : images[std::size_t(column)];
}

void ReportModel::SetTextColours(int row, int column, std::uint32_t colour)
{
    SetColours(row, column, colour, true);
}

void ReportModel::SetBackColours(int row, int column, std::uint32_t colour)
{
    SetColours(row, column, colour, false);
}

void ReportModel::SetColours(int row, int column, std::uint32_t colour, bool text)
{
    const int rowTotal = int(m_rows.size());
    const int columnTotal = int(m_columns.size());
    if (rowTotal == 0 || columnTotal == 0)
        return;
    const bool rowValid = row >= 0 && row < rowTotal;
    const bool columnValid = column >= 0 && column < columnTotal;
    const int firstRow = rowValid ? row : 0;
    const int lastRow = rowValid ? row : rowTotal - 1;
    const int firstColumn = columnValid ? column : 0;
    const int lastColumn = columnValid ? column : columnTotal - 1;
    for (int r = firstRow; r <= lastRow; ++r) {
        std::vector<ReportCell>& cells = RowAt(r).cells;
        for (int c = firstColumn; c <= lastColumn; ++c)
            (text ? cells[std::size_t(c)].textColour : cells[std::size_t(c)].backColour) = colour;
    }
    Q_EMIT dataChanged(index(firstRow, firstColumn), index(lastRow, lastColumn),
                       {text ? Qt::ForegroundRole : Qt::BackgroundRole});
}

void ReportModel::NotifyAllCells(const QList<int>& roles)
{
    if (m_rows.empty() || m_columns.empty())
        return;
    Q_EMIT dataChanged(index(0, 0), index(int(m_rows.size()) - 1, int(m_columns.size()) - 1), roles);
}

void ReportModel::SetCheckBoxes(bool on)
{
    if (on == m_checkBoxes)
        return;
    m_checkBoxes = on;
    if (!on) {
        for (const std::unique_ptr<RowRecord>& record : m_rows)
            record->checked = false;
    }
    // The check state and the flags of column 0 change with it.
    if (!m_rows.empty() && !m_columns.empty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_rows.size()) - 1, 0), {Qt::CheckStateRole});
}

void ReportModel::ChangeChecks(const std::vector<int>& rows, CheckChange change)
{
    if (rows.empty() || m_columns.empty())
        return;
    for (const int row : rows) {
        bool& checked = RowAt(row).checked;
        checked = change == CheckChange::Toggle ? !checked : change == CheckChange::Check;
    }
    Q_EMIT dataChanged(index(rows.front(), 0), index(rows.back(), 0), {Qt::CheckStateRole});
}
