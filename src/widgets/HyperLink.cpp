#include "HyperLink.h"

#include "platform/WinColor.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMessageBox>
#include <QMouseEvent>

namespace {

void ShowErrorBox(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.exec();
}

// Moves the two edges [start, start + extent) towards each other by half of (extent - wanted),
// the half truncated towards zero.
void CentreEdges(int& start, int& extent, int wanted)
{
    const int half = (extent - wanted) / 2;
    start += half;
    extent -= 2 * half;
}

} // namespace

CHyperLink::CHyperLink(QWidget* parent)
    : CHyperLink(QString(), parent)
{
}

CHyperLink::CHyperLink(const QString& text, QWidget* parent)
    : QLabel(text, parent)
    , m_linkColour(FromWinColor(0x00EE0000))
    , m_visitedColour(FromWinColor(0x008B1A55))
    , m_hoverColour(FromWinColor(0x000000FF))
    , m_opener([](const QUrl& address) { return QDesktopServices::openUrl(address); })
    , m_errorReport(ShowErrorBox)
{
    // A plain static text sits at the top left of its rectangle.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
}

void CHyperLink::Bind()
{
    if (m_address.isEmpty())
        m_address = text();
    if (text().isEmpty())
        setText(m_address);

    m_plainFont = font();
    m_underlinedFont = m_plainFont;
    m_underlinedFont.setUnderline(true);
    m_bound = true;

    FitWindowToText();
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    if (m_underlineMode != -1) {
        setFont(m_plainFont);
        m_underlineMode = -1;
    }
    setToolTip(m_address);
    ApplyColour();
}

void CHyperLink::SetLinkAddress(const QString& address)
{
    m_address = address;
    if (m_bound) {
        FitWindowToText();
        setToolTip(m_address);
    }
}

bool CHyperLink::OpenLinkAddress(const QString& address)
{
    return m_opener && m_opener(QUrl(address));
}

void CHyperLink::ShowOpenError(int code)
{
    if (m_errorReport)
        m_errorReport(this, OpenErrorText(code));
}

QString CHyperLink::OpenErrorText(int code)
{
    QString detail;
    switch (code) {
    case 0: detail = QStringLiteral("The operating system is out\nof memory or resources."); break;
    case 2: detail = QStringLiteral("The specified file was not found."); break;
    case 3: detail = QStringLiteral("The specified path was not found."); break;
    case 5: detail = QStringLiteral("The operating system denied\naccess to the specified file."); break;
    case 8: detail = QStringLiteral("There was not enough memory to complete the operation."); break;
    case 11: detail = QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."); break;
    case 26: detail = QStringLiteral("A sharing violation occurred. "); break;
    case 27: detail = QStringLiteral("The filename association is\nincomplete or invalid."); break;
    case 28:
        detail = QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
        break;
    case 29: detail = QStringLiteral("The DDE transaction failed."); break;
    case 30:
        detail = QStringLiteral("The DDE transaction could not\nbe completed because other DDE transactions\n"
                                "were being processed.");
        break;
    case 31: detail = QStringLiteral("There is no application associated\nwith the given filename extension."); break;
    case 32: detail = QStringLiteral("The specified dynamic-link library was not found."); break;
    default: detail = QStringLiteral("Unknown Error (%1) occurred.").arg(code); break;
    }
    return QStringLiteral("Unable to open hyperlink:\n\n") + detail;
}

void CHyperLink::FitWindowToText()
{
    if (!m_bound || !m_fitToText)
        return;
    const QRect window = geometry();
    const QRect client = contentsRect();
    const QSize textSize = QFontMetrics(m_underlinedFont).size(0, text());
    const int wantedWidth = textSize.width() + (window.width() - client.width());
    const int wantedHeight = textSize.height() + (window.height() - client.height());

    int x = window.x();
    int y = window.y();
    int width = window.width();
    int height = window.height();
    const Qt::Alignment align = alignment();
    if (align & Qt::AlignVCenter)
        CentreEdges(y, height, wantedHeight);
    else
        height = wantedHeight;
    if (align & Qt::AlignHCenter) {
        CentreEdges(x, width, wantedWidth);
    } else if (align & Qt::AlignRight) {
        x = x + width - wantedWidth;
        width = wantedWidth;
    } else {
        width = wantedWidth;
    }
    setGeometry(x, y, width, height);
}

QColor CHyperLink::TextColour() const
{
    if (m_pointerOver)
        return m_hoverColour;
    return m_visited ? m_visitedColour : m_linkColour;
}

void CHyperLink::enterEvent(QEnterEvent* event)
{
    PointerEntered();
    QLabel::enterEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event)
{
    m_pointerOver = false;
    if (m_bound && m_underlineMode != 1)
        setFont(m_plainFont);
    ApplyColour();
    QLabel::leaveEvent(event);
}

void CHyperLink::mouseMoveEvent(QMouseEvent* event)
{
    // Back to the hover look when the pointer moves again after a click.
    PointerEntered();
    QLabel::mouseMoveEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Clicked();
}

void CHyperLink::PointerEntered()
{
    if (m_pointerOver)
        return;
    m_pointerOver = true;
    if (m_bound && m_underlineMode == -1)
        setFont(m_underlinedFont);
    ApplyColour();
}

void CHyperLink::Clicked()
{
    m_pointerOver = false;
    m_visited = OpenLinkAddress(m_address);
    ApplyColour();
    if (!m_visited) {
        QApplication::beep();
        ShowOpenError(kNoAssociation);
    }
}

void CHyperLink::ApplyColour()
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, TextColour());
    setPalette(palette);
}
