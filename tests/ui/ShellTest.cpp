// The shell stand-ins of the platform layer: the mount table, known folders and usershares, file
// attributes, and the folder operations (trash, delete, rename, new folder).

#include "QtPrinters.h"
#include "ScopedDataHome.h"
#include "platform/FileAttributes.h"
#include "platform/MountTable.h"
#include "platform/ShellOperations.h"
#include "platform/SpecialFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace {

bool WriteFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool Link(const QString& target, const QString& link)
{
    return QFile::link(target, link);
}

const char* TypeName(DriveType type)
{
    switch (type) {
    case DriveType::Fixed: return "fixed";
    case DriveType::Removable: return "removable";
    case DriveType::CdRom: return "cd";
    case DriveType::Network: return "network";
    }
    return "?";
}

QString Row(const MountEntry& e)
{
    return QStringLiteral("%1|%2|%3|%4|%5%6")
        .arg(e.mountPoint, QString::fromLatin1(TypeName(e.type)), e.fsType, e.source, e.label,
             e.gvfsRoot ? QStringLiteral("|gvfs") : QString());
}

// A fake sysfs and by-label folder matching the mountinfo fixture below.
class MountTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString sys = m_dir.filePath(QStringLiteral("sys"));
        ASSERT_TRUE(QDir().mkpath(sys + QStringLiteral("/dev/block")));
        // sdb: a removable USB disk with partition sdb1; sda: a fixed disk; sr0: the CD drive.
        AddDisk(sys, QStringLiteral("sdb"), "1", QStringLiteral("sdb1"), QStringLiteral("8:17"));
        AddDisk(sys, QStringLiteral("sda"), "0", QStringLiteral("sda2"), QStringLiteral("8:2"));
        AddDisk(sys, QStringLiteral("sr0"), "1", QString(), QStringLiteral("11:0"));

        const QString labels = m_dir.filePath(QStringLiteral("by-label"));
        ASSERT_TRUE(QDir().mkpath(labels));
        ASSERT_TRUE(Link(QStringLiteral("../../sdb1"), labels + QStringLiteral("/MY\\x20STICK")));
        ASSERT_TRUE(Link(QStringLiteral("../../sda2"), labels + QStringLiteral("/Data")));
        ASSERT_TRUE(Link(QStringLiteral("../../sr0"), labels + QStringLiteral("/Album\\x202024")));

        m_sources.sysfsRoot = sys;
        m_sources.byLabelDir = labels;
        m_sources.uid = 1000;
    }

    void AddDisk(const QString& sys, const QString& disk, const QByteArray& removable, const QString& partition,
                 const QString& device)
    {
        const QString diskDir = sys + QStringLiteral("/devices/") + disk;
        ASSERT_TRUE(QDir().mkpath(diskDir));
        ASSERT_TRUE(WriteFile(diskDir + QStringLiteral("/removable"), removable + "\n"));
        QString target = QStringLiteral("../../devices/") + disk;
        if (!partition.isEmpty()) {
            ASSERT_TRUE(QDir().mkpath(diskDir + QLatin1Char('/') + partition));
            ASSERT_TRUE(WriteFile(diskDir + QLatin1Char('/') + partition + QStringLiteral("/partition"), "2\n"));
            target += QLatin1Char('/') + partition;
        }
        ASSERT_TRUE(Link(target, sys + QStringLiteral("/dev/block/") + device));
    }

    QTemporaryDir m_dir;
    MountSources m_sources;
};

