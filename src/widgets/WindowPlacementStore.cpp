#include "WindowPlacementStore.h"

#include "platform/ProfileStore.h"

#include <QGuiApplication>
#include <QMargins>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QtEndian>

#include <algorithm>
#include <array>

namespace {

constexpr int kFieldCount = WindowPlacement::kSize / 4;

std::array<std::int32_t*, kFieldCount> Fields(WindowPlacement& p)
{
    return {&p.length, &p.flags, &p.showCmd, &p.minX, &p.minY, &p.maxX, &p.maxY,
            &p.left, &p.top, &p.right, &p.bottom};
}

void SetNormalRect(WindowPlacement& p, const QRect& normal)
{
    p.left = normal.x();
    p.top = normal.y();
    p.right = normal.x() + normal.width();
    p.bottom = normal.y() + normal.height();
}

bool IsMinimizedCommand(std::int32_t showCmd)
{
    return showCmd == WindowPlacement::kShowMinimized || showCmd == WindowPlacement::kMinimize
        || showCmd == WindowPlacement::kShowMinNoActive;
}

// The placement of a top-level window, as its record; null for anything else.
std::optional<WindowPlacement> ReadPlacement(const QWidget* window)
{
    if (window == nullptr || !window->isWindow())
        return std::nullopt;
    const Qt::WindowStates state = window->windowState();
    WindowPlacement p;
    p.length = WindowPlacement::kSize;
    if (state & Qt::WindowMinimized) {
        p.showCmd = WindowPlacement::kShowMinimized;
        if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
            p.flags = WindowPlacement::kRestoreToMaximized;
    } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        p.showCmd = WindowPlacement::kShowMaximized;
    } else {
        p.showCmd = WindowPlacement::kShowNormal;
    }
    p.minX = p.minY = p.maxX = p.maxY = -1;
    const QRect normal = window->normalGeometry();
    SetNormalRect(p, normal.isValid() ? normal : window->geometry());
    return p;
}

// The show command after the placement kind has had its say.
std::int32_t AdjustedShowCommand(const WindowPlacement& p, int kind)
{
    switch (kind) {
    case 1:
        return p.showCmd;
    case 2:
        return WindowPlacement::kShowNormal;
    case 3:
        return WindowPlacement::kShowMaximized;
    case 4:
        return WindowPlacement::kShowMinimized;
    default:
        // Never start minimized: back to the state the window had before it was minimized.
        if (IsMinimizedCommand(p.showCmd))
            return (p.flags & WindowPlacement::kRestoreToMaximized) ? WindowPlacement::kShowMaximized
                                                                    : WindowPlacement::kShowNormal;
        return p.showCmd;
    }
}

// The frame around a shown window's geometry; nothing is known of it before the window shows.
QMargins FrameMargins(const QWidget* window)
{
    if (!window->isVisible())
        return {};
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

// The record's normal rectangle (with `frame` around it) moved, and shrunk where needed, into
// the available area of the screen it overlaps most, or of the primary screen when it overlaps
// none. Null when the rectangle is empty or inverted.
std::optional<QRect> ClampedNormalRect(const WindowPlacement& p, const QMargins& frame)
{
    const qint64 left = qint64(p.left) - frame.left();
    const qint64 top = qint64(p.top) - frame.top();
    const qint64 right = qint64(p.right) + frame.right();
    const qint64 bottom = qint64(p.bottom) + frame.bottom();
    if (qint64(p.right) <= p.left || qint64(p.bottom) <= p.top)
        return std::nullopt;

    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr)
        return std::nullopt;
    QRect area = primary->availableGeometry();
    qint64 bestOverlap = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect a = screen->availableGeometry();
        const qint64 w = std::min<qint64>(right, qint64(a.x()) + a.width()) - std::max<qint64>(left, a.x());
        const qint64 h = std::min<qint64>(bottom, qint64(a.y()) + a.height()) - std::max<qint64>(top, a.y());
        if (w > 0 && h > 0 && w * h > bestOverlap) {
            bestOverlap = w * h;
            area = a;
        }
    }

    const qint64 width = std::min<qint64>(right - left, area.width());
    const qint64 height = std::min<qint64>(bottom - top, area.height());
    const qint64 x = std::clamp<qint64>(left, area.x(), qint64(area.x()) + area.width() - width);
    const qint64 y = std::clamp<qint64>(top, area.y(), qint64(area.y()) + area.height() - height);
    return QRect(int(x) + frame.left(), int(y) + frame.top(),
                 std::max(1, int(width) - frame.left() - frame.right()),
                 std::max(1, int(height) - frame.top() - frame.bottom()));
}

