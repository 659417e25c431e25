#include "foldertree/FolderTreeModel.h"

#include "platform/FileAttributes.h"
#include "platform/FolderListing.h"
#include "platform/SpecialFolders.h"
#include "platform/WinColor.h"
#include "widgets/WaitCursor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPersistentModelIndex>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <pwd.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t kCompressedColour = 0x00FF0000;  // blue
constexpr std::uint32_t kEncryptedColour = 0x000000FF;   // red

int KindRank(FolderTreeModel::Kind kind)
{
    switch (kind) {
    case FolderTreeModel::Kind::Home: return 0;
    case FolderTreeModel::Kind::Computer: return 1;
    case FolderTreeModel::Kind::Network: return 2;
    default: return 3;
    }
}

QString CleanDir(const QString& path)
{
    if (path.isEmpty())
        return {};
    return QDir::cleanPath(path);
}

QString LoginName()
{
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return QStringLiteral("Home");
}

QIcon DriveIcon(DriveType type)
{
    switch (type) {
    case DriveType::Removable: return QIcon::fromTheme(QStringLiteral("drive-removable-media"));
    case DriveType::CdRom: return QIcon::fromTheme(QStringLiteral("media-optical"));
    case DriveType::Network: return QIcon::fromTheme(QStringLiteral("folder-remote"));
    case DriveType::Fixed: break;
    }
    return QIcon::fromTheme(QStringLiteral("drive-harddisk"));
}

}  // namespace

struct FolderTreeModel::Node {
    Kind kind = Kind::Folder;
    QString path;
    QString displayName;  // compared by lookups
    QString text;         // shown
    QIcon icon;
    DriveType driveType = DriveType::Fixed;
    bool onNetwork = false;
    bool mayHaveChildren = true;
    bool fetched = false;
    bool compressed = false;
    bool encrypted = false;
    bool symLink = false;
    bool shared = false;
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;

    int Row() const
    {
        const auto& siblings = parent->children;
        for (size_t i = 0; i < siblings.size(); ++i)
            if (siblings[i].get() == this)
                return int(i);
        return -1;
    }
};

FolderTreeModel::FolderTreeModel(Sources sources, QObject* parent)
    : QAbstractItemModel(parent), m_sources(std::move(sources))
{
    Refresh();
}

FolderTreeModel::~FolderTreeModel() = default;

void FolderTreeModel::ReadSources()
{
    m_mounts = m_sources.mounts ? *m_sources.mounts : ReadMountTable();
    m_homePath = CleanDir(m_sources.homePath ? *m_sources.homePath : HomeFolder());
    QString desktop = CleanDir(m_sources.desktopPath ? *m_sources.desktopPath : DesktopFolder());
    // A desktop that is the home folder itself (XDG_DESKTOP_DIR=$HOME) would list the home
    // folder's children twice and catch every home path; a missing one has nothing to show.
    if (desktop == m_homePath || !QFileInfo(desktop).isDir())
        desktop.clear();
    m_desktopPath = desktop;
    m_shares = ShareList::Read(m_sources.usershareFolder ? *m_sources.usershareFolder
                                                         : ShareList::DefaultUsershareFolder());
}

void FolderTreeModel::Refresh()
{
    const WaitCursor wait;
    m_folderIcon = QIcon::fromTheme(QStringLiteral("folder"));
    m_folderLinkIcon = QIcon::fromTheme(QStringLiteral("folder-link"), m_folderIcon);
    m_changing = true;
    beginResetModel();
    ReadSources();
    m_root = std::make_unique<Node>();
    m_root->fetched = true;
    auto desktop = std::make_unique<Node>();
    desktop->kind = Kind::Desktop;
    desktop->path = m_desktopPath;
    desktop->displayName = desktop->text = QStandardPaths::displayName(QStandardPaths::DesktopLocation);
    desktop->icon = QIcon::fromTheme(QStringLiteral("user-desktop"));
    desktop->parent = m_root.get();
    std::vector<std::unique_ptr<Node>> children;
    ReadChildren(desktop.get(), children);
    for (auto& child : children)
        child->parent = desktop.get();
    desktop->children = std::move(children);
    desktop->fetched = true;
    m_root->children.push_back(std::move(desktop));
    endResetModel();
    m_changing = false;
}

bool FolderTreeModel::OnNetworkMount(const QString& path) const
{
    const MountEntry* mount = FindMountFor(m_mounts, path);
    return mount && mount->type == DriveType::Network;
}

