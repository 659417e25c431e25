#include "foldertree/FileTreeCtrl.h"

#include "foldertree/FolderTreeDelegate.h"
#include "platform/ShellOperations.h"
#include "platform/SpecialFolders.h"
#include "widgets/WaitCursor.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPersistentModelIndex>
#include <QTimer>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

// The device of the folder, or nullopt when it cannot be read (or there is no path).
std::optional<dev_t> DeviceOf(const QString& path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return st.st_dev;
}

}  // namespace

CFileTreeCtrl::CFileTreeCtrl(FolderTreeModel::Sources sources, QWidget* parent)
    : QTreeView(parent), m_model(new FolderTreeModel(std::move(sources), this))
{
    setModel(m_model);
    setItemDelegate(new FolderTreeDelegate(this));
    setHeaderHidden(true);
    // Long names scroll sideways instead of being cut off.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &CFileTreeCtrl::OnCurrentChanged);
    connect(this, &QTreeView::collapsed, this, &CFileTreeCtrl::OnCollapsed);
    // The view fetches only when it lays out visible rows; read at once so that expansion works
    // the same for a hidden tree and for SetSelectedPath.
    connect(this, &QTreeView::expanded, m_model, &FolderTreeModel::EnsureFetched);
    connect(m_model, &FolderTreeModel::itemRenamed, this, &CFileTreeCtrl::OnItemRenamed);
    connect(m_model, &FolderTreeModel::renameFailed, this,
            [this](const QString& path, const QString& newName, const QString& reason) {
                // The editor is still closing: report once it has.
                QTimer::singleShot(0, this, [this, path, newName, reason] {
                    Tell(QStringLiteral("Rename Folder"), QStringLiteral("\"%1\" cannot be renamed to \"%2\": %3.")
                                                               .arg(QFileInfo(path).fileName(), newName, reason));
                });
            });
    expand(m_model->DesktopIndex());
}

void CFileTreeCtrl::SetPrompts(FolderTreePrompts prompts)
{
    m_prompts = std::move(prompts);
}