// The window state a show command asks for.
Qt::WindowStates TargetState(const WindowPlacement& p)
{
    if (IsMinimizedCommand(p.showCmd)) {
        if (p.flags & WindowPlacement::kRestoreToMaximized)
            return Qt::WindowMinimized | Qt::WindowMaximized;
        return Qt::WindowMinimized;
    }
    if (p.showCmd == WindowPlacement::kShowMaximized)
        return Qt::WindowMaximized;
    return Qt::WindowNoState;
}

// Gives `window` the normal rectangle `normal` and then the state of `p`'s show command.
void Apply(QWidget* window, const QRect& normal, const WindowPlacement& p)
{
    constexpr Qt::WindowStates kSpecialStates = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    const Qt::WindowStates active = window->windowState() & Qt::WindowActive;
    // The normal rectangle is taken only in the normal state.
    if (window->windowState() & kSpecialStates)
        window->setWindowState(window->windowState() & ~kSpecialStates);
    window->setGeometry(normal);
    const Qt::WindowStates target = TargetState(p);
    if (target != Qt::WindowNoState)
        window->setWindowState(target | active);
}

} // namespace

QByteArray WindowPlacement::ToBytes() const
{
    QByteArray bytes(kSize, '\0');
    WindowPlacement copy = *this;
    int offset = 0;
    for (const std::int32_t* field : Fields(copy)) {
        qToLittleEndian<std::int32_t>(*field, bytes.data() + offset);
        offset += 4;
    }
    return bytes;
}

std::optional<WindowPlacement> WindowPlacement::FromBytes(const QByteArray& bytes)
{
    if (bytes.size() != kSize)
        return std::nullopt;
    WindowPlacement p;
    int offset = 0;
    for (std::int32_t* field : Fields(p)) {
        *field = qFromLittleEndian<std::int32_t>(bytes.constData() + offset);
        offset += 4;
    }
    return p;
}

bool WindowPlacementStore::SaveWindowPlacement(const QWidget* window, const QString& section, const QString& entry)
{
    const std::optional<WindowPlacement> current = ReadPlacement(window);
    if (!current)
        return false;
    m_placement = *current;
    ProfileStore profile;
    // A store that never restored has not read the placement kind yet: keep the stored one.
    if (m_firstRestore)
        m_placementKind = profile.ReadInt(section, QString()).value_or(0);
    return profile.WriteBinary(section, entry, m_placement.ToBytes())
        && profile.WriteInt(section, QString(), m_placementKind);
}

bool WindowPlacementStore::RestoreWindowPlacement(QWidget* window, const QString& section, const QString& entry)
{
    // Checked first, so that a call without a window leaves the first restore to come.
    if (window == nullptr || !window->isWindow())
        return false;
    ProfileStore profile;
    if (m_firstRestore) {
        m_firstRestore = false;
        m_defaultPlacement = *ReadPlacement(window);
        if (const QScreen* primary = QGuiApplication::primaryScreen()) {
            const QRect screen = primary->geometry();
            const qint64 width = qint64(m_defaultPlacement.right) - m_defaultPlacement.left;
            const qint64 height = qint64(m_defaultPlacement.bottom) - m_defaultPlacement.top;
            m_defaultPlacement.left = std::int32_t(screen.x() + (screen.width() - width) / 2);
            m_defaultPlacement.right = std::int32_t(screen.x() + (screen.width() + width) / 2);
            m_defaultPlacement.top = std::int32_t(screen.y() + (screen.height() - height) / 2);
            m_defaultPlacement.bottom = std::int32_t(screen.y() + (screen.height() + height) / 2);
        }
        m_placementKind = profile.ReadInt(section, QString()).value_or(0);
    }

    std::optional<WindowPlacement> stored;
    if (const std::optional<QByteArray> bytes = profile.ReadBinary(section, entry))
        stored = WindowPlacement::FromBytes(*bytes);
    std::optional<QRect> normal;
    if (stored) {
        stored->showCmd = AdjustedShowCommand(*stored, m_placementKind);
        normal = ClampedNormalRect(*stored, FrameMargins(window));
    }
    if (!normal) {
        m_placement = m_defaultPlacement;
        return false;
    }
    SetNormalRect(*stored, *normal);
    m_placement = *stored;
    Apply(window, *normal, m_placement);
    return true;
}

bool WindowPlacementStore::ApplyPlacement(QWidget* window)
{
    if (window == nullptr || !window->isWindow())
        return false;
    const std::optional<QRect> normal = ClampedNormalRect(m_placement, FrameMargins(window));
    if (!normal)
        return false;
    Apply(window, *normal, m_placement);
    return true;
}
