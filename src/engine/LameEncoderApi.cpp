#include "LameEncoderApi.h"

#include <lame/lame.h>

#include <atomic>
#include <cstdarg>

namespace {

class LameStream final : public BeStream {
public:
    explicit LameStream(lame_t gfp) : m_gfp(gfp) {}
    ~LameStream() override { lame_close(m_gfp); }
    LameStream(const LameStream&) = delete;
    LameStream& operator=(const LameStream&) = delete;

    lame_t Handle() const { return m_gfp; }
    std::uint32_t bufferBytes = 0;

private:
    lame_t m_gfp;
};

void DiscardMessage(const char*, va_list) {}

MPEG_mode ToLameMode(BeMode mode)
{
    switch (mode) {
    case BE_MP3_MODE_STEREO: return STEREO;
    case BE_MP3_MODE_JSTEREO: return JOINT_STEREO;
    case BE_MP3_MODE_DUALCHANNEL: return DUAL_CHANNEL;
    case BE_MP3_MODE_MONO: return MONO;
    }
    return NOT_SET;
}

bool Configure(lame_t gfp, const BeConfig& c)
{
    lame_set_errorf(gfp, DiscardMessage);
    lame_set_debugf(gfp, DiscardMessage);
    lame_set_msgf(gfp, DiscardMessage);

    const MPEG_mode mode = ToLameMode(c.mode);
    // Each setter reports a refused value with a non-zero result.
    int failed = 0;
    failed |= lame_set_num_channels(gfp, int(c.Channels()));
    failed |= lame_set_in_samplerate(gfp, int(c.sampleRate));
    if (c.resampleRate > 0)
        failed |= lame_set_out_samplerate(gfp, int(c.resampleRate));
    failed |= lame_set_mode(gfp, mode);
    failed |= lame_set_VBR(gfp, c.vbrEnabled ? vbr_default : vbr_off);
    failed |= lame_set_brate(gfp, int(c.bitrateKbps));
    failed |= lame_set_bWriteVbrTag(gfp, c.writeVbrHeader ? 1 : 0);
    failed |= lame_set_disable_reservoir(gfp, c.disableReservoir ? 1 : 0);
    failed |= lame_set_strict_ISO(gfp, c.strictIso ? 1 : 0);
    failed |= lame_set_copyright(gfp, c.copyright ? 1 : 0);
    failed |= lame_set_original(gfp, c.original ? 1 : 0);
    failed |= lame_set_error_protection(gfp, c.crc ? 1 : 0);
    failed |= lame_set_extension(gfp, c.privateBit ? 1 : 0);
    failed |= lame_set_emphasis(gfp, int(c.emphasis));
    failed |= lame_set_quality(gfp, c.qualityWord & 0xFF);
    return failed == 0;
}

} // namespace

QString LameEncoderApi::LibraryName() const
{
    return QStringLiteral("libmp3lame.so.0");
}

bool LameEncoderApi::Load()
{
    return true; // linked at build time
}

bool LameEncoderApi::HasRequiredEntryPoints() const
{
    return true;
}

std::uint32_t LameEncoderApi::InitStream(const BeConfig& config, std::uint32_t* chunkSamples,
                                         std::uint32_t* bufferBytes, std::unique_ptr<BeStream>* stream)
{
    lame_t gfp = lame_init();
    if (!gfp)
        return BE_ERR_NO_MORE_HANDLES;
    auto owned = std::make_unique<LameStream>(gfp);
    if (!Configure(gfp, config) || lame_init_params(gfp) < 0)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;

    // One MPEG frame per call: 1152 samples per channel for MPEG-1, 576 for MPEG-2 and 2.5.
    const std::uint32_t channels = config.Channels();
    const std::uint32_t perChannel = lame_get_version(gfp) == 0 ? 576 : 1152;
    *chunkSamples = perChannel * channels;
    *bufferBytes = perChannel * 5 / 4 + 7200;
    owned->bufferBytes = *bufferBytes;
    *stream = std::move(owned);
    return BE_ERR_SUCCESS;
}

std::uint32_t LameEncoderApi::EncodeChunkFloatS16NI(BeStream& stream, std::uint32_t samplesPerChannel,
                                                    const float* left, const float* right,
                                                    unsigned char* output, std::uint32_t* outputBytes)
{
    auto& s = static_cast<LameStream&>(stream);
    const int n = lame_encode_buffer_float(s.Handle(), left, right ? right : left, int(samplesPerChannel),
                                           output, int(s.bufferBytes));
    if (n < 0) {
        *outputBytes = 0;
        return BE_ERR_BUFFER_TOO_SMALL;
    }
    *outputBytes = std::uint32_t(n);
    return BE_ERR_SUCCESS;
}

std::uint32_t LameEncoderApi::DeinitStream(BeStream& stream, unsigned char* output, std::uint32_t* outputBytes)
{
    auto& s = static_cast<LameStream&>(stream);
    const int n = lame_encode_flush(s.Handle(), output, int(s.bufferBytes));
    if (n < 0) {
        *outputBytes = 0;
        return BE_ERR_BUFFER_TOO_SMALL;
    }
    *outputBytes = std::uint32_t(n);
    return BE_ERR_SUCCESS;
}

std::uint32_t LameEncoderApi::WriteInfoTag(BeStream& stream, std::FILE* file)
{
    auto& s = static_cast<LameStream&>(stream);
    lame_mp3_tags_fid(s.Handle(), file);
    return BE_ERR_SUCCESS;
}

namespace {
std::atomic<BeEncoderApi*> g_testEncoderApi{nullptr};
}

BeEncoderApi& CurrentEncoderApi()
{
    static LameEncoderApi lame;
    BeEncoderApi* api = g_testEncoderApi.load(std::memory_order_acquire);
    return api ? *api : lame;
}

void SetEncoderApiForTesting(BeEncoderApi* api)
{
    g_testEncoderApi.store(api, std::memory_order_release);
}