bool CFileTreeCtrl::Ask(const QString& title, const QString& text)
{
    if (m_prompts.ask)
        return m_prompts.ask(title, text);
    return QMessageBox::question(window(), title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void CFileTreeCtrl::Tell(const QString& title, const QString& text)
{
    if (m_prompts.tell)
        m_prompts.tell(title, text);
    else
        QMessageBox::warning(window(), title, text);
}

void CFileTreeCtrl::Refresh()
{
    const QModelIndex current = currentIndex();
    const Location location = LocationOf(current);
    const bool wasExpanded = current.isValid() && isExpanded(current);
    m_model->Refresh();
    m_currentLocation.clear();  // the reset dropped the selection without a notification
    expand(m_model->DesktopIndex());
    const QModelIndex again = Resolve(location);
    if (!again.isValid())
        return;
    m_navigating = true;
    SelectIndex(again);
    m_navigating = false;
    if (wasExpanded)
        ExpandIndex(again);
}

QString CFileTreeCtrl::SelectedPath() const
{
    return m_model->PathOf(currentIndex());
}

void CFileTreeCtrl::SelectIndex(const QModelIndex& index)
{
    setCurrentIndex(index);
    scrollTo(index);
}

void CFileTreeCtrl::ExpandIndex(const QModelIndex& index)
{
    m_model->EnsureFetched(index);
    expand(index);
}

bool CFileTreeCtrl::SetSelectedPath(const QString& rawPath, bool expandLast)
{
    if (rawPath.isEmpty())
        return false;
    const QString path = QDir::cleanPath(rawPath);
    QModelIndex current;
    QString rest;
    const QString desktop = m_model->DesktopPath();
    const QString home = m_model->HomePath();
    const auto relative = [&](const QString& base) {
        return path.size() > base.size() ? path.mid(base == QLatin1String("/") ? 1 : base.size() + 1)
                                         : QString();
    };
    bool startIsDrive = false;
    if (!desktop.isEmpty() && PathHasPrefix(path, desktop)) {
        current = m_model->DesktopIndex();
        rest = relative(desktop);
        if (rest.isEmpty())
            collapse(current);  // forgets the children; the next expansion reads them again
        else
            ExpandIndex(current);
    } else if (!home.isEmpty() && PathHasPrefix(path, home)) {
        current = m_model->HomeIndex();
        ExpandIndex(current);
        rest = relative(home);
    } else {
        const MountEntry* mount = FindMountFor(m_model->Mounts(), path);
        if (!mount)
            return false;
        const QModelIndex computer = m_model->ComputerIndex();
        ExpandIndex(computer);
        current = m_model->DriveIndex(mount->mountPoint);
        if (!current.isValid())
            return false;
        rest = relative(mount->mountPoint);
        startIsDrive = true;
    }
    if (!current.isValid())
        return false;

    QStringList parts = rest.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const QString last = parts.isEmpty() ? QString() : parts.takeLast();
    if (startIsDrive && !last.isEmpty()) {
        SelectIndex(current);
        ExpandIndex(current);
    }
    // Each folder along the way is selected and expanded, as a click would do.
    for (const QString& part : parts) {
        m_model->EnsureFetched(current);
        const QModelIndex child = m_model->FindChild(current, part);
        if (!child.isValid())
            return false;
        current = child;
        SelectIndex(current);
        ExpandIndex(current);
    }
    bool found = true;
    if (!last.isEmpty()) {
        m_model->EnsureFetched(current);
        const QModelIndex child = m_model->FindChild(current, last);
        if (child.isValid())
            current = child;
        else
            found = false;
    }
    SelectIndex(current);
    if (found && expandLast)
        ExpandIndex(current);
    return found;
}

void CFileTreeCtrl::OnCollapsed(const QModelIndex& index)
{
    // A selected descendant is about to go: the collapsed item takes the selection.
    for (QModelIndex i = currentIndex().parent(); i.isValid(); i = i.parent()) {
        if (i == index) {
            SelectIndex(index);
            break;
        }
    }
    m_model->ForgetChildren(index);
}

void CFileTreeCtrl::OnCurrentChanged(const QModelIndex& current, const QModelIndex&)
{
    if (!current.isValid()) {
        m_currentLocation.clear();
        return;
    }
    const FolderTreeModel::Kind kind = m_model->KindOf(current);
    const QString path = m_model->PathOf(current);
    if (kind == FolderTreeModel::Kind::Folder && !QFileInfo::exists(path)) {
        // The folder vanished: drop it once this notification is over, and let its parent take
        // the selection (which reports the parent's folder).
        QTimer::singleShot(0, this, [this, item = QPersistentModelIndex(current)] {
            if (!item.isValid())
                return;
            if (currentIndex() == item)
                SelectIndex(item.parent());
            m_model->RemoveItem(item);
        });
        return;
    }
    if (!m_currentLocation.isEmpty() && !m_navigating) {
        if (m_backHistory.size() > kMaxHistory)
            m_backHistory.removeFirst();
        m_backHistory.append(m_currentLocation);
    }
    m_currentLocation = LocationOf(current);
    Q_EMIT folderSelected(path);
}

void CFileTreeCtrl::OnItemRenamed(const QModelIndex& index, const QString& oldPath, const QString& newPath)
{
    // Locations inside the renamed folder follow it.
    const Location renamed = LocationOf(index);
    Location old = renamed;
    old.last() = QFileInfo(oldPath).fileName();
    const auto move = [&](Location& location) {
        if (location.size() >= old.size() && std::equal(old.begin(), old.end(), location.begin()))
            location[old.size() - 1] = renamed.last();
    };
    for (Location& location : m_backHistory)
        move(location);
    for (Location& location : m_forwardHistory)
        move(location);
    const bool selectionInside = !m_currentLocation.isEmpty() && m_currentLocation.size() >= old.size()
        && std::equal(old.begin(), old.end(), m_currentLocation.begin());
    move(m_currentLocation);
    Q_EMIT folderRenamed(oldPath, newPath);
    if (selectionInside)
        Q_EMIT folderSelected(SelectedPath());
}

CFileTreeCtrl::Location CFileTreeCtrl::LocationOf(const QModelIndex& index) const
{
    Location location;
    for (QModelIndex i = index; i.isValid(); i = i.parent())
        location.prepend(i.data(FolderTreeModel::DisplayNameRole).toString());
    return location;
}

QModelIndex CFileTreeCtrl::Resolve(const Location& location)
{
    QModelIndex current;
    for (qsizetype i = 0; i < location.size(); ++i) {
        if (current.isValid())
            ExpandIndex(current);
        current = m_model->FindChild(current, location[i]);
        if (!current.isValid())
            return {};
    }
    return current;
}

bool CFileTreeCtrl::Navigate(QList<Location>& from, QList<Location>& to)
{
    while (!from.isEmpty()) {
        const Location target = from.takeLast();
        const QModelIndex item = Resolve(target);
        if (!item.isValid() || item == currentIndex())
            continue;  // gone (or already here): skip it
        const Location left = m_currentLocation;
        m_navigating = true;
        SelectIndex(item);
        m_navigating = false;
        if (!left.isEmpty())
            to.append(left);
        return true;
    }
    return false;
}

bool CFileTreeCtrl::GoBack()
{
    return Navigate(m_backHistory, m_forwardHistory);
}

bool CFileTreeCtrl::GoForward()
{
    return Navigate(m_forwardHistory, m_backHistory);
}

bool CFileTreeCtrl::GoUp()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !current.parent().isValid())
        return false;
    SelectIndex(current.parent());
    return true;
}