bool FolderTreeModel::MediumPresent(const QString& mountPoint) const
{
    if (::access(QFile::encodeName(mountPoint).constData(), R_OK | X_OK) != 0)
        return false;
    if (m_sources.mounts)
        return true;
    // Live: an ejected medium's mount point is left behind as an empty folder.
    const std::vector<MountEntry> live = ReadMountTable();
    return std::any_of(live.begin(), live.end(), [&](const MountEntry& m) { return m.mountPoint == mountPoint; });
}

bool FolderTreeModel::HasSubFolders(const QString& path) const
{
    return HasSubFolder(path, [this](const QString& p) { return OnNetworkMount(p); });
}

std::unique_ptr<FolderTreeModel::Node> FolderTreeModel::MakeFolderNode(Node* parent, const QString& path,
                                                                       const SubFolder& entry) const
{
    auto node = std::make_unique<Node>();
    node->kind = Kind::Folder;
    node->path = path;
    node->displayName = node->text = entry.name;
    node->parent = parent;
    // A link into a network mount counts as network too: its target is never looked at here.
    node->onNetwork = entry.onNetwork || OnNetworkMount(path);
    const FileAttributes attributes = ReadFileAttributes(path, node->onNetwork);
    node->compressed = attributes.compressed;
    node->encrypted = attributes.encrypted;
    node->symLink = entry.symLink;
    node->shared = m_shares.IsShared(path);
    node->icon = node->symLink ? m_folderLinkIcon : m_folderIcon;
    node->mayHaveChildren = node->onNetwork || HasSubFolders(path);
    return node;
}

bool FolderTreeModel::ReadChildren(Node* node, std::vector<std::unique_ptr<Node>>& out) const
{
    const auto special = [&](Kind kind, const QString& path, const QString& name, const char* icon) {
        auto child = std::make_unique<Node>();
        child->kind = kind;
        child->path = path;
        child->displayName = child->text = name;
        child->icon = QIcon::fromTheme(QString::fromLatin1(icon));
        child->parent = node;
        out.push_back(std::move(child));
    };
    QString folder;
    switch (node->kind) {
    case Kind::Desktop:
        if (!m_homePath.isEmpty())
            special(Kind::Home, m_homePath, LoginName(), "user-home");
        special(Kind::Computer, {}, QStringLiteral("Computer"), "computer");
        special(Kind::Network, {}, QStringLiteral("Network"), "network-workgroup");
        folder = m_desktopPath;
        break;
    case Kind::Computer:
        // In mount-table order: "/" first, then by mount point.
        for (const MountEntry& mount : m_mounts) {
            auto child = std::make_unique<Node>();
            child->kind = Kind::Drive;
            child->path = child->displayName = mount.mountPoint;
            child->text = DriveDisplayName(mount);
            child->driveType = mount.type;
            child->icon = DriveIcon(mount.type);
            child->onNetwork = mount.type == DriveType::Network;
            child->shared = m_shares.IsShared(mount.mountPoint);
            child->parent = node;
            // Removable media and network mounts keep their button without being read.
            child->mayHaveChildren = mount.type != DriveType::Fixed || HasSubFolders(mount.mountPoint);
            out.push_back(std::move(child));
        }
        return true;
    case Kind::Network:
        for (const MountEntry& mount : m_mounts) {
            if (mount.type != DriveType::Network)
                continue;
            const auto place = [&](const QString& path, const QString& name) {
                auto child = std::make_unique<Node>();
                child->kind = Kind::NetworkPlace;
                child->path = path;
                child->displayName = name;
                child->text = name;
                child->icon = QIcon::fromTheme(QStringLiteral("folder-remote"));
                child->onNetwork = true;
                child->parent = node;
                out.push_back(std::move(child));
            };
            if (mount.gvfsRoot) {
                for (const QString& path : GvfsPlaces(mount.mountPoint))
                    place(path, QFileInfo(path).fileName());
            } else {
                place(mount.mountPoint, DriveDisplayName(mount));
            }
        }
        return true;
    default:
        folder = node->path;
        if (folder.isEmpty())
            return true;
        if (node->kind == Kind::Drive
            && (node->driveType == DriveType::Removable || node->driveType == DriveType::CdRom)
            && !MediumPresent(folder))
            return true;  // no medium: nothing to list, and the button goes
        if (!QFileInfo(folder).isDir())
            return false;
        break;
    }
    if (!folder.isEmpty()) {
        const auto subFolders = ListSubFolders(folder, [this](const QString& p) { return OnNetworkMount(p); });
        if (!subFolders)
            return QFileInfo(folder).isDir();  // unreadable (no permission) but there: no children
        const QString base = folder == QLatin1String("/") ? folder : folder + QLatin1Char('/');
        out.reserve(out.size() + subFolders->size());
        for (const SubFolder& entry : *subFolders)
            out.push_back(MakeFolderNode(node, base + entry.name, entry));
    }
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
        return Less(a->kind, a->displayName, b->kind, b->displayName);
    });
    return true;
}

