#pragma once
// The file list's column headings, for tests that set up a report list like the file list's.

#include "filelist/FileListColumns.h"

#include <QStringList>

inline QStringList FileListHeadings()
{
    QStringList headings;
    for (const FileListColumnDef& column : FileListColumns())
        headings << QString::fromLatin1(column.title);
    return headings;
}
