#include "OggVorbisDecoder.h"

#include "VorbisFile.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

std::int32_t FloatToSample32(float sample)
{
    if (std::isnan(sample))
        return 0;
    const double product = double(sample) * 2147483648.0;
    if (product >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (product <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(std::nearbyint(product));
}

namespace {

void Fail(BatchHost& host, const QString& line)
{
    PostLogLine(host, line, LOG_ERROR);
    host.m_running.store(0);
}

} // namespace

bool DecodeOggVorbis(CConversionTask& job, SampleRing& ring, BatchHost& host)
{
    VorbisFile vf;
    switch (vf.Open(job.sourcePath)) {
    case VorbisFile::OpenResult::Ok:
        break;
    case VorbisFile::OpenResult::CannotOpenFile:
        Fail(host, QStringLiteral("Error : could not open file : %1").arg(job.sourcePath));
        return false;
    case VorbisFile::OpenResult::NotVorbis:
        Fail(host, QStringLiteral("Invalid ogg vorbis stream"));
        return false;
    }

    const std::uint32_t channels = job.sourceChannels;
    const std::uint32_t blockSamples = channels * kDecodeBlockFrames;
    std::vector<std::int32_t> block(blockSamples);
    int checkedSection = -1;
    bool result = true;

    while (host.m_running.load()) {
        if (ring.FreeSpace() < blockSamples) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        float** pcm = nullptr;
        int section = 0;
        const long frames = ov_read_float(vf.Handle(), &pcm, kDecodeBlockFrames, &section);
        if (frames < 0) {
            Fail(host, QStringLiteral("Fatal read error: %1").arg(frames));
            result = false;
            break;
        }
        if (frames == 0) {
            if (!vf.EndsWithStreamEnd()) {
                Fail(host, QStringLiteral("Fatal read error: %1").arg(OV_HOLE));
                result = false;
            }
            break;
        }

        // A chained file may change its format from one link to the next; never interleave
        // a link with another channel count or rate than the job was built for.
        if (section != checkedSection) {
            const vorbis_info* info = ov_info(vf.Handle(), section);
            if (!info || std::uint32_t(info->channels) != channels || std::uint32_t(info->rate) != job.sourceSampleRate) {
                Fail(host, QStringLiteral("Unsupported ogg vorbis stream: %1 channels at %2 Hz where %3 channels "
                                          "at %4 Hz were expected")
                               .arg(info ? info->channels : 0)
                               .arg(info ? info->rate : 0)
                               .arg(channels)
                               .arg(job.sourceSampleRate));
                result = false;
                break;
            }
            checkedSection = section;
        }

        std::int32_t* out = block.data();
        for (long i = 0; i < frames; ++i)
            for (std::uint32_t c = 0; c < channels; ++c)
                *out++ = FloatToSample32(pcm[c][i]);
        ring.Write(block.data(), std::uint32_t(frames) * channels);
    }
    return result;
}
