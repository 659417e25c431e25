#pragma once
// Window placements in the profile: a window's normal rectangle and show state, saved as a
// 44-byte record under a section and entry, and restored onto the screens that exist now.
//
// Threads: GUI thread only.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

class QWidget;

// The section that holds the program's window placements.
inline constexpr char kPlacementSection[] = "Position";

// The placement record: eleven 32-bit fields, stored little-endian in this order. The normal
// rectangle is the window's geometry without its frame in global coordinates, right and
// bottom exclusive; the minimized and maximized positions are kept but not used (-1 when
// saved).
struct WindowPlacement {
    static constexpr int kSize = 44;

    // Show commands.
    static constexpr std::int32_t kShowNormal = 1;
    static constexpr std::int32_t kShowMinimized = 2;
    static constexpr std::int32_t kShowMaximized = 3;
    static constexpr std::int32_t kMinimize = 6;
    static constexpr std::int32_t kShowMinNoActive = 7;
    // Flag: the minimized window comes back maximized.
    static constexpr std::int32_t kRestoreToMaximized = 2;

    std::int32_t length = 0;
    std::int32_t flags = 0;
    std::int32_t showCmd = 0;
    std::int32_t minX = 0;
    std::int32_t minY = 0;
    std::int32_t maxX = 0;
    std::int32_t maxY = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    QByteArray ToBytes() const;
    // Null unless `bytes` is exactly kSize long.
    static std::optional<WindowPlacement> FromBytes(const QByteArray& bytes);

    bool operator==(const WindowPlacement&) const = default;
};

class WindowPlacementStore {
public:
    WindowPlacementStore() = default;

    // Reads `window`'s placement and writes it under (section, entry), then the placement
    // kind under (section, the empty entry). False when `window` is not a top-level window
    // or a profile write failed.
    bool SaveWindowPlacement(const QWidget* window, const QString& section, const QString& entry);

    // The first call takes the window's current placement, centred on the primary screen, as
    // the fallback and reads the placement kind of `section`. Then: when (section, entry) holds
    // no usable record (absent, not 44 bytes long, an empty rectangle), Placement() becomes the
    // fallback, the window is left as it is and the result is false. Otherwise the record's
    // show command is adjusted by the placement kind, its rectangle is moved onto the available
    // screens, and the window takes it (a hidden window shows in that state); true.
    bool RestoreWindowPlacement(QWidget* window, const QString& section, const QString& entry);

    // Gives `window` the placement held in Placement(), moved onto the available screens.
    // False when `window` is not a top-level window.
    bool ApplyPlacement(QWidget* window);

    // The placement last saved, restored or fallen back to.
    const WindowPlacement& Placement() const { return m_placement; }
    // The placement kind read at the first restore (0 when the profile has none): 1 keeps the
    // stored show command, 2 normal, 3 maximized, 4 minimized; any other value turns a
    // minimized record into a normal one (maximized when its flags say so).
    int PlacementKind() const { return m_placementKind; }

private:
    int m_placementKind = 0;
    WindowPlacement m_placement;
    WindowPlacement m_defaultPlacement;
    bool m_firstRestore = true;
};
