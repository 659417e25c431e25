#pragma once
// Finding the audio files of a folder, and of its sub-folders when asked.
//
// Threads: reentrant; call from any thread.

#include <QStringList>

// The regular files of `folder` whose upper-case extension is one of `extensions`, sorted by
// name, hidden ones included; with `recursive`, followed by those of each sub-folder in name
// order, depth first. Symbolic links to folders are not followed, so a link cycle cannot
// trap the scan; FIFOs, sockets and devices are never listed.
QStringList ScanFolder(const QString& folder, bool recursive,
                       const QStringList& extensions = {QStringLiteral("OGG")});
