#pragma once
// MP3 destinations: folders created on demand, names reserved without ever replacing a file.
//
// Threads: reentrant; call from any thread (the runner reserves, the encoder opens).

#include <QString>
#include <cstdio>

// Creates `path` as a new, empty file open for reading and writing. Fails (null, errno set)
// when anything already has that name, a dangling symbolic link included.
std::FILE* CreateDestinationFile(const QString& path);

// Opens a file that MakeUniquePath reserved, for reading and writing, without creating or
// truncating anything and without following a symbolic link. Null (errno set) on failure.
std::FILE* OpenReservedDestination(const QString& path);

// Reserves the first free name of `path`, "name (2).ext", "name (3).ext", … by creating it as
// an empty file, atomically, so that no other writer can take it in between. Returns the
// reserved path, or an empty string (errno set) when a name cannot be created for another
// reason than being taken.
QString MakeUniquePath(const QString& path);

// The name MakeUniquePath would reserve at this moment, skipping `taken` names too; creates
// nothing. `taken` may be null.
QString PreviewUniquePath(const QString& path, const class QSet<QString>* taken);

// Creates `folder` and every missing parent. True when it exists as a folder afterwards.
bool CreateFolderTree(const QString& folder);
