#pragma once
// The mounted volumes that stand in for drives: read from /proc/self/mountinfo rather than
// QStorageInfo, because QStorageInfo runs statvfs on every mount and a dead NFS or sshfs
// server blocks that call for good. Nothing here stats or statvfs a network mount.
//
// What is listed: "/" (whatever its type, a container root on overlay included), block-device
// mounts (source under /dev/, except loop-mounted squashfs images such as snaps), network file
// systems and the current user's gvfs mount (/run/user/UID/gvfs, whose sub-folders are the
// places). Pseudo and memory file systems (proc, sysfs, cgroup, devpts, tmpfs, overlay
// elsewhere than "/", ...) never have a /dev source and so fall out without a list of names.
//
// Bind mounts: entries of one device (major:minor) with the same root are shown once, and an
// entry whose root lies inside another listed root of the same device (a bind of a sub-folder)
// is dropped. "/" always wins; among the others the wider root, then the earlier line in
// mountinfo (normally the original mount), wins. A later "/" line replaces an earlier one.
//
// Threads: every function is reentrant; call them from any thread.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

enum class DriveType { Fixed, Removable, CdRom, Network };

struct MountEntry {
    QString mountPoint;  // escapes decoded
    QString fsType;
    QString source;      // escapes decoded; "server:/export", "//server/share", "/dev/sdb1", ...
    QString root;        // the folder of the file system that is mounted here
    QString device;      // "major:minor"
    QString label;       // volume label from /dev/disk/by-label, empty when none
    DriveType type = DriveType::Fixed;
    bool gvfsRoot = false;  // the user's gvfs mount: its sub-folders are the network places

    bool operator==(const MountEntry&) const = default;
};

// Where the classification looks; the defaults are the live system, tests pass fake trees.
struct MountSources {
    QString sysfsRoot = QStringLiteral("/sys");
    QString byLabelDir = QStringLiteral("/dev/disk/by-label");
    unsigned uid = 0;  // for /run/user/UID/gvfs
};

MountSources LiveMountSources();

// The volumes described by mountinfo text: "/" first, then by mount point (exact comparison).
// Malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(const QByteArray& text, const MountSources& sources);

// ParseMountInfo of /proc/self/mountinfo with the live sources; local entries whose mount point
// is not a folder (files bind-mounted by container runtimes) are dropped. Empty when the file
// cannot be read.
std::vector<MountEntry> ReadMountTable();

// "\040" and the other octal escapes of mountinfo fields.
QString DecodeMountInfoField(const QByteArray& field);
// "\x20" escapes of the names in /dev/disk/by-label.
QString DecodeLabelName(const QByteArray& name);

bool IsNetworkFileSystem(const QString& fsType);

// "<label> (<mount point>)"; without a label the last component of the mount point stands in
// for it; "/" without a label stays "/".
QString DriveDisplayName(const MountEntry& entry);

// The places below the user's gvfs mount (one sub-folder per connected server or share), sorted
// by name. Reading the gvfs root only asks the local gvfs daemon, not the servers; it is still a
// FUSE folder, so a hung daemon can stall it: keep it off the paint path.
QStringList GvfsPlaces(const QString& gvfsMountPoint);

// The entry whose mount point is the longest prefix of path (at a separator), or null.
const MountEntry* FindMountFor(const std::vector<MountEntry>& table, const QString& path);
