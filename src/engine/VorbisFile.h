#pragma once
// An Ogg Vorbis file opened for decoding with libvorbisfile; closes itself.

#include <QString>
#include <cstdio>
#include <vorbis/vorbisfile.h>

class VorbisFile {
public:
    enum class OpenResult { Ok, CannotOpenFile, NotVorbis };

    VorbisFile() = default;
    ~VorbisFile();
    VorbisFile(const VorbisFile&) = delete;
    VorbisFile& operator=(const VorbisFile&) = delete;

    // Opens `path` read-only. Non-regular files (FIFOs, devices) are refused as CannotOpenFile.
    OpenResult Open(const QString& path);
    OggVorbis_File* Handle() { return &m_vf; }

    // True when the file ends with a complete Ogg page that closes its stream. A file cut
    // short ends in a partial page, or in a page without the end-of-stream mark, and
    // libvorbisfile reports that as a normal end.
    bool EndsWithStreamEnd() const;

private:
    std::FILE* m_file = nullptr;
    OggVorbis_File m_vf{};
    bool m_open = false;
};