TEST_F(MountTableTest, ListsVolumesAndNetworkMountsWithTypesAndLabels)
{
    const QByteArray mountinfo =
        // A bind of a sub-folder of the root file system seen before "/" itself: "/" wins.
        "30 21 254:1 /srv/data /mnt/data rw,relatime - ext4 /dev/vda1 rw\n"
        "46 21 254:1 /home /mnt/home-bind rw,relatime - ext4 /dev/vda1 rw\n"
        "21 1 254:1 / / rw,relatime shared:1 - ext4 /dev/vda1 rw,errors=remount-ro\n"
        "47 21 254:1 /var/www /srv/www rw,relatime - ext4 /dev/vda1 rw\n"
        "22 21 0:21 / /proc rw,nosuid - proc proc rw\n"
        "23 21 0:22 / /sys rw,nosuid - sysfs sysfs rw\n"
        "24 21 0:24 / /run rw,nosuid - tmpfs tmpfs rw,mode=755\n"
        "25 24 0:25 / /run/user/1000 rw - tmpfs tmpfs rw,uid=1000\n"
        "26 23 0:26 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
        "27 21 0:6 / /dev rw - devtmpfs udev rw\n"
        "28 27 0:27 / /dev/pts rw - devpts devpts rw\n"
        "29 21 0:28 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw,lowerdir=/a\n"
        // The USB stick, removable only according to sysfs; then a bind of it: the first one stays.
        "31 21 8:17 / /mnt/My\\040Stick rw,nosuid shared:5 master:2 - vfat /dev/sdb1 rw\n"
        "32 21 8:17 / /mnt/stick-again rw - vfat /dev/sdb1 rw\n"
        "33 21 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
        "34 21 8:2 / /data rw - ext4 /dev/sda2 rw\n"
        "35 21 8:3 / /mnt/tab\\011and\\134back rw - ext4 /dev/sda3 rw\n"
        // udisks mount of a disk sysfs knows nothing about: removable by its place.
        "36 21 8:33 / /run/media/me/DISK rw - exfat /dev/sdc1 rw\n"
        "37 21 7:1 / /snap/core/17 ro - squashfs /dev/loop1 ro\n"
        "38 21 0:40 / /mnt/nfs rw - nfs4 server:/export rw,addr=10.0.0.1\n"
        "39 21 0:40 / /mnt/nfs-again rw - nfs4 server:/export rw\n"
        "40 21 0:41 / /mnt/share rw - cifs //nas/music rw\n"
        "41 21 0:42 / /home/me/remote rw - fuse.sshfs me@host:/home rw\n"
        "42 21 0:43 / /mnt/dav rw - fuse.davfs2 https://dav.example/ rw\n"
        "43 25 0:44 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
        "44 21 0:45 / /run/user/1001/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
        "45 21 0:46 / /broken rw - ext4\n"
        "garbage line\n"
        "\n";

    QStringList rows;
    for (const MountEntry& entry : ParseMountInfo(mountinfo, m_sources))
        rows.append(Row(entry));

    const QStringList expected = {
        QStringLiteral("/|fixed|ext4|/dev/vda1|"),
        QStringLiteral("/data|fixed|ext4|/dev/sda2|Data"),
        QStringLiteral("/home/me/remote|network|fuse.sshfs|me@host:/home|"),
        QStringLiteral("/media/cdrom|cd|iso9660|/dev/sr0|Album 2024"),
        QStringLiteral("/mnt/My Stick|removable|vfat|/dev/sdb1|MY STICK"),
        QStringLiteral("/mnt/dav|network|fuse.davfs2|https://dav.example/|"),
        QStringLiteral("/mnt/nfs|network|nfs4|server:/export|"),
        QStringLiteral("/mnt/share|network|cifs|//nas/music|"),
        QStringLiteral("/mnt/tab\tand\\back|fixed|ext4|/dev/sda3|"),
        QStringLiteral("/run/media/me/DISK|removable|exfat|/dev/sdc1|"),
        QStringLiteral("/run/user/1000/gvfs|network|fuse.gvfsd-fuse|gvfsd-fuse||gvfs"),
    };
    EXPECT_EQ(rows, expected);
}

TEST_F(MountTableTest, SkipsNetworkMountsWithoutTouchingSysfs)
{
    // A network mount with a major:minor that sysfs would know: it must still get no label or
    // removable flag, since nothing about it is looked up.
    const QByteArray mountinfo = "50 1 8:17 / /mnt/odd rw - nfs server:/x rw\n";
    const std::vector<MountEntry> table = ParseMountInfo(mountinfo, m_sources);
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].type, DriveType::Network);
    EXPECT_TRUE(table[0].label.isEmpty());
}

TEST(MountTable, DecodesEscapes)
{
    EXPECT_EQ(DecodeMountInfoField("/a\\040b\\011c\\012d\\134e"), QStringLiteral("/a b\tc\nd\\e"));
    EXPECT_EQ(DecodeMountInfoField("/end\\04"), QStringLiteral("/end\\04"));  // incomplete: kept
    EXPECT_EQ(DecodeMountInfoField("/x\\999"), QStringLiteral("/x\\999"));    // not octal: kept
    EXPECT_EQ(DecodeLabelName("My\\x20Disk\\x2f2"), QStringLiteral("My Disk/2"));
    EXPECT_EQ(DecodeLabelName("Caf\xc3\xa9\\x"), QStringLiteral("Caf\u00e9\\x"));
}

