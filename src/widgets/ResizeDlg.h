#pragma once
// The base of the program's resizable dialogs. A subclass places its controls at pixel
// rectangles for the dialog's initial size and registers each one with anchor modes; every
// later size change moves, stretches or centres the registered controls by the change of the
// client size. The dialog keeps a size grip in its corner (hidden while maximized) and,
// when m_placementEntry is set, saves its placement under "Position" when it closes.
//
// Threads: GUI thread only.

#include "SizeGripExt.h"
#include "WindowPlacementStore.h"

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <functional>
#include <vector>

// How a registered control follows a size change, on one axis (horizontal: left and right
// edges, the client width; vertical: top and bottom, the client height).
enum AnchorMode {
    ANCHOR_KEEP = 0,    // both edges stay
    ANCHOR_STRETCH = 1, // the right edge moves by the change of the client width
    ANCHOR_MOVE = 2,    // both edges move by the change of the client width
    ANCHOR_CENTRE = 3,  // the width stays; the centre stays at the same fraction of the width
};

class CResizeDlg : public QDialog {
    Q_OBJECT

public:
    // Shows a failure to the user; `parent` may be null.
    using ErrorReport = std::function<void(QWidget* parent, const QString& text)>;

    explicit CResizeDlg(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~CResizeDlg() override;

    // Registers `control`, a child of this dialog placed for the current client size; call it
    // after the controls are created. Every later size change moves the control's rectangle by
    // the mode of the edge that moved on each axis. A size change always moves the right and
    // bottom edges (the window system does not say which edge the user drags), so `right` and
    // `bottom` decide; give each axis's two edges the same mode. Registering a control again
    // replaces its record. False, and nothing registered, when `control` is null or not a
    // child of this dialog.
    bool AnchorControl(QWidget* control, AnchorMode left, AnchorMode right, AnchorMode top, AnchorMode bottom);

    // Hides the size grip until the next size change shows it again.
    void HideSizeGrip();

    CSizeGripExt* SizeGrip() const { return m_grip; }

    // Replaces the "Fail to Save!" message box (tests pass a recorder, or nothing to stay
    // silent).
    void SetErrorReport(ErrorReport report) { m_errorReport = std::move(report); }

    // Saves the placement (see m_placementEntry), then closes as QDialog does. A subclass that
    // overrides done() calls this one.
    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

    // Restores the placement that closing saves (m_placementEntry under "Position"); false, and
    // the dialog left as it is, when nothing usable is stored.
    bool RestorePlacement()
    {
        return m_placement.RestoreWindowPlacement(this, QLatin1String(kPlacementSection), m_placementEntry);
    }

    // The dialog's placement store.
    WindowPlacementStore m_placement;
    // Entry under "Position" that receives the placement when the dialog closes, or when it is
    // destroyed while still shown; nothing is saved while it is empty.
    QString m_placementEntry;

private:
    struct AnchorRecord {
        QPointer<QWidget> control;
        AnchorMode horizontal = ANCHOR_KEEP; // the right edge's mode
        AnchorMode vertical = ANCHOR_KEEP;   // the bottom edge's mode
        QRect rect;           // the control's rectangle as last laid out; may be inverted
        double centreX = 0.5; // fraction of the client width at the control's centre
        double centreY = 0.5; // fraction of the client height at the control's centre
    };

    // Lays the controls out for the current size (not while minimized) and updates the grip.
    void Relayout();
    void SavePlacement(QWidget* reportParent);

    std::vector<AnchorRecord> m_anchors;
    QSize m_lastClient; // the client size at the last layout
    CSizeGripExt* m_grip = nullptr;
    ErrorReport m_errorReport;
};
