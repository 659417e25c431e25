#pragma once
// Paints the folder tree's items with the "shared" emblem over the icon of shared folders and
// drives, and keeps the label editor's keys away from the window's shortcuts: while the editor is
// open every key is the editor's.
//
// Threads: GUI thread only.
#include <QIcon>
#include <QStyledItemDelegate>

class FolderTreeDelegate : public QStyledItemDelegate {
public:
    explicit FolderTreeDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QIcon m_sharedEmblem;
};
