// Mounted volumes from /proc/self/mountinfo, classified with sysfs and /dev/disk/by-label.

#include "platform/MountTable.h"

#include "platform/SpecialFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QString LastComponent(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

// The first line of a small sysfs file, empty when it cannot be read.
QByteArray ReadSmallFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(64).trimmed();
}

// The kernel's name of the device ("sdb1", "sr0", "dm-0") and whether its disk is removable,
// through /sys/dev/block/<major:minor>, which links to the device's folder; a partition's disk
// is the folder above it.
struct BlockInfo {
    QString kernelName;
    bool removable = false;
};

BlockInfo LookUpBlockDevice(const QString& sysfsRoot, const QString& device)
{
    BlockInfo info;
    const QString link = sysfsRoot + QStringLiteral("/dev/block/") + device;
    const QString devDir = QFileInfo(link).canonicalFilePath();
    if (devDir.isEmpty())
        return info;
    info.kernelName = LastComponent(devDir);
    QString diskDir = devDir;
    if (QFileInfo::exists(devDir + QStringLiteral("/partition")))
        diskDir = QFileInfo(devDir).absolutePath();
    info.removable = ReadSmallFile(diskDir + QStringLiteral("/removable")) == "1";
    return info;
}

// Label by kernel device name, from the links in by-label ("My\x20Disk" -> ../../sdb1).
QHash<QString, QString> ReadLabels(const QString& byLabelDir)
{
    QHash<QString, QString> labels;
    const QDir dir(byLabelDir);
    const QStringList names = dir.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString target = QFileInfo(dir.filePath(name)).symLinkTarget();
        if (target.isEmpty())
            continue;
        labels.insert(LastComponent(target), DecodeLabelName(QFile::encodeName(name)));
    }
    return labels;
}

bool IsUnder(const QString& path, const QString& folder)
{
    return path != folder && PathHasPrefix(path, folder);
}

}  // namespace

QString DecodeMountInfoField(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2])
            && IsOctal(field[i + 3])) {
            out += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return QFile::decodeName(out);
}

QString DecodeLabelName(const QByteArray& name)
{
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const int high = HexValue(name[i + 2]);
            const int low = HexValue(name[i + 3]);
            if (high >= 0 && low >= 0) {
                out += char(high * 16 + low);
                i += 3;
                continue;
            }
        }
        out += name[i];
    }
    return QString::fromUtf8(out);
}

bool IsNetworkFileSystem(const QString& fsType)
{
    static const QStringList kTypes = {
        QStringLiteral("nfs"),        QStringLiteral("nfs4"),         QStringLiteral("cifs"),
        QStringLiteral("smb3"),       QStringLiteral("smbfs"),        QStringLiteral("fuse.sshfs"),
        QStringLiteral("sshfs"),      QStringLiteral("davfs"),        QStringLiteral("fuse.davfs2"),
        QStringLiteral("fuse.rclone"), QStringLiteral("ncpfs"),       QStringLiteral("afs"),
    };
    return kTypes.contains(fsType);
}

MountSources LiveMountSources()
{
    MountSources sources;
    sources.uid = getuid();
    return sources;
}

