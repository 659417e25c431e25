#pragma once
// Writing the source's tag texts into the finished MP3 as ID3v1 and ID3v2 tags.

#include "BatchHost.h"

#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>

// Written into every MP3 as the encoder (TENC) text, after the program's name.
inline constexpr char kProductUrl[] = "https://quillvane.example.org/";

// Tag kinds of an MP3: bit 0 ID3v1, bit 1 ID3v2.
inline constexpr std::uint8_t kTagKindId3v1 = 0x01;
inline constexpr std::uint8_t kTagKindId3v2 = 0x02;

// The tag kinds for a source's tag flags: both when it has a Vorbis comment, else none.
std::uint8_t OutputTagKindsFor(std::uint8_t sourceTagFlags);

// Writes the tags of job.outputTagKinds (derived here) into job.destinationPath and strips
// every other tag kind. On failure posts "Fail to write tag!" with the path and returns
// false; the batch goes on.
bool WriteMp3Tags(CConversionTask& job, BatchHost& host);

// Fills an ID3v1 tag. Text outside Latin-1 becomes "?", one per character.
void WriteId3v1Fields(const CConversionTask& job, TagLib::ID3v1::Tag& tag);

// Fills an ID3v2 tag: the text frames, the comment and the encoder text.
void WriteId3v2Frames(const CConversionTask& job, TagLib::ID3v2::Tag& tag);

// Sets the text of the first frame `id` (creating it), or removes every such frame when
// `text` is empty.
void SetTextFrame(TagLib::ID3v2::Tag& tag, const char* id, const QString& text);
