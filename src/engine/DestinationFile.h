#pragma once
// Creating an MP3 destination without ever replacing an existing file.

#include <QString>
#include <cstdio>

// Creates `path` as a new, empty file open for reading and writing. Fails (null, errno set)
// when anything already has that name, a dangling symbolic link included.
std::FILE* CreateDestinationFile(const QString& path);
