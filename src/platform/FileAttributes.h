#pragma once
// The file attributes the folder tree and the file list show. Hidden means the name starts with
// "."; system, temporary and offline do not exist on Linux. Compressed and encrypted come from
// statx, and a 0 bit is trusted only when stx_attributes_mask says the file system reports it.
// statx never opens the file, so FIFOs and devices cannot block it; a dead network server can,
// which is why callers skip it for network mounts and keep the result with the item instead of
// asking again on every paint.
//
// Threads: reentrant; call from any thread.

#include <QString>

struct FileAttributes {
    bool exists = false;      // statx succeeded (false also when the probe was skipped)
    bool isDirectory = false;
    bool hidden = false;
    bool compressed = false;
    bool encrypted = false;
    bool compressedKnown = false;  // the file system reports the compressed bit
    bool encryptedKnown = false;   // the file system reports the encrypted bit
};

// The last path component starts with "." (and is not "." or "..").
bool IsHiddenName(const QString& pathOrName);

// Attributes of path itself (a symbolic link is not followed). With skipStatx (network mounts)
// only the name-based flag is filled.
FileAttributes ReadFileAttributes(const QString& path, bool skipStatx = false);
