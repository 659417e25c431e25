#pragma once
// Reads the audio properties and the comment of an Ogg Vorbis file. Safe on any thread.

#include "AudioFileInfo.h"

// Fills rate, channels, total samples, duration and bit rate of `info` from the file at
// `path`, or sets `unreadable` when it cannot be opened or is not an Ogg Vorbis stream.
// When the stream carries a comment with at least one field, its texts go into `info` as
// well and TF_VORBIS_COMMENT is set in `tagFlags`. The bit rate is TagLib's, scaled by
// 1.024, whenever TagLib reports one (even for a stream libvorbisfile refuses), else
// libvorbisfile's.
void ProbeOggVorbis(const QString& path, AudioFileInfo& info);