TEST(MountTable, DisplayNamesAndLongestMountPrefix)
{
    MountEntry root;
    root.mountPoint = QStringLiteral("/");
    MountEntry stick;
    stick.mountPoint = QStringLiteral("/media/me/stick");
    stick.label = QStringLiteral("MY STICK");
    MountEntry data;
    data.mountPoint = QStringLiteral("/media/me/data");
    EXPECT_EQ(DriveDisplayName(root), QStringLiteral("/"));
    EXPECT_EQ(DriveDisplayName(stick), QStringLiteral("MY STICK (/media/me/stick)"));
    EXPECT_EQ(DriveDisplayName(data), QStringLiteral("data (/media/me/data)"));

    const std::vector<MountEntry> table = {root, stick, data};
    EXPECT_EQ(FindMountFor(table, QStringLiteral("/media/me/stick/a.ogg")), &table[1]);
    EXPECT_EQ(FindMountFor(table, QStringLiteral("/media/me/stick")), &table[1]);
    EXPECT_EQ(FindMountFor(table, QStringLiteral("/media/me/sticky/a.ogg")), &table[0]);
    EXPECT_EQ(FindMountFor(table, QStringLiteral("relative")), nullptr);
}

TEST(MountTable, GvfsPlacesAreTheSubFolders)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("smb-share:server=nas,share=music"))));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("sftp:host=box"))));
    ASSERT_TRUE(WriteFile(dir.filePath(QStringLiteral("stray-file")), "x"));
    const QStringList expected = {dir.filePath(QStringLiteral("sftp:host=box")),
                                  dir.filePath(QStringLiteral("smb-share:server=nas,share=music"))};
    EXPECT_EQ(GvfsPlaces(dir.path()), expected);
    EXPECT_TRUE(GvfsPlaces(dir.filePath(QStringLiteral("missing"))).isEmpty());
}

TEST(MountTable, LiveTableStartsWithRoot)
{
    const std::vector<MountEntry> table = ReadMountTable();
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(table.front().mountPoint, QStringLiteral("/"));
}

TEST(SpecialFolders, PathPrefixStopsAtSeparator)
{
    struct Case {
        const char* path;
        const char* prefix;
        bool expected;
    };
    const Case cases[] = {
        {"/srv/music", "/srv/music", true},   {"/srv/music/a", "/srv/music", true},
        {"/srv/music/", "/srv/music", true},  {"/srv/music/a", "/srv/music/", true},
        {"/srv/musicbox", "/srv/music", false}, {"/srv/Music/a", "/srv/music", false},
        {"/srv", "/srv/music", false},        {"/anything", "/", true},
        {"", "/", false},                     {"/a", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PathHasPrefix(QString::fromUtf8(c.path), QString::fromUtf8(c.prefix)), c.expected)
            << c.path << " under " << c.prefix;
}

TEST(SpecialFolders, UsersharesMatchExactPaths)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(WriteFile(dir.filePath(QStringLiteral("music")),
                          "#VERSION 2\npath=/srv/music\ncomment=\nusershare_acl=S-1-1-0:R,\nguest_ok=n\n"
                          "sharename=music\n"));
    ASSERT_TRUE(WriteFile(dir.filePath(QStringLiteral("docs")), "#VERSION 2\npath=/home/me/Docs/\n"));
    ASSERT_TRUE(WriteFile(dir.filePath(QStringLiteral("junk")), "comment=path=/nowhere\n"));
    const ShareList shares = ShareList::Read(dir.path());

    struct Case {
        const char* path;
        bool shared;
    };
    const Case cases[] = {
        {"/srv/music", true},       {"/srv/music/", true},     {"/srv/Music", false},
        {"/srv/musicbox", false},   {"/srv/music/sub", false}, {"/srv", false},
        {"/home/me/Docs", true},    {"/nowhere", false},       {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shares.IsShared(QString::fromUtf8(c.path)), c.shared) << c.path;

    // No usershare folder (Samba not installed, or not readable): nothing is shared.
    EXPECT_TRUE(ShareList::Read(dir.filePath(QStringLiteral("missing"))).Paths().isEmpty());
}

TEST(SpecialFolders, KnownFoldersAreAbsolute)
{
    for (const QString& folder : {DesktopFolder(), HomeFolder(), MusicFolder()})
        EXPECT_TRUE(QDir::isAbsolutePath(folder)) << folder.toStdString();
}

TEST(FileAttributes, HiddenComesFromTheName)
{
    struct Case {
        const char* path;
        bool hidden;
    };
    const Case cases[] = {
        {".bashrc", true}, {"/home/me/.cache", true}, {"/home/me/.cache/", true}, {"/a/.b/c", false},
        {"x.ogg", false},  {".", false},              {"..", false},              {"/a/..", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsHiddenName(QString::fromUtf8(c.path)), c.hidden) << c.path;
}

TEST(FileAttributes, StatxFlagsAreReadWhereTheFileSystemReportsThem)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral(".plain.ogg"));
    ASSERT_TRUE(WriteFile(file, "x"));
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(Link(dir.path(), link));

    const FileAttributes attributes = ReadFileAttributes(file);
    EXPECT_TRUE(attributes.exists);
    EXPECT_TRUE(attributes.hidden);
    EXPECT_FALSE(attributes.isDirectory);
    EXPECT_FALSE(attributes.compressed);
    EXPECT_FALSE(attributes.encrypted);

    EXPECT_FALSE(ReadFileAttributes(link).isDirectory);  // the link itself, not its target
    EXPECT_TRUE(ReadFileAttributes(dir.path()).isDirectory);
    EXPECT_FALSE(ReadFileAttributes(dir.filePath(QStringLiteral("missing"))).exists);

    const FileAttributes skipped = ReadFileAttributes(file, true);
    EXPECT_FALSE(skipped.exists);
    EXPECT_TRUE(skipped.hidden);

    if (!attributes.compressedKnown || !attributes.encryptedKnown)
        GTEST_SKIP() << "the temporary folder's file system does not report these attributes";
}

