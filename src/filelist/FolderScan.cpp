#include "FolderScan.h"

#include <QDir>
#include <QFileInfo>

QStringList ScanFolder(const QString& folder, bool recursive, const QStringList& extensions)
{
    QStringList patterns;
    for (const QString& extension : extensions)
        patterns << QStringLiteral("*.") + extension; // name filters ignore case
    const QDir dir(folder);
    QStringList found;
    for (const QFileInfo& file :
         dir.entryInfoList(patterns, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
        // Without QDir::System no FIFO, socket or device is listed; isFile() also drops
        // links to them.
        if (file.isFile())
            found << file.absoluteFilePath();
    }
    if (!recursive)
        return found;
    for (const QFileInfo& sub : dir.entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name))
        if (!sub.isSymLink())
            found << ScanFolder(sub.absoluteFilePath(), true, extensions);
    return found;
}