bool FolderTreeModel::Less(Kind kindA, const QString& nameA, Kind kindB, const QString& nameB)
{
    const int rankA = KindRank(kindA);
    const int rankB = KindRank(kindB);
    if (rankA != rankB)
        return rankA < rankB;
    const int folded = QString::compare(nameA, nameB, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return QString::compare(nameA, nameB, Qt::CaseSensitive) < 0;
}

FolderTreeModel::Node* FolderTreeModel::NodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : m_root.get();
}

QModelIndex FolderTreeModel::IndexOf(const Node* node) const
{
    if (!node || node == m_root.get())
        return {};
    return createIndex(node->Row(), 0, const_cast<Node*>(node));
}

QModelIndex FolderTreeModel::DesktopIndex() const
{
    return index(0, 0);
}

namespace {
QModelIndex ChildOfKind(const QAbstractItemModel& model, const QModelIndex& parent, int kind)
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex child = model.index(row, 0, parent);
        if (child.data(FolderTreeModel::KindRole).toInt() == kind)
            return child;
    }
    return {};
}
}  // namespace

QModelIndex FolderTreeModel::HomeIndex() const
{
    return ChildOfKind(*this, DesktopIndex(), int(Kind::Home));
}

QModelIndex FolderTreeModel::ComputerIndex() const
{
    return ChildOfKind(*this, DesktopIndex(), int(Kind::Computer));
}

QModelIndex FolderTreeModel::NetworkIndex() const
{
    return ChildOfKind(*this, DesktopIndex(), int(Kind::Network));
}

QString FolderTreeModel::PathOf(const QModelIndex& index) const
{
    return index.isValid() ? NodeOf(index)->path : QString();
}

FolderTreeModel::Kind FolderTreeModel::KindOf(const QModelIndex& index) const
{
    return NodeOf(index)->kind;
}

QModelIndex FolderTreeModel::FindChild(const QModelIndex& parent, const QString& name) const
{
    const Node* node = NodeOf(parent);
    for (const auto& child : node->children)
        if (child->displayName == name)
            return IndexOf(child.get());
    return {};
}

QModelIndex FolderTreeModel::DriveIndex(const QString& mountPoint) const
{
    const Node* computer = NodeOf(ComputerIndex());
    if (computer == m_root.get())
        return {};
    for (const auto& child : computer->children)
        if (child->kind == Kind::Drive && child->path == mountPoint)
            return IndexOf(child.get());
    return {};
}

bool FolderTreeModel::IsOnNetwork(const QModelIndex& index) const
{
    return NodeOf(index)->onNetwork;
}

bool FolderTreeModel::IsFetched(const QModelIndex& index) const
{
    return NodeOf(index)->fetched;
}

void FolderTreeModel::EnsureFetched(const QModelIndex& index)
{
    if (canFetchMore(index))
        fetchMore(index);
}

void FolderTreeModel::ForgetChildren(const QModelIndex& index)
{
    Node* node = NodeOf(index);
    if (!index.isValid() || !node->fetched)
        return;
    if (!node->children.empty()) {
        m_changing = true;
        beginRemoveRows(index, 0, int(node->children.size()) - 1);
        node->children.clear();
        endRemoveRows();
        m_changing = false;
        node->mayHaveChildren = true;  // it had children: keep the button
    }
    node->fetched = false;
}

