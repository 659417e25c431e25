#include "foldertree/FolderTreeDelegate.h"

#include "foldertree/FolderTreeModel.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QStyle>

FolderTreeDelegate::FolderTreeDelegate(QObject* parent)
    : QStyledItemDelegate(parent), m_sharedEmblem(QIcon::fromTheme(QStringLiteral("emblem-shared")))
{
}

void FolderTreeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    if (m_sharedEmblem.isNull() || !index.data(FolderTreeModel::SharedRole).toBool())
        return;
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget* widget = option.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const QRect icon = style->subElementRect(QStyle::SE_ItemViewItemDecoration, &item, widget);
    if (icon.isEmpty())
        return;
    // The emblem covers the icon's lower left quarter, as the shell's overlay does.
    const int side = std::max(8, icon.height() / 2);
    const QRect emblem(icon.left(), icon.bottom() + 1 - side, side, side);
    m_sharedEmblem.paint(painter, emblem);
}

bool FolderTreeDelegate::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();  // the key press then goes to the editor, not to a shortcut
        return true;
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}
