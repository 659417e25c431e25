#pragma once
// Which file type a file name stands for, judged by its extension alone.

#include <QHash>
#include <QString>
#include <cstdint>

// The process-wide table from an upper-case extension without its dot ("OGG") to an
// AudioFileType code. Built on first use; safe to read from any thread.
const QHash<QString, std::uint8_t>& ExtensionTypeTable();

// The text after the last "." of `fileName`, upper-cased; the whole name upper-cased when it
// has no ".". `fileName` is a bare name, not a path: a "." in a folder name would count.
QString FileExtensionText(const QString& fileName);

// The table's type code for the extension of `fileName`, AFT_UNKNOWN (0) when it has none.
std::uint8_t FileTypeForName(const QString& fileName);