// Runs with the working folder set to a temporary folder, so that a trash gone wrong shows up.
class ScopedWorkingFolder {
public:
    explicit ScopedWorkingFolder(const QString& path) : m_old(QDir::currentPath()) { QDir::setCurrent(path); }
    ~ScopedWorkingFolder() { QDir::setCurrent(m_old); }

private:
    QString m_old;
};

TEST(Shell, MoveToTrashCreatesAMissingDataFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString work = dir.filePath(QStringLiteral("work"));
    ASSERT_TRUE(QDir().mkpath(home));
    ASSERT_TRUE(QDir().mkpath(work));
    // Neither ~/.local nor the data folder exists yet.
    const QString dataHome = home + QStringLiteral("/.local/share");
    const ScopedDataHome scopedHome(home, dataHome);
    const ScopedWorkingFolder scopedWork(work);

    for (const QString& name : {QStringLiteral("song.ogg"), QStringLiteral("folder")}) {
        const QString victim = dir.filePath(name);
        if (name == QStringLiteral("folder"))
            ASSERT_TRUE(QDir().mkpath(victim + QStringLiteral("/inner")));
        else
            ASSERT_TRUE(WriteFile(victim, "ogg"));

        const ShellResult result = MoveToTrash(victim);
        ASSERT_TRUE(result.Ok()) << name.toStdString();
        EXPECT_FALSE(QFileInfo::exists(victim));
        EXPECT_EQ(result.path, dataHome + QStringLiteral("/Trash/files/") + name);
        EXPECT_TRUE(QFileInfo::exists(result.path));
        const QByteArray info = ReadAll(dataHome + QStringLiteral("/Trash/info/") + name + QStringLiteral(".trashinfo"));
        EXPECT_TRUE(info.contains("[Trash Info]")) << info.constData();
        EXPECT_TRUE(info.contains("Path=")) << info.constData();
    }
    EXPECT_TRUE(QDir(work).isEmpty()) << "something was trashed into the working folder";
    EXPECT_EQ(MoveToTrash(dir.filePath(QStringLiteral("gone"))).error, ShellError::NotFound);
}

TEST(Shell, DeletePermanentlyLeavesSymlinkTargetsAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString outside = dir.filePath(QStringLiteral("outside"));
    ASSERT_TRUE(QDir().mkpath(outside));
    ASSERT_TRUE(WriteFile(outside + QStringLiteral("/keep.ogg"), "keep"));
    const QString victim = dir.filePath(QStringLiteral("victim"));
    ASSERT_TRUE(QDir().mkpath(victim + QStringLiteral("/sub")));
    ASSERT_TRUE(WriteFile(victim + QStringLiteral("/sub/a.ogg"), "a"));
    ASSERT_TRUE(Link(outside, victim + QStringLiteral("/sub/to-outside")));
    ASSERT_TRUE(Link(outside + QStringLiteral("/keep.ogg"), victim + QStringLiteral("/file-link")));
    const QString topLink = dir.filePath(QStringLiteral("top-link"));
    ASSERT_TRUE(Link(outside, topLink));

    EXPECT_TRUE(DeletePermanently(victim).Ok());
    EXPECT_FALSE(QFileInfo::exists(victim));
    EXPECT_TRUE(DeletePermanently(topLink).Ok());  // the link goes, the folder stays
    EXPECT_FALSE(QFileInfo(topLink).isSymLink());
    EXPECT_EQ(ReadAll(outside + QStringLiteral("/keep.ogg")), QByteArray("keep"));

    EXPECT_EQ(DeletePermanently(victim).error, ShellError::NotFound);
    EXPECT_EQ(DeletePermanently(QString()).error, ShellError::NotFound);
}

