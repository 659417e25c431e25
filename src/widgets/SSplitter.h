#pragma once
// The main window's two panes side by side (the folder tree on the left, the file list on the
// right) with a 3-pixel bar between them. Dragging the bar shows a ghost bar only; the panes
// move when the button is released, and Esc cancels the drag. The bar position is clamped to
// at least m_minLeft pixels from the left border and m_minRight pixels from the right one (the
// left minimum wins when both cannot hold); the same clamp applies on resizes, which keep the
// left pane's width whenever there is room for it. The left pane can be
// hidden and shown again with its width. The left pane's width is kept under
// "splt\init_v<id>" / "VertSplitPos" in the profile: read when the panes are set up (twice the
// left minimum when missing), written when the splitter is destroyed.
//
// The panes get no Qt minimum sizes: the splitter does its own clamping, so that a window
// holding it can still shrink below the sum of the minimums.
//
// Threads: GUI thread only.

#include <QPointer>
#include <QSplitter>
#include <QString>

class CSSplitterHandle;

class CSSplitter : public QSplitter {
    Q_OBJECT

public:
    // The profile entry that holds the left pane's width.
    static constexpr const char* kPositionEntry = "VertSplitPos";
    // Width of the gap between the panes.
    static constexpr int kBarWidth = 3;

    explicit CSSplitter(QWidget* parent = nullptr);
    // Saves the left pane's width (see SavePosition).
    ~CSSplitter() override;

    // Places the splitter in `parent` at `rect`, makes it the parent of both panes and keeps the
    // minimums and `id` (part of the profile section). With `setUpPanes`, sets the panes up at
    // once (SetUpPanes). Always true.
    bool Create(QWidget* parent, QWidget* left, QWidget* right, int id, const QRect& rect, int minLeft,
                int minRight, bool setUpPanes = true);

    // Takes the panes and the minimums and lays the panes out at the stored width (twice the
    // left minimum when nothing is stored). The stored width is not clamped here; the next
    // resize clamps it. A pane may be null.
    void SetUpPanes(QWidget* left, QWidget* right, int minLeft, int minRight);

    bool IsLeftPaneShown() const { return !m_leftHidden; }
    // Hides the left pane and gives the right one the whole width; nothing before the set-up,
    // when already hidden, or without a right pane. The left pane's width is kept.
    void HideLeftPane();
    // Shows the left pane again at the width it had; nothing before the set-up.
    void ShowLeftPane();

    // "splt\init_v<id>".
    QString ProfileSection() const;
    // The width the left pane keeps across resizes and hiding.
    int LeftWidth() const { return m_leftWidth; }
    // The left pane's current right edge (its width) as last laid out.
    int LeftPaneRight() const { return m_leftRight; }
    // A drag of the bar is being tracked (the ghost bar shows).
    bool IsTracking() const { return m_tracking; }
    // The bar position the ghost bar shows during a drag, -1 without one.
    int GhostBar() const { return m_ghostX; }
    int MinLeft() const { return m_minLeft; }
    int MinRight() const { return m_minRight; }

    // Clamps a bar position to the minimums for the current width.
    int ClampBar(int x) const;

protected:
    QSplitterHandle* createHandle() override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class CSSplitterHandle;

    // Lays the panes out with the bar at `x` (the left pane up to x - 1, the right one from
    // x + 2).
    void LayOutAt(int x);
    void GiveRightPaneAll();
    // Writes the left pane's width to the profile when there is one.
    void SavePosition();

    // Drag steps, in the splitter's coordinates, called by the handle.
    void BeginDrag(int x);
    void TrackDrag(int x);
    void EndDrag(int x);
    void CancelDrag();
    void StopWatchingKeys();

    QPointer<QWidget> m_leftPane;
    QPointer<QWidget> m_rightPane;
    QPointer<QWidget> m_prevFocus; // had the keyboard focus before the drag
    int m_minLeft = 0;
    int m_minRight = 0;
    int m_id = 0;
    int m_leftWidth = 0;  // kept across resizes; clamping does not change it
    int m_leftRight = 0;  // the left pane's right edge as last laid out (0: none yet)
    int m_lastDragX = 0;  // mouse x at the last ghost-bar position
    int m_ghostX = -1;    // bar position shown by the ghost bar, -1 while there is none
    bool m_vertical = false; // the panes are set up
    bool m_tracking = false; // the ghost bar is tracked; cleared by the release and by Esc
    bool m_dragging = false; // set by a press, cleared by the release that completes the drag
    bool m_leftHidden = false;
    bool m_watchingKeys = false;
};
