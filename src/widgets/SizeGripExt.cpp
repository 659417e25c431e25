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
    resize(m_width, m_height);
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
    const int x = isRightToLeft() ? 0 : parent->width() - m_width;
    move(x, parent->height() - m_height);
    raise();
    setVisible(m_shown);
}

void CSizeGripExt::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::StyleChange) {
        const int oldWidth = m_width;
        const int oldHeight = m_height;
        ReadMetrics();
        const int left = isRightToLeft() ? x() : x() + oldWidth - m_width;
        setGeometry(left, y() + oldHeight - m_height, m_width, m_height);
        UpdateMask();
    } else if (event->type() == QEvent::LayoutDirectionChange) {
        UpdateMask();
    }
    QSizeGrip::changeEvent(event);
}

void CSizeGripExt::ReadMetrics()
{
    // Square, as wide as a vertical scroll bar and as high as a horizontal one.
    m_width = m_height = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

void CSizeGripExt::UpdateMask()
{
    if (!m_triangular) {
        clearMask();
        return;
    }
    const int w = m_width;
    const int h = m_height;
    // The half below the diagonal that runs up from the inner bottom corner.
    const QPolygon triangle = isRightToLeft() ? QPolygon({QPoint(0, 0), QPoint(0, h), QPoint(w, h)})
                                              : QPolygon({QPoint(0, h), QPoint(w, h), QPoint(w, 0)});
    setMask(QRegion(triangle));
}