bool CFileTreeCtrl::Open(const QModelIndex& index)
{
    const QString path = m_model->PathOf(index);
    if (!m_allowOpen || path.isEmpty())
        return false;
    return OpenWithDesktop(path);
}

bool CFileTreeCtrl::ShowProperties(const QModelIndex& index)
{
    const QString path = m_model->PathOf(index);
    if (!m_allowProperties || path.isEmpty())
        return false;
    ::ShowProperties({path});
    return true;
}

bool CFileTreeCtrl::Rename(const QModelIndex& index)
{
    if (!m_allowRename || !index.isValid() || !(m_model->flags(index) & Qt::ItemIsEditable))
        return false;
    scrollTo(index);
    edit(index);
    return state() == QAbstractItemView::EditingState;
}

bool CFileTreeCtrl::Delete(const QModelIndex& index)
{
    return Delete(index, QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier));
}

bool CFileTreeCtrl::Delete(const QModelIndex& index, bool permanently)
{
    if (!m_allowDelete || !index.isValid() || m_model->KindOf(index) != FolderTreeModel::Kind::Folder)
        return false;
    const QPersistentModelIndex item(index);
    const QString path = m_model->PathOf(index);
    const QString name = QFileInfo(path).fileName();
    const QString title = QStringLiteral("Delete Folder");
    if (permanently) {
        if (!Ask(title, QStringLiteral("Do you want to delete the folder \"%1\" and everything in it for good?\n\n"
                                       "This cannot be undone.").arg(name)))
            return false;
    } else if (!Ask(title, QStringLiteral("Do you want to move the folder \"%1\" and everything in it to the "
                                          "Trash?").arg(name))) {
        return false;
    }

    ShellResult result;
    {
        const WaitCursor wait;
        result = permanently ? DeletePermanently(path) : MoveToTrash(path);
    }
    if (!permanently && result.error == ShellError::TrashUnavailable
        && Ask(title, QStringLiteral("The folder \"%1\" cannot be moved to the Trash from here.\n\n"
                                     "Do you want to delete it for good instead?").arg(name))) {
        const WaitCursor wait;
        result = DeletePermanently(path);
    }
    if (!item.isValid())
        return result.Ok();  // the tree was rebuilt while a question was open
    if (!result.Ok()) {
        if (result.error != ShellError::TrashUnavailable)
            Tell(title, QStringLiteral("The folder \"%1\" could not be deleted: %2.").arg(name, ShellErrorText(result)));
        // A folder that is gone after all (deleted meanwhile) still loses its item below.
        if (QFileInfo::exists(path)) {
            if (isExpanded(item))
                collapse(item);  // a partial delete: read what is left on the next expansion
            return false;
        }
    }

    const QModelIndex parent = item.parent();
    QModelIndex next = item.sibling(item.row() - 1, 0);
    if (!next.isValid())
        next = item.sibling(item.row() + 1, 0);
    if (!next.isValid())
        next = parent;
    // Select first, so that the removal does not move the selection a second time.
    SelectIndex(next);
    m_model->RemoveItem(item);
    return result.Ok();
}

