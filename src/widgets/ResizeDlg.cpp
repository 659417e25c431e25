#include "ResizeDlg.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QResizeEvent>

#include <algorithm>

namespace {

void ShowErrorBox(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.exec();
}

// One edge pair after a size change of `delta`, on an axis whose client length is now `length`.
void Follow(AnchorMode mode, int delta, int length, double centre, int& start, int& extent)
{
    switch (mode) {
    case ANCHOR_STRETCH:
        extent += delta;
        break;
    case ANCHOR_MOVE:
        start += delta;
        break;
    case ANCHOR_CENTRE:
        start = static_cast<int>(length * centre - extent * 0.5);
        break;
    case ANCHOR_KEEP:
        break;
    }
}

double CentreFraction(int start, int extent, int length)
{
    return length > 0 ? (start + extent * 0.5) / length : 0.5;
}

} // namespace

CResizeDlg::CResizeDlg(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), m_lastClient(size()), m_errorReport(ShowErrorBox)
{
    m_grip = new CSizeGripExt(this, true, true);
}

CResizeDlg::~CResizeDlg()
{
    // Destroyed without closing: the placement is saved all the same.
    if (isVisible())
        SavePlacement(nullptr);
}

bool CResizeDlg::AnchorControl(QWidget* control, AnchorMode left, AnchorMode right, AnchorMode top, AnchorMode bottom)
{
    if (control == nullptr || control->parentWidget() != this || control == m_grip)
        return false;
    // Catch up with a size change that has not been laid out yet (a hidden dialog gets its
    // resize event only when it shows), so that the new control starts from the current size.
    Relayout();

    AnchorRecord record;
    record.control = control;
    record.horizontal = right;
    record.vertical = bottom;
    record.rect = control->geometry();
    if (left == ANCHOR_CENTRE || right == ANCHOR_CENTRE)
        record.centreX = CentreFraction(record.rect.x(), record.rect.width(), m_lastClient.width());
    if (top == ANCHOR_CENTRE || bottom == ANCHOR_CENTRE)
        record.centreY = CentreFraction(record.rect.y(), record.rect.height(), m_lastClient.height());

    const auto same = std::find_if(m_anchors.begin(), m_anchors.end(),
                                   [control](const AnchorRecord& a) { return a.control == control; });
    if (same != m_anchors.end())
        *same = record;
    else
        m_anchors.push_back(record);
    return true;
}

void CResizeDlg::HideSizeGrip()
{
    m_grip->SetShown(false);
    m_grip->Reposition();
}

void CResizeDlg::done(int result)
{
    SavePlacement(this);
    QDialog::done(result);
}

void CResizeDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Relayout();
}

void CResizeDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // Leaving the maximized state at the same size brings no resize event, but the grip has to
    // come back.
    if (event->type() == QEvent::WindowStateChange)
        Relayout();
}

void CResizeDlg::Relayout()
{
    // A minimized dialog keeps its controls, its grip and the size it had before: restoring it
    // lays out against that size.
    if (windowState() & Qt::WindowMinimized)
        return;

    const QSize client = size();
    const int dW = client.width() - m_lastClient.width();
    const int dH = client.height() - m_lastClient.height();
    bool batching = false;
    for (AnchorRecord& anchor : m_anchors) {
        if (anchor.control == nullptr)
            continue;
        int x = anchor.rect.x();
        int width = anchor.rect.width();
        int y = anchor.rect.y();
        int height = anchor.rect.height();
        Follow(anchor.horizontal, dW, client.width(), anchor.centreX, x, width);
        Follow(anchor.vertical, dH, client.height(), anchor.centreY, y, height);
        const QRect moved(x, y, width, height);
        if (moved == anchor.rect)
            continue;
        // All controls move before anything repaints.
        if (!batching && updatesEnabled()) {
            setUpdatesEnabled(false);
            batching = true;
        }
        anchor.rect = moved;
        // The rectangle keeps its arithmetic when the dialog is smaller than it; the control
        // gets no negative size.
        anchor.control->setGeometry(x, y, std::max(0, width), std::max(0, height));
    }
    if (batching)
        setUpdatesEnabled(true);
    m_lastClient = client;

    m_grip->SetShown(!(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)));
    m_grip->Reposition();
}

void CResizeDlg::SavePlacement(QWidget* reportParent)
{
    if (m_placementEntry.isEmpty())
        return;
    if (!m_placement.SaveWindowPlacement(this, QLatin1String(kPlacementSection), m_placementEntry) && m_errorReport)
        m_errorReport(reportParent, QStringLiteral("Fail to Save!"));
}
