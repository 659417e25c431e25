#pragma once
// A text label that works as a link: blue while not yet opened, purple once opened, red and
// underlined while the pointer is over it, with a pointing-hand cursor and the address as its
// tooltip. It fits its size to its text, keeping its left edge, or its centre with
// Qt::AlignHCenter, or its right edge with Qt::AlignRight (and vertically its top, or its middle
// with Qt::AlignVCenter). A click opens the address with the desktop's handler; a failure is
// reported in a message box and the link stays unvisited.
//
// Construct it with its text and geometry, optionally set the address, then call Bind() once
// the dialog has placed it: an empty address takes the text, an empty text shows the address.
//
// Threads: GUI thread only.

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>
#include <QUrl>
#include <functional>

class CHyperLink : public QLabel {
    Q_OBJECT

public:
    // Opens an address; false when it could not be handed to any application.
    using Opener = std::function<bool(const QUrl& address)>;
    // Shows a failure to the user; `parent` may be null.
    using ErrorReport = std::function<void(QWidget* parent, const QString& text)>;

    // The failure code a failed open is reported with: no application for the address.
    static constexpr int kNoAssociation = 31;

    explicit CHyperLink(QWidget* parent = nullptr);
    explicit CHyperLink(const QString& text, QWidget* parent = nullptr);

    // Turns the label into the link (see above); call it once, after the label is placed.
    void Bind();

    // Sets the address; once bound, also refits the label and changes the tooltip. The visible
    // text stays.
    void SetLinkAddress(const QString& address);
    const QString& LinkAddress() const { return m_address; }

    // Opens `address`; true on success.
    bool OpenLinkAddress(const QString& address);
    // Shows "Unable to open hyperlink:" with the text for `code` (see OpenErrorText).
    void ShowOpenError(int code);
    // The whole failure message for a failure code.
    static QString OpenErrorText(int code);

    // Resizes the bound label to its text as measured in the underlined font (see above).
    void FitWindowToText();

    QColor LinkColour() const { return m_linkColour; }
    QColor VisitedColour() const { return m_visitedColour; }
    QColor HoverColour() const { return m_hoverColour; }
    // The colour the text is painted in now.
    QColor TextColour() const;
    bool IsVisited() const { return m_visited; }
    bool IsPointerOver() const { return m_pointerOver; }

    // Replaces the desktop opener and the message box (tests pass recorders).
    void SetOpener(Opener opener) { m_opener = std::move(opener); }
    void SetErrorReport(ErrorReport report) { m_errorReport = std::move(report); }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PointerEntered();
    void Clicked();
    void ApplyColour();

    QColor m_linkColour;
    QColor m_visitedColour;
    QColor m_hoverColour;
    bool m_pointerOver = false;
    bool m_visited = false;
    int m_underlineMode = -1; // -1: underlined while the pointer is over it; 1: always
    bool m_fitToText = true;
    bool m_bound = false;
    QString m_address;
    QFont m_underlinedFont;
    QFont m_plainFont;
    Opener m_opener;
    ErrorReport m_errorReport;
};
