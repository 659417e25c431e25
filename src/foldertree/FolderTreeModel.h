#pragma once
// The data behind the folder tree: one node per item, read lazily. The Desktop is the single top
// item; below it the home folder, "Computer" (the mounted volumes), "Network" (network mounts and
// gvfs places) and the desktop folder's own sub-folders. A folder's children are read when the
// view first expands it (canFetchMore/fetchMore) and dropped again by ForgetChildren, which the
// tree calls on collapse, so the next expansion reads the folder afresh.
//
// Nothing here stats or lists a folder on a network mount just to decide whether it gets an
// expand button: network items always get one. Compressed/encrypted/shared flags are read once
// when an item is inserted (never while painting); the attributes not at all on network mounts.
// A removable or optical drive whose medium is gone reads as empty and loses its expand button.
//
// Folder items (Kind::Folder) are editable: setData renames the folder on disk, never replacing
// another item, and moves the paths of its descendants along.
//
// Threads: GUI thread only.
#include "platform/FolderListing.h"
#include "platform/MountTable.h"
#include "platform/ShellOperations.h"
#include "platform/SpecialFolders.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // The kinds, in the order of the sibling comparison's first rules (home, computer, network
    // before everything else).
    enum class Kind : quint8 { Desktop, Home, Computer, Network, NetworkPlace, Drive, Folder };

    enum Roles {
        PathRole = Qt::UserRole + 1,  // QString, empty for Computer and Network
        KindRole,                     // int(Kind)
        DisplayNameRole,              // the name path lookups compare
        DriveTypeRole,                // int(DriveType) of drives; absent elsewhere
        SymLinkRole,                  // bool: the folder is a symbolic link (never walk into it)
        SharedRole,                   // bool: the folder or drive is shared (Samba usershare)
    };

    // Where the tree looks; each unset field is read from the live system.
    struct Sources {
        std::optional<std::vector<MountEntry>> mounts;  // default ReadMountTable()
        std::optional<QString> homePath;                // default HomeFolder()
        std::optional<QString> desktopPath;  // default DesktopFolder(); empty = no desktop folder
        std::optional<QString> usershareFolder;  // default ShareList::DefaultUsershareFolder()
    };

    explicit FolderTreeModel(Sources sources = {}, QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // Rebuilds the whole tree from the sources (the mount table is read again when it is live).
    void Refresh();

    QModelIndex DesktopIndex() const;
    QModelIndex HomeIndex() const;
    QModelIndex ComputerIndex() const;
    QModelIndex NetworkIndex() const;
    QString DesktopPath() const { return m_desktopPath; }
    QString HomePath() const { return m_homePath; }
    const std::vector<MountEntry>& Mounts() const { return m_mounts; }

    QString PathOf(const QModelIndex& index) const;
    Kind KindOf(const QModelIndex& index) const;
    // The child whose display name equals name exactly (Linux names are case-sensitive).
    QModelIndex FindChild(const QModelIndex& parent, const QString& name) const;
    // The drive item of this mount point below Computer (Computer must have been read).
    QModelIndex DriveIndex(const QString& mountPoint) const;
    // Reads the item's children when they have not been read yet.
    void EnsureFetched(const QModelIndex& index);
    // Drops the children; the item keeps its expand button and is read again on next expansion.
    void ForgetChildren(const QModelIndex& index);
    // Removes a vanished folder; its parent loses the expand button only when no child is left.
    void RemoveItem(const QModelIndex& index);
    // The item lies on a network mount (or is a link into one).
    bool IsOnNetwork(const QModelIndex& index) const;
    // The item's children have been read (and not forgotten since).
    bool IsFetched(const QModelIndex& index) const;

    // Renames a folder item's folder to newName in the same parent folder (never replacing an
    // existing item). On success the item shows the new name and it and its descendants carry the
    // new paths; itemRenamed is emitted. The item keeps its place among its siblings.
    ShellResult RenameItem(const QModelIndex& index, const QString& newName);
    // Adds the folder at path as a child of parent in sibling order and returns it; when parent
    // already lists that folder, returns the existing item. The parent counts as read afterwards.
    QModelIndex InsertFolder(const QModelIndex& parent, const QString& path);

    // Sibling order: home, computer, network first, then by name ignoring case, then exactly.
    // A strict weak ordering.
    static bool Less(Kind kindA, const QString& nameA, Kind kindB, const QString& nameB);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Qt::EditRole on a folder item: RenameItem; a failure emits renameFailed and returns false,
    // so the label keeps the old name.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

Q_SIGNALS:
    void itemRenamed(const QModelIndex& index, const QString& oldPath, const QString& newPath);
    void renameFailed(const QString& path, const QString& newName, const QString& reason);

private:
    struct Node;
    Node* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const Node* node) const;
    void ReadSources();
    // Builds the children of node (without inserting them); false when its folder is gone.
    bool ReadChildren(Node* node, std::vector<std::unique_ptr<Node>>& out) const;
    std::unique_ptr<Node> MakeFolderNode(Node* parent, const QString& path, const SubFolder& entry) const;
    bool OnNetworkMount(const QString& path) const;
    bool MediumPresent(const QString& mountPoint) const;
    bool HasSubFolders(const QString& path) const;
    static void MovePaths(Node* node, const QString& oldPath, const QString& newPath);

    Sources m_sources;
    std::vector<MountEntry> m_mounts;
    QString m_homePath;
    QString m_desktopPath;
    ShareList m_shares;
    QIcon m_folderIcon;
    QIcon m_folderLinkIcon;
    std::unique_ptr<Node> m_root;  // invisible; its single child is the Desktop
    // Set while rows are inserted or removed or the model resets: handlers of those signals that
    // ask for more rows (model testers, proxies) get none instead of a nested insertion.
    bool m_changing = false;
};
