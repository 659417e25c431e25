#pragma once
// Reads the audio properties of an Ogg Vorbis file. Safe on any thread.

#include "AudioFileInfo.h"

// Fills rate, channels, total samples, duration and bit rate of `info` from the file at
// `path`, or sets `unreadable` when it cannot be opened or is not an Ogg Vorbis stream.
void ProbeOggVorbis(const QString& path, AudioFileInfo& info);