QModelIndex CFileTreeCtrl::CreateFolder(const QModelIndex& parent, QString& name)
{
    if (!m_allowCreateFolder || !parent.isValid())
        return {};
    const FolderTreeModel::Kind kind = m_model->KindOf(parent);
    if (kind == FolderTreeModel::Kind::Network || kind == FolderTreeModel::Kind::NetworkPlace)
        return {};
    const QString parentPath = m_model->PathOf(parent);
    if (parentPath.isEmpty() || !QFileInfo(parentPath).isDir())
        return {};
    const ShellResult result = name.isEmpty() ? CreateUniqueFolder(parentPath) : CreateNamedFolder(parentPath, name);
    if (!result.Ok())
        return {};
    name = QFileInfo(result.path).fileName();
    const QPersistentModelIndex parentItem(parent);
    ExpandIndex(parentItem);
    // Reading the parent may already have listed the new folder; InsertFolder then returns it.
    const QModelIndex item = m_model->InsertFolder(parentItem, result.path);
    if (!item.isValid())
        return {};
    expand(parentItem);
    SelectIndex(item);
    Rename(item);
    return item;
}

void CFileTreeCtrl::ExpandAll(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const WaitCursor wait;
    setUpdatesEnabled(false);
    struct Pending {
        QPersistentModelIndex item;
        std::optional<dev_t> device;
    };
    std::vector<Pending> pending{{QPersistentModelIndex(index), DeviceOf(m_model->PathOf(index))}};
    while (!pending.empty()) {
        const Pending next = pending.back();
        pending.pop_back();
        if (!next.item.isValid() || !m_model->hasChildren(next.item))
            continue;
        ExpandIndex(next.item);
        // Pushed in reverse, so that the children are expanded in order.
        for (int row = m_model->rowCount(next.item) - 1; row >= 0; --row) {
            const QModelIndex child = m_model->index(row, 0, next.item);
            if (child.data(FolderTreeModel::SymLinkRole).toBool())
                continue;
            // Into a network mount: another file system, known without asking the server.
            if (m_model->IsOnNetwork(child) && !m_model->IsOnNetwork(next.item))
                continue;
            const std::optional<dev_t> device = DeviceOf(m_model->PathOf(child));
            if (next.device && device && *device != *next.device)
                continue;  // a mount point: another file system
            pending.push_back({QPersistentModelIndex(child), device});
        }
    }
    setUpdatesEnabled(true);
}

bool CFileTreeCtrl::IsTreeKey(const QKeyEvent* event) const
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return mods == Qt::NoModifier || mods == Qt::AltModifier;
    case Qt::Key_Delete: return mods == Qt::NoModifier || mods == Qt::ShiftModifier;
    case Qt::Key_F2:
    case Qt::Key_F5:
    case Qt::Key_Backspace:
    case Qt::Key_Menu: return mods == Qt::NoModifier;
    case Qt::Key_Left:
    case Qt::Key_Right: return mods == Qt::AltModifier;
    case Qt::Key_F10: return mods == Qt::ShiftModifier;
    default: return false;
    }
}

bool CFileTreeCtrl::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && IsTreeKey(static_cast<QKeyEvent*>(event))) {
        event->accept();  // ours before any window shortcut
        return true;
    }
    return QTreeView::event(event);
}

void CFileTreeCtrl::keyPressEvent(QKeyEvent* event)
{
    if (!IsTreeKey(event) || state() == QAbstractItemView::EditingState) {
        QTreeView::keyPressEvent(event);
        return;
    }
    const QModelIndex current = currentIndex();
    const bool alt = event->modifiers().testFlag(Qt::AltModifier);
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (alt)
            ShowProperties(current);
        else
            Open(current);
        break;
    case Qt::Key_Delete: Delete(current, event->modifiers().testFlag(Qt::ShiftModifier)); break;
    case Qt::Key_F2: Rename(current); break;
    case Qt::Key_F5: Refresh(); break;
    case Qt::Key_Backspace: GoUp(); break;
    case Qt::Key_Left: GoBack(); break;
    case Qt::Key_Right: GoForward(); break;
    default: break;  // Shift+F10 and the menu key: no menu from the keyboard
    }
    event->accept();
}

void CFileTreeCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton) {
        QTreeView::mousePressEvent(event);
        return;
    }
    const QModelIndex item = indexAt(event->position().toPoint());
    if (item.isValid())
        SelectIndex(item);
    else
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    event->accept();
}

void CFileTreeCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex item = indexAt(event->position().toPoint());
    // Folders with sub-folders expand and collapse; the others open.
    if (item.isValid() && item == currentIndex() && !m_model->hasChildren(item))
        Open(item);
}

void CFileTreeCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    if (event->reason() == QContextMenuEvent::Mouse)
        Q_EMIT contextMenuRequested(event->globalPos());
}
