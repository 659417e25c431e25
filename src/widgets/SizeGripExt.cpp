#include "SizeGripExt.h"

#include <QEvent>
#include <QPolygon>
#include <QRegion>
#include <QStyle>

CSizeGripExt::CSizeGripExt(QWidget* parent, bool shown, bool triangular)
    : QSizeGrip(parent)
{
    setFocusPolicy(Qt::NoFocus);
    ReadMetrics();
    resize(m_extent, m_extent);
    SetTriangular(triangular);
    m_shown = shown;
    Reposition();
}

void CSizeGripExt::SetTriangular(bool triangular)
{
    m_triangular = triangular;
    UpdateMask();
    if (isVisible())
        update();
}

void CSizeGripExt::Reposition()
{
    const QWidget* parent = parentWidget();
    if (parent == nullptr)
        return;
    const int x = isRightToLeft() ? 0 : parent->width() - m_extent;
    move(x, parent->height() - m_extent);
    raise();
    setVisible(m_shown);
}

void CSizeGripExt::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::StyleChange) {
        const int oldExtent = m_extent;
        ReadMetrics();
        const int shift = oldExtent - m_extent;
        setGeometry(isRightToLeft() ? x() : x() + shift, y() + shift, m_extent, m_extent);
        UpdateMask();
    } else if (event->type() == QEvent::LayoutDirectionChange) {
        UpdateMask();
    }
    QSizeGrip::changeEvent(event);
}

void CSizeGripExt::ReadMetrics()
{
    // Square, as wide as a vertical scroll bar and as high as a horizontal one.
    m_extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

void CSizeGripExt::UpdateMask()
{
    if (!m_triangular) {
        clearMask();
        return;
    }
    const int e = m_extent;
    // The half below the diagonal that runs up from the inner bottom corner.
    const QPolygon triangle = isRightToLeft() ? QPolygon({QPoint(0, 0), QPoint(0, e), QPoint(e, e)})
                                              : QPolygon({QPoint(0, e), QPoint(e, e), QPoint(e, 0)});
    setMask(QRegion(triangle));
}
