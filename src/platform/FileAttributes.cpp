// File attributes: the name for "hidden", statx for compressed and encrypted.

#include "platform/FileAttributes.h"

#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>

bool IsHiddenName(const QString& pathOrName)
{
    QString name = pathOrName;
    while (name.size() > 1 && name.endsWith(QLatin1Char('/')))
        name.chop(1);
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    return name.startsWith(QLatin1Char('.')) && name != QStringLiteral(".") && name != QStringLiteral("..");
}

FileAttributes ReadFileAttributes(const QString& path, bool skipStatx)
{
    FileAttributes attributes;
    attributes.hidden = IsHiddenName(path);
    if (skipStatx || path.isEmpty())
        return attributes;

    struct statx stx {};
    const QByteArray native = QFile::encodeName(path);
    // AT_STATX_DONT_SYNC: take what the kernel has cached instead of asking a remote server.
    if (statx(AT_FDCWD, native.constData(), AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, STATX_TYPE, &stx) != 0)
        return attributes;
    attributes.exists = true;
    attributes.isDirectory = S_ISDIR(stx.stx_mode);
    attributes.compressedKnown = (stx.stx_attributes_mask & STATX_ATTR_COMPRESSED) != 0;
    attributes.encryptedKnown = (stx.stx_attributes_mask & STATX_ATTR_ENCRYPTED) != 0;
    attributes.compressed = attributes.compressedKnown && (stx.stx_attributes & STATX_ATTR_COMPRESSED) != 0;
    attributes.encrypted = attributes.encryptedKnown && (stx.stx_attributes & STATX_ATTR_ENCRYPTED) != 0;
    return attributes;
}
