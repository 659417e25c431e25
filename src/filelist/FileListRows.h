#pragma once
// CFileListRows: the file list's rows on a CReportCtrl, and what belongs to them: the
// AudioFileInfo record of every row (owned here, attached to the row as its data), the small
// icons by MIME type, and the list totals.
//
// Threads: GUI thread only. A loader's worker probes files into ProbedRow values and hands
// them over (moved, queued) to the GUI thread, which passes them to AddRows; the worker never
// touches this object, the control or the records. m_fileCount, m_totalSizeMB and
// m_totalSeconds are written and read on the GUI thread alone.
//
// Every row of the control is added and removed through this object, so that records and
// totals stay in step with the rows; the control never frees a record. Moving and sorting rows
// on the control directly is fine (records travel with their rows). The control's small image
// list is this object's: it holds the icons looked up so far.

#include "filelist/FileListColumns.h"

#include <QHash>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QString>

#include <memory>
#include <unordered_map>
#include <vector>

class CReportCtrl;
class QMimeDatabase;

class CFileListRows {
public:
    // Works on `list`. When the control is destroyed first, this object just frees its records;
    // otherwise its destructor detaches them from the rows that remain.
    explicit CFileListRows(CReportCtrl* list);
    ~CFileListRows();
    CFileListRows(const CFileListRows&) = delete;
    CFileListRows& operator=(const CFileListRows&) = delete;

    // Inserts the eighteen columns (FileListColumns) with their headings, alignments and
    // default widths. Call once, on a control without columns.
    void SetUpColumns();

    // Appends one row per probed file in one go: texts, records, icons, the red "Unknown" of
    // unreadable files, and the stripes (RepaintStripes tints unreadable rows). Updates the
    // totals. Returns the first new row, or -1 when nothing was added (no rows, no columns).
    int AddRows(std::vector<ProbedRow> rows);

    // Removes a row and frees its record; the totals follow. With `selectFollowing` the row
    // after it is selected first (CReportCtrl::RemoveRow). False for an invalid row.
    bool RemoveRow(int row, bool selectFollowing = false);
    // Removes the rows matching `filter` (RowState flags, as CReportCtrl::RemoveRowsMatching)
    // and frees their records; returns how many went.
    int RemoveRowsMatching(int filter);
    // Removes every row.
    void Clear();

    int FileCount() const { return m_fileCount; }
    double TotalSizeMB() const { return m_totalSizeMB; }
    double TotalSeconds() const { return m_totalSeconds; }
    // The record of a row, or null for an invalid row.
    const AudioFileInfo* Record(int row) const;

private:
    // The index of the small image for a file name, looked up once per MIME type (and cached
    // per file suffix). Adds the icon to m_images when it is new.
    int ImageFor(const QString& fileName);
    // Sums the totals again over the remaining rows (after removals, so no rounding drift
    // builds up from repeated subtraction).
    void RecountTotals();
    void FreeRecords(const std::vector<AudioFileInfo*>& records);

    QPointer<CReportCtrl> m_list;
    std::unordered_map<const AudioFileInfo*, std::unique_ptr<AudioFileInfo>> m_records;

    int m_fileCount = 0;
    double m_totalSizeMB = 0;
    double m_totalSeconds = 0;

    std::unique_ptr<QMimeDatabase> m_mimeDatabase;
    QHash<QString, int> m_imageBySuffix;   // complete suffix ("tar.gz", "ogg") -> image
    QHash<QString, int> m_imageByMimeType; // MIME type name -> image
    QList<QIcon> m_images;                 // the control's small images
    bool m_imagesChanged = false;
};
