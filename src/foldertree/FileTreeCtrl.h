#pragma once
// The folder tree of the main window's left pane: a QTreeView over a FolderTreeModel. Folders are
// read when first expanded and forgotten when collapsed. Selecting an item emits folderSelected
// with its path (empty for Computer and Network); selecting a folder that vanished on disk removes
// it instead (after the selection handler has returned, so the selection does not move inside its
// own notification).
//
// Threads: GUI thread only.
#include "foldertree/FolderTreeModel.h"

#include <QTreeView>

class CFileTreeCtrl : public QTreeView {
    Q_OBJECT
public:
    explicit CFileTreeCtrl(FolderTreeModel::Sources sources = {}, QWidget* parent = nullptr);

    FolderTreeModel* Model() const { return m_model; }

    // Rebuilds the tree and selects the previously selected path again (expanded when it was).
    void Refresh();

    // Selects the folder, expanding the items along the way: home paths below the home item,
    // desktop paths below the Desktop, everything else from the longest mount point below
    // Computer. When the whole path was not found the deepest item reached stays selected and
    // the result is false. With expand, the final item is expanded too.
    bool SetSelectedPath(const QString& path, bool expand = false);
    // The selected item's path; empty when nothing (or Computer or Network) is selected.
    QString SelectedPath() const;

Q_SIGNALS:
    void folderSelected(const QString& path);

private:
    void OnCurrentChanged(const QModelIndex& current, const QModelIndex& previous);
    void OnCollapsed(const QModelIndex& index);
    void SelectIndex(const QModelIndex& index);
    void ExpandIndex(const QModelIndex& index);

    FolderTreeModel* m_model;
};
