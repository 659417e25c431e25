// The extension table and the look-ups the file list and the CLI make with it.

#include "ExtensionTypeTable.h"

#include "AudioFileInfo.h"

const QHash<QString, std::uint8_t>& ExtensionTypeTable()
{
    static const QHash<QString, std::uint8_t> table{
        {QStringLiteral("OGG"), AFT_OGG_VORBIS},
        {QStringLiteral("MP3"), AFT_MP3},
    };
    return table;
}

QString FileExtensionText(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return (dot < 0 ? fileName : fileName.mid(dot + 1)).toUpper();
}

std::uint8_t FileTypeForName(const QString& fileName)
{
    return ExtensionTypeTable().value(FileExtensionText(fileName), AFT_UNKNOWN);
}
