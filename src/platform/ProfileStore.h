#pragma once
// The per-user profile: window placements, list layout and other view state, in sections and
// entries, on QSettings (organisation "Tessaloom Corporation", application = the executable's
// base name). Binary values are kept byte for byte.
//
// Threads: use it on the GUI thread.

#include <QByteArray>
#include <QString>
#include <optional>

class ProfileStore {
public:
    // An entry name cannot be empty in QSettings; the empty-named entry lives under this key.
    static constexpr const char* kEmptyEntryKey = "PlacementKind";

    std::optional<QByteArray> ReadBinary(const QString& section, const QString& entry) const;
    bool WriteBinary(const QString& section, const QString& entry, const QByteArray& value);
    std::optional<int> ReadInt(const QString& section, const QString& entry) const;
    bool WriteInt(const QString& section, const QString& entry, int value);
};
