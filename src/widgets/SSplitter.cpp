#include "SSplitter.h"

#include "platform/ProfileStore.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSplitterHandle>

#include <algorithm>

// The bar between the panes: its mouse input drives the splitter's own drag (ghost bar, own
// clamping, Esc) instead of QSplitter's.
class CSSplitterHandle : public QSplitterHandle {
public:
    CSSplitterHandle(Qt::Orientation orientation, CSSplitter* parent)
        : QSplitterHandle(orientation, parent)
        , m_owner(parent)
    {
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            m_owner->BeginDrag(SplitterX(event));
        event->accept();
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (event->buttons() & Qt::LeftButton)
            m_owner->TrackDrag(SplitterX(event));
        event->accept();
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            m_owner->EndDrag(SplitterX(event));
        event->accept();
    }

private:
    int SplitterX(const QMouseEvent* event) const
    {
        return mapTo(m_owner, event->position().toPoint()).x();
    }

    CSSplitter* m_owner;
};

CSSplitter::CSSplitter(QWidget* parent)
    : QSplitter(Qt::Horizontal, parent)
{
    setOpaqueResize(false);
    setChildrenCollapsible(false);
    setHandleWidth(kBarWidth);
}

CSSplitter::~CSSplitter()
{
    StopWatchingKeys();
    SavePosition();
}

bool CSSplitter::Create(QWidget* parent, QWidget* left, QWidget* right, int id, const QRect& rect, int minLeft,
                        int minRight, bool setUpPanes)
{
    m_id = id;
    if (parent != parentWidget())
        setParent(parent);
    setGeometry(rect);
    if (left != nullptr)
        insertWidget(0, left);
    if (right != nullptr)
        insertWidget(left != nullptr ? 1 : 0, right);
    m_minLeft = minLeft;
    m_minRight = minRight;
    if (setUpPanes)
        SetUpPanes(left, right, minLeft, minRight);
    return true;
}

void CSSplitter::SetUpPanes(QWidget* left, QWidget* right, int minLeft, int minRight)
{
    m_leftPane = left;
    m_rightPane = right;
    if (left != nullptr && indexOf(left) != 0)
        insertWidget(0, left);
    if (right != nullptr && indexOf(right) < 0)
        addWidget(right);
    m_minLeft = minLeft;
    m_minRight = minRight;
    m_vertical = true;
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);

    const int saved = ProfileStore().ReadInt(ProfileSection(), QLatin1String(kPositionEntry)).value_or(2 * minLeft);
    LayOutAt(saved + kBarWidth / 2);
    m_leftWidth = m_leftRight;
    if (m_leftHidden)
        GiveRightPaneAll();
}

void CSSplitter::HideLeftPane()
{
    if (!m_vertical || m_leftHidden || m_rightPane == nullptr)
        return;
    m_leftHidden = true;
    GiveRightPaneAll();
}

void CSSplitter::ShowLeftPane()
{
    if (!m_vertical)
        return;
    m_leftHidden = false;
    m_leftWidth = m_leftRight;
    if (m_leftPane != nullptr && m_leftPane->isHidden()) {
        m_leftPane->show();
        refresh(); // shows the bar again now
    }
    LayOutAt(m_leftRight + kBarWidth / 2);
}

QString CSSplitter::ProfileSection() const
{
    return QStringLiteral("splt\\init_v%1").arg(m_id);
}

int CSSplitter::ClampBar(int x) const
{
    const QRect client = contentsRect();
    x = std::min(x, client.x() + client.width() - m_minRight);
    return std::max(x, client.x() + m_minLeft);
}

QSplitterHandle* CSSplitter::createHandle()
{
    return new CSSplitterHandle(orientation(), this);
}

void CSSplitter::resizeEvent(QResizeEvent* event)
{
    QSplitter::resizeEvent(event);
    if (!m_vertical)
        return;
    if (m_leftHidden)
        GiveRightPaneAll();
    else
        LayOutAt(ClampBar(m_leftWidth + kBarWidth / 2));
}

bool CSSplitter::eventFilter(QObject* watched, QEvent* event)
{
    // Esc ends the tracking only; it is taken here so that it does not also close a dialog.
    if (m_tracking && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        CancelDrag();
        return true;
    }
    return QSplitter::eventFilter(watched, event);
}

void CSSplitter::LayOutAt(int x)
{
    m_leftRight = std::max(0, x - kBarWidth / 2);
    if (m_leftPane == nullptr || m_rightPane == nullptr)
        return;
    const int right = std::max(0, contentsRect().width() - m_leftRight - kBarWidth);
    setSizes({m_leftRight, right});
}

void CSSplitter::GiveRightPaneAll()
{
    // QSplitter hides the bar with the pane and gives the right pane the whole width; refresh()
    // does that now rather than at its next layout request.
    if (m_leftPane != nullptr && !m_leftPane->isHidden()) {
        m_leftPane->hide();
        refresh();
    }
}

void CSSplitter::SavePosition()
{
    if (m_leftRight > 0)
        ProfileStore().WriteInt(ProfileSection(), QLatin1String(kPositionEntry), m_leftRight);
}

void CSSplitter::BeginDrag(int x)
{
    if (!m_vertical || m_leftHidden)
        return;
    m_tracking = true;
    m_lastDragX = x;
    m_ghostX = m_leftRight + kBarWidth / 2;
    setRubberBand(m_ghostX - kBarWidth / 2);
    m_prevFocus = QApplication::focusWidget();
    setFocus(Qt::MouseFocusReason);
    if (!m_watchingKeys) {
        qApp->installEventFilter(this);
        m_watchingKeys = true;
    }
    m_dragging = true;
}

void CSSplitter::TrackDrag(int x)
{
    if (!m_tracking)
        return;
    const int clamped = ClampBar(x);
    m_ghostX = clamped;
    setRubberBand(clamped - kBarWidth / 2);
    m_lastDragX = clamped;
}

void CSSplitter::EndDrag(int x)
{
    StopWatchingKeys();
    if (!m_tracking || !m_dragging)
        return;
    const int clamped = ClampBar(x);
    setRubberBand(-1);
    m_ghostX = -1;
    m_tracking = false;
    LayOutAt(clamped);
    m_dragging = false;
    m_leftWidth = m_leftRight;
}

void CSSplitter::CancelDrag()
{
    setRubberBand(-1);
    m_ghostX = -1;
    StopWatchingKeys();
    if (m_prevFocus != nullptr)
        m_prevFocus->setFocus(Qt::OtherFocusReason);
    m_tracking = false;
}

void CSSplitter::StopWatchingKeys()
{
    if (m_watchingKeys) {
        qApp->removeEventFilter(this);
        m_watchingKeys = false;
    }
}
