#pragma once
// Writing the source's tag texts into the finished MP3 as ID3v1 and ID3v2 tags.
//
// Threads: WriteMp3Tags runs on the job's encoder thread once the MP3 is closed; it only
// reads the job.

#include "BatchHost.h"

// Written into every MP3 as the encoder (TENC) text, after the program's name.
inline constexpr char kProductUrl[] = "https://quillvane.example.org/";

// Writes ID3v1 and ID3v2 tags into job.destinationPath when the source has a Vorbis comment
// (ID3v1 text outside Latin-1 becomes "?", one per character), and strips every other tag
// kind; a source without one leaves the MP3 without tags. On failure posts "Fail to write
// tag!" with the path and returns false; the batch goes on.
bool WriteMp3Tags(const CConversionTask& job, BatchHost& host);
