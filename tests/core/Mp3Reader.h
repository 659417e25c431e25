#pragma once
// Reads MP3 files with tools that share no code with the converter: mutagen for the stream
// properties and mpg123 for the audio.

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <vector>

struct Mp3Properties {
    bool ok = false;
    int sampleRate = 0;
    int channels = 0;
    int bitrate = 0;        // bit/s
    bool cbr = false;       // marked constant bit rate by an Info header
    double length = 0;      // seconds
    int mode = -1;          // MPEG channel mode
    QString encoder;
    QString error;
};

Mp3Properties ReadMp3Properties(const QString& path);

// The file's tags as mutagen and a plain ID3v1 reader see them: {"id3v2": null | {"version",
// "frames": {ID: text}}, "id3v1": null | {"title", "artist", "album", "year", "comment",
// "track", "genre"}}.
QJsonObject ReadId3Tags(const QString& path);

// Decodes with mpg123 (gapless, so encoder delay and padding are removed): interleaved floats.
// Returns false when mpg123 refuses the file.
bool DecodeMp3(const QString& path, std::vector<float>* samples);

// Decodes an Ogg Vorbis file with libvorbisfile: interleaved floats.
bool DecodeOgg(const QString& path, std::vector<float>* samples, int* channels, int* rate);

// Correlation of channel `channel` of two interleaved signals, at the best lag within ±maxLag
// frames. 1 means identical up to gain.
double BestCorrelation(const std::vector<float>& a, const std::vector<float>& b, int channels, int channel,
                       int maxLag, int* bestLag = nullptr);
