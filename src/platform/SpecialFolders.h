#pragma once
// Known folders (desktop, home, music) and the shared-folder test, which stands in for the
// system's share list with the Samba usershares that `net usershare add` writes: one file per
// share in /var/lib/samba/usershares, holding a "path=" line. That folder is often readable only
// by the sambashare group; when it cannot be read no folder counts as shared.
//
// Paths are compared exactly (Linux names are case-sensitive), and a path prefix counts only
// when a separator or the end follows it.
//
// Threads: every function is reentrant; a ShareList may be read from several threads at once.

#include <QString>
#include <QStringList>

QString DesktopFolder();
QString HomeFolder();
QString MusicFolder();

// True when path equals prefix or continues it with "/" ("/srv/music" is inside "/srv" but not
// inside "/srv/mus"). Both are cleaned first, so a trailing "/" does not matter.
bool PathHasPrefix(const QString& path, const QString& prefix);

class ShareList {
public:
    static QString DefaultUsershareFolder() { return QStringLiteral("/var/lib/samba/usershares"); }

    // Reads every share file of the folder; an unreadable folder or file is skipped silently.
    static ShareList Read(const QString& usershareFolder = DefaultUsershareFolder());

    // True when a share's folder is exactly this path.
    bool IsShared(const QString& path) const;

    const QStringList& Paths() const { return m_paths; }

private:
    QStringList m_paths;  // cleaned
};
