// The file list's rows, their records, icons and totals (GUI thread).

#include "FileListRows.h"

#include "reportctrl/ReportCtrl.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QStyle>

CFileListRows::CFileListRows(CReportCtrl* list)
    : m_list(list)
    , m_mimeDatabase(std::make_unique<QMimeDatabase>())
{
}

CFileListRows::~CFileListRows()
{
    if (!m_list)
        return;
    for (int row = 0; row < m_list->RowCount(); ++row)
        if (m_records.count(m_list->RowData(row)) != 0)
            m_list->AttachRowData(row, nullptr);
}

void CFileListRows::SetUpColumns()
{
    if (!m_list)
        return;
    for (const FileListColumnDef& column : FileListColumns())
        m_list->AddColumn(m_list->ColumnCount(), QString::fromLatin1(column.title), column.alignment,
                          column.defaultWidth);
}

int CFileListRows::ImageFor(const QString& fileName)
{
    const qsizetype dot = fileName.indexOf(u'.');
    const QString suffix = dot >= 0 ? fileName.mid(dot + 1) : QString();
    if (dot >= 0) {
        const auto found = m_imageBySuffix.constFind(suffix);
        if (found != m_imageBySuffix.cend())
            return *found;
    }
    // By name only: the GUI thread never reads the file.
    const QMimeType mimeType = m_mimeDatabase->mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    int image = m_imageByMimeType.value(mimeType.name(), -1);
    if (image < 0) {
        QIcon icon = QIcon::fromTheme(mimeType.iconName(), QIcon::fromTheme(mimeType.genericIconName()));
        if (icon.isNull())
            icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
        image = int(m_images.size());
        m_images.append(icon);
        m_imagesChanged = true;
        m_imageByMimeType.insert(mimeType.name(), image);
    }
    if (dot >= 0)
        m_imageBySuffix.insert(suffix, image);
    return image;
}

int CFileListRows::AddRows(std::vector<ProbedRow> rows)
{
    if (!m_list || rows.empty() || m_list->ColumnCount() == 0)
        return -1;

    QList<QStringList> texts;
    texts.reserve(qsizetype(rows.size()));
    std::vector<char> typeInRed(rows.size());
    std::vector<int> images(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        FileRowTexts row = MakeFileRow(rows[i].path, rows[i].info, rows[i].lastModified);
        typeInRed[i] = row.typeInRed;
        images[i] = ImageFor(row.cells.at(FLC_NAME));
        texts.append(std::move(row.cells));
    }
    if (m_imagesChanged) {
        m_list->SetSmallImages(m_images);
        m_imagesChanged = false;
    }

    const int first = m_list->InsertRows(m_list->RowCount(), texts);
    if (first < 0)
        return -1;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = first + int(i);
        auto record = std::make_unique<AudioFileInfo>(std::move(rows[i].info));
        m_totalSizeMB += record->sizeMB;
        m_totalSeconds += record->durationSeconds;
        m_list->AttachRowData(row, record.get());
        m_records.emplace(record.get(), std::move(record));
        m_list->PutCellImage(row, FLC_NAME, images[i]);
        if (typeInRed[i])
            m_list->PaintCellText(row, FLC_TYPE, kUnknownTypeColour, false);
    }
    m_fileCount += int(rows.size());
    m_list->RepaintStripes(true);
    return first;
}

const AudioFileInfo* CFileListRows::Record(int row) const
{
    return m_list ? m_list->RowData(row) : nullptr;
}

void CFileListRows::FreeRecords(const std::vector<AudioFileInfo*>& records)
{
    for (const AudioFileInfo* record : records)
        m_records.erase(record);
    RecountTotals();
}

void CFileListRows::RecountTotals()
{
    m_fileCount = 0;
    m_totalSizeMB = 0;
    m_totalSeconds = 0;
    if (!m_list)
        return;
    m_fileCount = m_list->RowCount();
    for (int row = 0; row < m_fileCount; ++row) {
        if (const AudioFileInfo* record = m_list->RowData(row)) {
            m_totalSizeMB += record->sizeMB;
            m_totalSeconds += record->durationSeconds;
        }
    }
}

bool CFileListRows::RemoveRow(int row, bool selectFollowing)
{
    if (!m_list || row < 0 || row >= m_list->RowCount())
        return false;
    AudioFileInfo* record = m_list->RowData(row);
    if (!m_list->RemoveRow(row, selectFollowing))
        return false;
    FreeRecords({record});
    return true;
}

int CFileListRows::RemoveRowsMatching(int filter)
{
    if (!m_list)
        return 0;
    std::vector<AudioFileInfo*> records;
    for (int row = m_list->NextMatchingRow(filter, -1); row >= 0; row = m_list->NextMatchingRow(filter, row))
        records.push_back(m_list->RowData(row));
    const int removed = m_list->RemoveRowsMatching(filter);
    FreeRecords(records);
    return removed;
}

void CFileListRows::Clear()
{
    RemoveRowsMatching(RS_ANY);
}