std::vector<MountEntry> ParseMountInfo(const QByteArray& text, const MountSources& sources)
{
    const QString gvfsPoint = QStringLiteral("/run/user/%1/gvfs").arg(sources.uid);
    std::vector<MountEntry> kept;
    QHash<QString, QString> labels;
    bool labelsRead = false;

    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // id parent major:minor root mount-point options [optional...] - type source super-options
        const qsizetype dash = fields.indexOf(QByteArray("-"), 6);
        if (dash < 6 || dash + 2 >= fields.size())
            continue;
        MountEntry entry;
        entry.device = QString::fromLatin1(fields[2]);
        entry.root = DecodeMountInfoField(fields[3]);
        entry.mountPoint = DecodeMountInfoField(fields[4]);
        entry.fsType = DecodeMountInfoField(fields[dash + 1]);
        entry.source = DecodeMountInfoField(fields[dash + 2]);

        const bool isRoot = entry.mountPoint == QStringLiteral("/");
        const bool network = IsNetworkFileSystem(entry.fsType);
        const bool gvfs = entry.mountPoint == gvfsPoint && entry.fsType.startsWith(QStringLiteral("fuse.gvfs"));
        const bool block = entry.source.startsWith(QStringLiteral("/dev/"))
            && !(entry.fsType == QStringLiteral("squashfs") && entry.source.startsWith(QStringLiteral("/dev/loop")));
        if (!isRoot && !network && !gvfs && !block)
            continue;

        if (network || gvfs) {
            // No sysfs or label look-up: nothing about a network mount is worth a blocking call.
            entry.type = DriveType::Network;
            entry.gvfsRoot = gvfs;
        } else if (block) {
            const BlockInfo info = LookUpBlockDevice(sources.sysfsRoot, entry.device);
            const QString kernelName = info.kernelName.isEmpty() ? LastComponent(entry.source) : info.kernelName;
            if (entry.fsType == QStringLiteral("iso9660") || entry.fsType == QStringLiteral("udf")
                || kernelName.startsWith(QStringLiteral("sr")))
                entry.type = DriveType::CdRom;
            else if (info.removable || PathHasPrefix(entry.mountPoint, QStringLiteral("/media"))
                     || PathHasPrefix(entry.mountPoint, QStringLiteral("/run/media")))
                entry.type = DriveType::Removable;
            if (!labelsRead) {
                labels = ReadLabels(sources.byLabelDir);
                labelsRead = true;
            }
            entry.label = labels.value(kernelName);
        }

        // A later "/" hides the earlier one (a container or chroot root mounted over it).
        if (isRoot)
            std::erase_if(kept, [](const MountEntry& seen) { return seen.mountPoint == QStringLiteral("/"); });

        // Bind duplicates: the same device with the same root, or a root inside a listed one.
        // "/" always stays; among the others the wider root, then the earlier line, wins.
        bool duplicate = false;
        if (!isRoot) {
            for (const MountEntry& seen : kept) {
                if (seen.device == entry.device && (seen.root == entry.root || IsUnder(entry.root, seen.root))) {
                    duplicate = true;
                    break;
                }
            }
        }
        if (!duplicate) {
            std::erase_if(kept, [&entry, isRoot](const MountEntry& seen) {
                return seen.device == entry.device && seen.mountPoint != QStringLiteral("/")
                    && (IsUnder(seen.root, entry.root) || (isRoot && seen.root == entry.root));
            });
            kept.push_back(entry);
        }
    }

    std::sort(kept.begin(), kept.end(), [](const MountEntry& a, const MountEntry& b) {
        const bool aRoot = a.mountPoint == QStringLiteral("/");
        const bool bRoot = b.mountPoint == QStringLiteral("/");
        if (aRoot != bRoot)
            return aRoot;
        return QString::compare(a.mountPoint, b.mountPoint, Qt::CaseSensitive) < 0;
    });
    return kept;
}

std::vector<MountEntry> ReadMountTable()
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // /proc files report size 0: read until the end.
    const QByteArray text = file.readAll();
    std::vector<MountEntry> table = ParseMountInfo(text, LiveMountSources());
    std::erase_if(table, [](const MountEntry& entry) {
        if (entry.type == DriveType::Network)
            return false;  // never stat a network mount point
        struct stat st {};
        const QByteArray native = QFile::encodeName(entry.mountPoint);
        if (lstat(native.constData(), &st) != 0)
            return true;
        return !S_ISDIR(st.st_mode);
    });
    return table;
}

QString DriveDisplayName(const MountEntry& entry)
{
    QString label = entry.label;
    if (label.isEmpty())
        label = LastComponent(entry.mountPoint);
    if (label.isEmpty())
        return entry.mountPoint;
    return QStringLiteral("%1 (%2)").arg(label, entry.mountPoint);
}

QStringList GvfsPlaces(const QString& gvfsMountPoint)
{
    QStringList places;
    const QDir dir(gvfsMountPoint);
    const QStringList names =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QString& name : names)
        places.append(dir.filePath(name));
    return places;
}

const MountEntry* FindMountFor(const std::vector<MountEntry>& table, const QString& path)
{
    const MountEntry* best = nullptr;
    for (const MountEntry& entry : table) {
        if (PathHasPrefix(path, entry.mountPoint)
            && (best == nullptr || entry.mountPoint.size() > best->mountPoint.size()))
            best = &entry;
    }
    return best;
}
