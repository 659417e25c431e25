#pragma once
// The size grip of a resizable dialog: a QSizeGrip that sits in the dialog's bottom-right
// corner (bottom-left in a right-to-left dialog), as large as a scroll bar is wide, cut to the
// triangle below its diagonal when triangular, and shown only while the dialog wants it.
// Dragging it resizes the dialog; it takes no keyboard focus.
//
// Threads: GUI thread only.

#include <QSizeGrip>

class CSizeGripExt : public QSizeGrip {
    Q_OBJECT

public:
    // A grip in `parent`'s corner, visible when `shown` (and the parent is).
    explicit CSizeGripExt(QWidget* parent, bool shown = true, bool triangular = true);

    // Cuts the grip to its lower-right triangle (lower-left in a right-to-left dialog), or
    // gives it its whole square back.
    void SetTriangular(bool triangular);
    bool IsTriangular() const { return m_triangular; }

    // Whether the next Reposition shows the grip.
    void SetShown(bool shown) { m_shown = shown; }
    bool IsShown() const { return m_shown; }

    // Puts the grip in the parent's corner, above its siblings, and shows or hides it.
    void Reposition();

protected:
    // A style change (scroll bar width) resizes the grip and keeps its outer corner in place.
    void changeEvent(QEvent* event) override;

private:
    void ReadMetrics();
    void UpdateMask();

    bool m_shown = true;
    int m_extent = 0; // width and height: the grip is square
    bool m_triangular = false;
};
