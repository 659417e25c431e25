#include "OggVorbisProbe.h"

#include "engine/VorbisFile.h"

void ProbeOggVorbis(const QString& path, AudioFileInfo& info)
{
    VorbisFile vf;
    if (vf.Open(path) != VorbisFile::OpenResult::Ok) {
        info.unreadable = 1;
        return;
    }
    const vorbis_info* vi = ov_info(vf.Handle(), -1);
    const ogg_int64_t frames = ov_pcm_total(vf.Handle(), -1);
    if (!vi || vi->channels <= 0 || vi->rate <= 0 || frames < 0) {
        info.unreadable = 1;
        return;
    }
    info.channels = std::uint32_t(vi->channels);
    info.sampleRate = std::uint32_t(vi->rate);
    const long bitrate = ov_bitrate(vf.Handle(), -1);
    info.bitrateKbps = bitrate > 0 ? std::int32_t(bitrate / 1000) : 0;
    info.totalSamples = std::uint64_t(frames) * info.channels;
    info.durationSeconds = double(info.totalSamples) / info.sampleRate / info.channels;
}
