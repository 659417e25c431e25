#pragma once
// The command-line converter: turns the Ogg Vorbis files of its command line into MP3 files.

#include <QStringList>

// Runs the program on its arguments (without the program name); returns the exit code:
// 0 when every file was converted, 1 when a file failed, 2 for a usage error or nothing to
// convert, 128 + the signal when SIGINT or SIGTERM stopped the batch.
int RunCliConverter(const QStringList& arguments);