TEST(Shell, RenameRefusesBadNamesAndExistingTargets)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("a.ogg"));
    const QString taken = dir.filePath(QStringLiteral("taken.ogg"));
    const QString folder = dir.filePath(QStringLiteral("folder"));
    const QString emptyFolder = dir.filePath(QStringLiteral("empty"));
    ASSERT_TRUE(WriteFile(file, "a"));
    ASSERT_TRUE(WriteFile(taken, "taken"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QDir().mkpath(emptyFolder));

    struct Case {
        QString from;
        QString name;
        ShellError error;
    };
    const Case refusals[] = {
        {file, QString(), ShellError::InvalidName},
        {file, QStringLiteral("."), ShellError::InvalidName},
        {file, QStringLiteral(".."), ShellError::InvalidName},
        {file, QStringLiteral("sub/b.ogg"), ShellError::InvalidName},
        {file, QStringLiteral("../b.ogg"), ShellError::InvalidName},
        {file, QStringLiteral("b") + QChar(u'\0') + QStringLiteral("c"), ShellError::InvalidName},
        {file, QStringLiteral("taken.ogg"), ShellError::TargetExists},
        {file, QStringLiteral("folder"), ShellError::TargetExists},
        // POSIX rename would silently replace an empty folder.
        {folder, QStringLiteral("empty"), ShellError::TargetExists},
        {dir.filePath(QStringLiteral("missing")), QStringLiteral("x"), ShellError::NotFound},
    };
    for (const Case& c : refusals)
        EXPECT_EQ(RenameNoReplace(c.from, c.name).error, c.error) << c.name.toStdString();
    EXPECT_EQ(ReadAll(file), QByteArray("a"));
    EXPECT_EQ(ReadAll(taken), QByteArray("taken"));
    EXPECT_TRUE(QFileInfo(emptyFolder).isDir());

    const ShellResult same = RenameNoReplace(file, QStringLiteral("a.ogg"));
    EXPECT_TRUE(same.Ok());
    EXPECT_EQ(same.path, file);

    const ShellResult renamed = RenameNoReplace(file, QStringLiteral("A.ogg"));  // case counts
    ASSERT_TRUE(renamed.Ok());
    EXPECT_EQ(renamed.path, dir.filePath(QStringLiteral("A.ogg")));
    EXPECT_EQ(ReadAll(renamed.path), QByteArray("a"));
    EXPECT_FALSE(QFileInfo::exists(file));

    const ShellResult folderRenamed = RenameNoReplace(folder, QStringLiteral("New name"));
    ASSERT_TRUE(folderRenamed.Ok());
    EXPECT_TRUE(QFileInfo(folderRenamed.path).isDir());
}

TEST(Shell, CreateUniqueFolderTakesTheNextFreeName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const ShellResult first = CreateUniqueFolder(dir.path());
    ASSERT_TRUE(first.Ok());
    EXPECT_EQ(first.path, dir.filePath(QStringLiteral("New Folder")));
    const ShellResult second = CreateUniqueFolder(dir.path());
    ASSERT_TRUE(second.Ok());
    EXPECT_EQ(second.path, dir.filePath(QStringLiteral("New Folder (2)")));
    // A file holding the next name is skipped, never taken over.
    ASSERT_TRUE(WriteFile(dir.filePath(QStringLiteral("New Folder (3)")), "file"));
    const ShellResult fourth = CreateUniqueFolder(dir.path());
    ASSERT_TRUE(fourth.Ok());
    EXPECT_EQ(fourth.path, dir.filePath(QStringLiteral("New Folder (4)")));
    EXPECT_TRUE(QFileInfo(fourth.path).isDir());

    EXPECT_EQ(CreateUniqueFolder(dir.filePath(QStringLiteral("missing"))).error, ShellError::NotFound);
    EXPECT_EQ(CreateUniqueFolder(dir.filePath(QStringLiteral("New Folder (3)"))).error, ShellError::NotFound);
    EXPECT_EQ(CreateUniqueFolder(QString()).error, ShellError::NotFound);
}

}  // namespace
