#pragma once
// Lists a folder's sub-folders the way the folder tree needs them: one readdir pass, the entry
// types taken from the directory itself, and symbolic links followed only when their target does
// not lie on a network mount, so that a link to a dead server never hangs the caller. Dot names
// are hidden; names that do not survive decoding are left out (they could not be opened again
// by their decoded path).
//
// Threads: reentrant; call from any thread.

#include <QString>
#include <functional>
#include <optional>
#include <vector>

struct SubFolder {
    QString name;
    bool symLink = false;    // the entry is a symbolic link to a folder
    bool onNetwork = false;  // a link into a network mount: listed without looking at its target
};

// True when the path lies on a network mount (decided from the mount table, never by a stat).
using NetworkMountTest = std::function<bool(const QString& path)>;

// The visible sub-folders of folder, in directory order; nullopt when the folder cannot be read.
std::optional<std::vector<SubFolder>> ListSubFolders(const QString& folder, const NetworkMountTest& onNetwork);

// True when the folder has at least one visible sub-folder; stops at the first.
bool HasSubFolder(const QString& folder, const NetworkMountTest& onNetwork);
