#pragma once
// The folder tree tests' fixture: a home folder and a mount table made in a temporary folder.

#include "foldertree/FolderTreeModel.h"
#include "platform/MountTable.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The children's texts, joined with "|" so that failures print readably.
inline QString ChildTexts(const QAbstractItemModel& model, const QModelIndex& parent)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(parent); ++row)
        texts.append(model.index(row, 0, parent).data().toString());
    return texts.join(QLatin1Char('|'));
}

inline QByteArray Escaped(const QString& path)
{
    return path.toUtf8().replace(" ", "\\040");
}

// A home folder with a desktop, a data drive, a CD, an NFS mount and a gvfs mount, all in a
// temporary folder, and the mount table that lists them.
class FileTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_home = m_dir.filePath(QStringLiteral("home/me"));
        m_desktop = m_home + QStringLiteral("/Desktop");
        m_data = m_dir.filePath(QStringLiteral("mnt/data"));
        for (const char* folder : {"Desktop/beta", "Desktop/Alpha", "Desktop/alpha", "Desktop/Zeta/inner",
                                   "Desktop/.secret", "Music/Rock/Classic", "Music/jazz/.cache", "Documents",
                                   ".config/app", "bravo"})
            ASSERT_TRUE(QDir().mkpath(m_home + QLatin1Char('/') + QLatin1String(folder)));
        ASSERT_TRUE(QFile::link(m_home + QStringLiteral("/Music"), m_home + QStringLiteral("/link")));
        ASSERT_TRUE(QDir().mkpath(m_data + QStringLiteral("/Albums/2024")));
        ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("mnt/cd"))));
        ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("mnt/nfs"))));
        ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("gvfs/sftp:host=nas"))));
        ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("gvfs/smb-share:server=nas,share=music"))));

        const QString labels = m_dir.filePath(QStringLiteral("by-label"));
        ASSERT_TRUE(QDir().mkpath(labels));
        ASSERT_TRUE(QFile::link(QStringLiteral("../../sda2"), labels + QStringLiteral("/Data")));
        MountSources mountSources;
        mountSources.sysfsRoot = m_dir.filePath(QStringLiteral("sys"));  // empty: nothing removable
        mountSources.byLabelDir = labels;
        mountSources.uid = 1000;
        const QByteArray mountinfo = "21 1 254:1 / / rw - ext4 /dev/vda1 rw\n"
                                     "34 21 8:2 / " + Escaped(m_data) + " rw - ext4 /dev/sda2 rw\n"
                                     "33 21 11:0 / " + Escaped(m_dir.filePath(QStringLiteral("mnt/cd"))) +
                                     " ro - iso9660 /dev/sr0 ro\n"
                                     "38 21 0:40 / " + Escaped(m_dir.filePath(QStringLiteral("mnt/nfs"))) +
                                     " rw - nfs4 server:/export rw\n";
        std::vector<MountEntry> mounts = ParseMountInfo(mountinfo, mountSources);
        ASSERT_EQ(mounts.size(), 4u);
        MountEntry gvfs;  // the user's gvfs mount lives below /run/user: stand it in by hand
        gvfs.mountPoint = m_dir.filePath(QStringLiteral("gvfs"));
        gvfs.fsType = QStringLiteral("fuse.gvfsd-fuse");
        gvfs.source = QStringLiteral("gvfsd-fuse");
        gvfs.type = DriveType::Network;
        gvfs.gvfsRoot = true;
        mounts.push_back(gvfs);

        // One Samba usershare: the Music folder.
        const QString shares = m_dir.filePath(QStringLiteral("usershares"));
        ASSERT_TRUE(QDir().mkpath(shares));
        QFile share(shares + QStringLiteral("/music"));
        ASSERT_TRUE(share.open(QIODevice::WriteOnly));
        share.write("#VERSION 2\npath=" + QFile::encodeName(m_home) + "/Music\ncomment=\nusershare_acl=S-1-1-0:R\n");
        share.close();
        m_sources.usershareFolder = shares;

        m_sources.mounts = mounts;
        m_sources.homePath = m_home;
        m_sources.desktopPath = m_desktop;
    }

    // Without "/": QAbstractItemModelTester reads every folder it can reach.
    FolderTreeModel::Sources FixtureOnlySources() const
    {
        FolderTreeModel::Sources sources = m_sources;
        std::erase_if(*sources.mounts, [](const MountEntry& m) { return m.mountPoint == QLatin1String("/"); });
        return sources;
    }

    QTemporaryDir m_dir;
    QString m_home;
    QString m_desktop;
    QString m_data;
    FolderTreeModel::Sources m_sources;
};

// Collects the model tester's complaints, so that a failure names them.
class ModelTesterLog {
public:
    ModelTesterLog() { s_messages.clear(); s_previous = qInstallMessageHandler(&Handler); }
    ~ModelTesterLog() { qInstallMessageHandler(s_previous); }
    static QStringList Messages() { return s_messages; }

private:
    static void Handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (context.category && QLatin1String(context.category) == QLatin1String("qt.modeltest")) {
            s_messages.append(message);
            return;
        }
        s_previous(type, context, message);
    }
    static inline QStringList s_messages;
    static inline QtMessageHandler s_previous = nullptr;
};
