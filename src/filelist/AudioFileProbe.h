#pragma once
// The file probe: fills one AudioFileInfo for a path. Safe on any thread.

#include "AudioFileInfo.h"

#include <QString>
#include <memory>

#include <taglib/tfilestream.h>
#include <taglib/tstring.h>
#include <taglib/xiphcomment.h>

// The whole record for the file at `path`: its type by extension, its size, its audio
// properties and comment, and the bit rate TagLib reports. Never throws, never blocks on
// FIFOs or devices; whatever cannot be converted comes back with `unreadable` set.
AudioFileInfo ProbeFile(const QString& path);

// Fills the audio part of `info` for the file at `path`; `info.type` must be set. Sets
// `unreadable` when the path is not a regular file, cannot be read, is of a type that is not
// probed, or holds no audio.
void ProbeAudioFile(const QString& path, AudioFileInfo& info);

// Copies artist, album artist, album, track, title, genre, date and comment from the comment
// into `info` and parses the track text into trackNumber and trackTotal. Several values of
// one field are joined by single spaces.
void ReadVorbisComment(const TagLib::Ogg::XiphComment& comment, AudioFileInfo& info);

// TagLib text as a QString, every character kept (including those outside the BMP).
QString TagTextToWide(const TagLib::String& text);

// Opens the file at `path` read-only for TagLib, or returns null when it is not a regular file
// (after following symbolic links) or cannot be opened. Anything else is never opened, so a
// FIFO cannot block the caller.
std::unique_ptr<TagLib::FileStream> OpenRegularFileStream(const QString& path);
