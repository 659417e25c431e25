#pragma once
// The folder tree of the main window's left pane: a QTreeView over a FolderTreeModel. Folders are
// read when first expanded and forgotten when collapsed. Selecting an item emits folderSelected
// with its path (empty for Computer and Network); selecting a folder that vanished on disk removes
// it instead (after the selection handler has returned, so the selection does not move inside its
// own notification).
//
// Navigation: every selection change records the item left behind in the Back list (at most
// kMaxHistory + 1 entries), except the ones Back and Forward make themselves. History entries
// are locations (the display names from the Desktop down), not items, so they survive collapses
// and Refresh; an entry whose folder has gone is skipped and dropped when it is reached.
//
// Folder operations: Open, ShowProperties, Rename (the label editor; the model renames on
// disk), Delete (to the trash, or for good), CreateFolder and ExpandAll. No shell asks or
// reports anything here, so the tree asks its own questions through FolderTreePrompts.
//
// Keys the tree takes before any window shortcut while it has the focus: Enter (open),
// Alt+Enter (properties), Delete and Shift+Delete, F2 (rename), F5 (refresh), Backspace (up),
// Alt+Left / Alt+Right (back / forward); Shift+F10 and the menu key are swallowed. While the
// label editor is open, every key goes to the editor.
//
// Threads: GUI thread only.
#include "foldertree/FolderTreeModel.h"

#include <QStringList>
#include <QTreeView>
#include <functional>

// The questions and reports of the folder operations. Unset members show message boxes over the
// tree's window.
struct FolderTreePrompts {
    std::function<bool(const QString& title, const QString& text)> ask;  // true for Yes
    std::function<void(const QString& title, const QString& text)> tell;
};

class CFileTreeCtrl : public QTreeView {
    Q_OBJECT
public:
    static constexpr int kMaxHistory = 20;

    explicit CFileTreeCtrl(FolderTreeModel::Sources sources = {}, QWidget* parent = nullptr);

    FolderTreeModel* Model() const { return m_model; }
    void SetPrompts(FolderTreePrompts prompts);

    // Rebuilds the tree and selects the previously selected item again (expanded when it was).
    // The history is kept; the reselection itself is not recorded.
    void Refresh();

    // Selects the folder, expanding the items along the way: home paths below the home item,
    // desktop paths below the Desktop, everything else from the longest mount point below
    // Computer. When the whole path was not found the deepest item reached stays selected and
    // the result is false. With expand, the final item is expanded too.
    bool SetSelectedPath(const QString& path, bool expand = false);
    // The selected item's path; empty when nothing (or Computer or Network) is selected.
    QString SelectedPath() const;

    // Selects the parent of the selected item; false when there is none (or it is the top).
    bool GoUp();
    bool GoBack();
    bool GoForward();
    bool CanGoBack() const { return !m_backHistory.isEmpty(); }
    bool CanGoForward() const { return !m_forwardHistory.isEmpty(); }

    // Opens the item's folder with the desktop's file manager; false for items without a path.
    bool Open(const QModelIndex& index);
    // Asks the file manager to show the folder's properties; false for items without a path.
    bool ShowProperties(const QModelIndex& index);
    // Opens the label editor on a folder item; false for every other kind.
    bool Rename(const QModelIndex& index);
    // The label editor is open.
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }
    // Deletes a folder item's folder after asking: to the trash, or for good while Shift is held.
    // The previous sibling (else the next, else the parent) takes the selection.
    bool Delete(const QModelIndex& index);
    bool Delete(const QModelIndex& index, bool permanently);
    // Creates a folder below parent ("New Folder", "New Folder (2)", ... when name is empty),
    // selects it and opens its label editor. name receives the folder's name. Returns the new
    // item, or an invalid index when the parent has no folder or the folder cannot be created.
    QModelIndex CreateFolder(const QModelIndex& parent, QString& name);
    // Expands the item and everything below it, without following folder links or entering
    // another file system (a mount point below the item, such as /proc below /).
    void ExpandAll(const QModelIndex& index);

    bool m_allowOpen = true;
    bool m_allowProperties = true;
    bool m_allowRename = true;
    bool m_allowDelete = true;
    bool m_allowCreateFolder = true;

Q_SIGNALS:
    void folderSelected(const QString& path);
    // A folder was renamed; when the selection lay inside it, folderSelected follows.
    void folderRenamed(const QString& oldPath, const QString& newPath);
    // A right click (after the item under it was selected, or the selection cleared).
    void contextMenuRequested(const QPoint& globalPos);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    using Location = QStringList;  // display names from the Desktop down; empty = no item

    void OnCurrentChanged(const QModelIndex& current, const QModelIndex& previous);
    void OnCollapsed(const QModelIndex& index);
    void OnItemRenamed(const QModelIndex& index, const QString& oldPath, const QString& newPath);
    void SelectIndex(const QModelIndex& index);
    void ExpandIndex(const QModelIndex& index);
    bool IsTreeKey(const QKeyEvent* event) const;
    Location LocationOf(const QModelIndex& index) const;
    // The item at the location, reading and expanding the items above it; invalid when gone.
    QModelIndex Resolve(const Location& location);
    // Takes entries off the end of from until one resolves, selects it without recording it,
    // and puts the item left behind on to.
    bool Navigate(QList<Location>& from, QList<Location>& to);
    bool Ask(const QString& title, const QString& text);
    void Tell(const QString& title, const QString& text);

    FolderTreeModel* m_model;
    FolderTreePrompts m_prompts;
    QList<Location> m_backHistory;     // oldest first
    QList<Location> m_forwardHistory;  // most recent last
    Location m_currentLocation;        // the selected item's, kept for the next selection change
    bool m_navigating = false;         // set while a selection must not be recorded
};
