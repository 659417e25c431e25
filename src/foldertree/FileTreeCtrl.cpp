#include "foldertree/FileTreeCtrl.h"

#include "platform/SpecialFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QPersistentModelIndex>
#include <QTimer>

CFileTreeCtrl::CFileTreeCtrl(FolderTreeModel::Sources sources, QWidget* parent)
    : QTreeView(parent), m_model(new FolderTreeModel(std::move(sources), this))
{
    setModel(m_model);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &CFileTreeCtrl::OnCurrentChanged);
    connect(this, &QTreeView::collapsed, this, &CFileTreeCtrl::OnCollapsed);
    // The view fetches only when it lays out visible rows; read at once so that expansion works
    // the same for a hidden tree and for SetSelectedPath.
    connect(this, &QTreeView::expanded, m_model, &FolderTreeModel::EnsureFetched);
    expand(m_model->DesktopIndex());
}

void CFileTreeCtrl::Refresh()
{
    const QModelIndex current = currentIndex();
    const QString path = m_model->PathOf(current);
    const bool wasExpanded = current.isValid() && isExpanded(current);
    m_model->Refresh();
    expand(m_model->DesktopIndex());
    if (!path.isEmpty())
        SetSelectedPath(path, wasExpanded);
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
    if (!current.isValid())
        return;
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
    Q_EMIT folderSelected(path);
}
