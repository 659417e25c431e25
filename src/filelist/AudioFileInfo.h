#pragma once
// One file of the file list: what the probe found out about it.

#include <QString>
#include <cstdint>

enum AudioFileType : std::uint8_t {
    AFT_UNKNOWN = 0,
    AFT_OGG_VORBIS = 1,
    AFT_MP3 = 2,
};

struct AudioFileInfo {
    std::int32_t unreadable = 0;     // 1: not convertible (cannot open, other type, no audio)
    std::uint8_t type = AFT_UNKNOWN;
    std::uint8_t tagFlags = 0;       // TF_VORBIS_COMMENT when the file has a non-empty comment
    std::uint8_t trackNumber = 0;
    std::uint8_t trackTotal = 0;
    std::uint32_t sampleRate = 0;    // Hz
    std::uint32_t channels = 0;
    std::uint64_t totalSamples = 0;  // samples per channel × channels
    std::int32_t bitrateKbps = 0;
    double sizeMB = 0;
    double durationSeconds = 0;
    QString artist, albumArtist, album, track, title, genre, date, comment;
};