void FolderTreeModel::RemoveItem(const QModelIndex& index)
{
    if (!index.isValid() || NodeOf(index)->kind == Kind::Desktop)
        return;
    Node* node = NodeOf(index);
    Node* parentNode = node->parent;
    const int row = node->Row();
    m_changing = true;
    beginRemoveRows(index.parent(), row, row);
    parentNode->children.erase(parentNode->children.begin() + row);
    endRemoveRows();
    m_changing = false;
    if (parentNode->children.empty() && parentNode != m_root.get()) {
        parentNode->mayHaveChildren = false;
        const QModelIndex parentIndex = IndexOf(parentNode);
        Q_EMIT dataChanged(parentIndex, parentIndex);
    }
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    const Node* node = NodeOf(parent);
    if (row >= int(node->children.size()))
        return {};
    return createIndex(row, 0, node->children[size_t(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    return IndexOf(NodeOf(child)->parent);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    return int(NodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Node* node = NodeOf(index);
    switch (role) {
    case Qt::DisplayRole: return node->text;
    case Qt::EditRole: return node->displayName;
    case Qt::ToolTipRole: return node->path.isEmpty() ? QVariant() : QVariant(node->path);
    case Qt::DecorationRole: return node->icon;
    case Qt::ForegroundRole:
        // The style draws selected items in the highlight colour, which gives the exception for
        // the selected item without further code.
        if (node->compressed)
            return FromWinColor(kCompressedColour);
        if (node->encrypted)
            return FromWinColor(kEncryptedColour);
        return {};
    case PathRole: return node->path;
    case KindRole: return int(node->kind);
    case DisplayNameRole: return node->displayName;
    case DriveTypeRole: return node->kind == Kind::Drive ? QVariant(int(node->driveType)) : QVariant();
    case SymLinkRole: return node->symLink;
    case SharedRole: return node->shared;
    default: return {};
    }
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return false;
    const Node* node = NodeOf(parent);
    return !node->children.empty() || (!node->fetched && node->mayHaveChildren);
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const
{
    if (!parent.isValid() || m_changing)
        return false;
    const Node* node = NodeOf(parent);
    return !node->fetched && node->mayHaveChildren;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    const WaitCursor wait;
    Node* node = NodeOf(parent);
    node->fetched = true;
    std::vector<std::unique_ptr<Node>> children;
    if (!ReadChildren(node, children)) {
        // The folder vanished. The view may be inside its expansion: remove the item later.
        node->mayHaveChildren = false;
        QTimer::singleShot(0, this, [this, item = QPersistentModelIndex(parent)] {
            if (item.isValid())
                RemoveItem(item);
        });
        return;
    }
    if (children.empty()) {
        node->mayHaveChildren = false;  // the expand button goes
        Q_EMIT dataChanged(parent, parent);
        return;
    }
    m_changing = true;
    beginInsertRows(parent, 0, int(children.size()) - 1);
    node->children = std::move(children);
    endInsertRows();
    m_changing = false;
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractItemModel::flags(index);
    if (index.isValid() && NodeOf(index)->kind == Kind::Folder)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool FolderTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || NodeOf(index)->kind != Kind::Folder)
        return false;
    const QString name = value.toString();
    if (name.isEmpty())
        return false;  // an emptied label is a cancelled edit
    const QString path = NodeOf(index)->path;
    const ShellResult result = RenameItem(index, name);
    if (!result.Ok()) {
        Q_EMIT renameFailed(path, name, ShellErrorText(result));
        return false;
    }
    return true;
}

void FolderTreeModel::MovePaths(Node* node, const QString& oldPath, const QString& newPath)
{
    for (auto& child : node->children) {
        if (PathHasPrefix(child->path, oldPath))
            child->path = newPath + child->path.mid(oldPath.size());
        MovePaths(child.get(), oldPath, newPath);
    }
}

ShellResult FolderTreeModel::RenameItem(const QModelIndex& index, const QString& newName)
{
    Node* node = NodeOf(index);
    if (!index.isValid() || node->kind != Kind::Folder) {
        ShellResult refused;
        refused.error = ShellError::Failed;
        return refused;
    }
    const ShellResult result = RenameNoReplace(node->path, newName);
    if (!result.Ok() || result.path == node->path)
        return result;
    const QString oldPath = node->path;
    node->path = result.path;
    node->displayName = node->text = newName;
    MovePaths(node, oldPath, result.path);
    Q_EMIT dataChanged(index, index);
    if (!node->children.empty()) {
        // Tooltips and path roles below changed too.
        Q_EMIT dataChanged(this->index(0, 0, index), this->index(int(node->children.size()) - 1, 0, index));
    }
    Q_EMIT itemRenamed(index, oldPath, result.path);
    return result;
}

QModelIndex FolderTreeModel::InsertFolder(const QModelIndex& parent, const QString& path)
{
    Node* node = NodeOf(parent);
    if (!parent.isValid())
        return {};
    EnsureFetched(parent);
    const QString name = QFileInfo(path).fileName();
    if (const QModelIndex existing = FindChild(parent, name); existing.isValid())
        return existing;
    SubFolder entry;
    entry.name = name;
    entry.symLink = QFileInfo(path).isSymLink();
    std::unique_ptr<Node> child = MakeFolderNode(node, path, entry);
    const auto at = std::find_if(node->children.begin(), node->children.end(), [&](const auto& sibling) {
        return Less(child->kind, child->displayName, sibling->kind, sibling->displayName);
    });
    const int row = int(at - node->children.begin());
    node->fetched = true;
    node->mayHaveChildren = true;
    m_changing = true;
    beginInsertRows(parent, row, row);
    node->children.insert(node->children.begin() + row, std::move(child));
    endInsertRows();
    m_changing = false;
    return index(row, 0, parent);
}
