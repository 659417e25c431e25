// Known folders and the Samba usershare list.

#include "platform/SpecialFolders.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

QString DesktopFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString HomeFolder()
{
    return QDir::homePath();
}

QString MusicFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
}

bool PathHasPrefix(const QString& path, const QString& prefix)
{
    if (path.isEmpty() || prefix.isEmpty())
        return false;
    const QString cleanPath = QDir::cleanPath(path);
    const QString cleanPrefix = QDir::cleanPath(prefix);
    if (!cleanPath.startsWith(cleanPrefix, Qt::CaseSensitive))
        return false;
    return cleanPath.size() == cleanPrefix.size() || cleanPrefix.endsWith(QLatin1Char('/'))
        || cleanPath.at(cleanPrefix.size()) == QLatin1Char('/');
}

ShareList ShareList::Read(const QString& usershareFolder)
{
    ShareList list;
    const QDir dir(usershareFolder);
    const QStringList names = dir.entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& name : names) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        // A share file is a few short lines; a cap keeps a stray large file from being read.
        while (!file.atEnd() && file.pos() < 64 * 1024) {
            const QByteArray line = file.readLine(4096).trimmed();
            if (line.startsWith("path=")) {
                const QString path = QString::fromUtf8(line.mid(5));
                if (path.startsWith(QLatin1Char('/')))
                    list.m_paths.append(QDir::cleanPath(path));
                break;
            }
        }
    }
    return list;
}

bool ShareList::IsShared(const QString& path) const
{
    if (path.isEmpty())
        return false;
    return m_paths.contains(QDir::cleanPath(path), Qt::CaseSensitive);
}
