// Ogg Vorbis probing: the stream format with libvorbisfile, the comment with TagLib.

#include "OggVorbisProbe.h"

#include "AudioFileProbe.h"
#include "engine/ConversionTask.h"
#include "engine/VorbisFile.h"

#include <taglib/vorbisfile.h>

namespace {

// The format part; false (with `unreadable` set) when the file is no usable Ogg Vorbis stream.
bool ReadStreamFormat(const QString& path, AudioFileInfo& info)
{
    VorbisFile vf;
    if (vf.Open(path) != VorbisFile::OpenResult::Ok) {
        info.unreadable = 1;
        return false;
    }
    const vorbis_info* vi = ov_info(vf.Handle(), -1);
    const ogg_int64_t frames = ov_pcm_total(vf.Handle(), -1);
    if (!vi || vi->channels <= 0 || vi->rate <= 0 || frames < 0) {
        info.unreadable = 1;
        return false;
    }
    info.channels = std::uint32_t(vi->channels);
    info.sampleRate = std::uint32_t(vi->rate);
    const long bitrate = ov_bitrate(vf.Handle(), -1);
    info.bitrateKbps = bitrate > 0 ? std::int32_t(bitrate / 1000) : 0;
    info.totalSamples = std::uint64_t(frames) * info.channels;
    info.durationSeconds = double(info.totalSamples) / info.sampleRate / info.channels;
    return true;
}

} // namespace

void ProbeOggVorbis(const QString& path, AudioFileInfo& info)
{
    const bool hasFormat = ReadStreamFormat(path, info);

    // One TagLib object for the comment and the bit rate.
    const std::unique_ptr<TagLib::FileStream> stream = OpenRegularFileStream(path);
    if (!stream)
        return;
    TagLib::Ogg::Vorbis::File file(stream.get(), true);
    if (!file.isValid())
        return;
    // A comment that holds only the vendor string counts as none.
    const TagLib::Ogg::XiphComment* comment = file.tag();
    if (hasFormat && comment && !comment->isEmpty()) {
        ReadVorbisComment(*comment, info);
        info.tagFlags |= TF_VORBIS_COMMENT;
    }
    // TagLib's rate, scaled by 1.024, replaces libvorbisfile's when TagLib reports one.
    const TagLib::AudioProperties* properties = file.audioProperties();
    if (const int bitrate = properties ? properties->bitrate() : 0; bitrate != 0)
        info.bitrateKbps = int(bitrate * 1.024 + 0.5);
}
