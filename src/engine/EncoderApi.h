#pragma once
// The MP3 encoder library behind a small interface of the classic "be" shape: init a stream,
// encode chunks, flush, close, then write the Info tag. The engine reaches the encoder only
// through this interface, so that tests can put a failing encoder in its place.

#include <QString>
#include <cstdint>
#include <cstdio>
#include <memory>

// Result codes of the interface; 0 is success.
enum BeError : std::uint32_t {
    BE_ERR_SUCCESS = 0,
    BE_ERR_INVALID_FORMAT = 1,
    BE_ERR_INVALID_FORMAT_PARAMETERS = 2,
    BE_ERR_NO_MORE_HANDLES = 3,
    BE_ERR_INVALID_HANDLE = 4,
    BE_ERR_BUFFER_TOO_SMALL = 5,
};

// MPEG channel modes, in the numbering of MP3 frame headers.
enum BeMode : std::int32_t {
    BE_MP3_MODE_STEREO = 0,
    BE_MP3_MODE_JSTEREO = 1,
    BE_MP3_MODE_DUALCHANNEL = 2,
    BE_MP3_MODE_MONO = 3,
};

// The encoder configuration record. Defaults are the program's fixed choices: constant bit
// rate, no resampling, no bit reservoir, an Info tag, quality 9.
struct BeConfig {
    std::uint32_t sampleRate = 44100;  // input sampling frequency, Hz
    std::uint32_t resampleRate = 0;    // 0: no resampling by the encoder
    BeMode mode = BE_MP3_MODE_JSTEREO;
    std::uint32_t bitrateKbps = 128;
    std::uint32_t maxBitrateKbps = 0;
    std::int32_t preset = -1;          // no preset
    std::uint32_t mpegVersion = 1;     // MPEG-1 requested; the encoder follows the rate
    std::uint32_t psyModel = 0;
    std::uint32_t emphasis = 0;
    bool privateBit = false, crc = false, copyright = false, original = false;
    bool writeVbrHeader = true;
    bool vbrEnabled = false;
    std::int32_t vbrQuality = 0;
    std::uint32_t abrKbps = 0;
    std::int32_t vbrMethod = 0;
    bool disableReservoir = true;
    bool strictIso = false;
    std::uint16_t qualityWord = 9 | (246 << 8); // quality in the low byte, its complement above

    std::uint32_t Channels() const { return mode == BE_MP3_MODE_MONO ? 1 : 2; }
};

// One open encoding stream. Destroying it releases the encoder.
class BeStream {
public:
    virtual ~BeStream() = default;
};

class BeEncoderApi {
public:
    virtual ~BeEncoderApi() = default;

    // The library's file name, for messages.
    virtual QString LibraryName() const = 0;
    // Makes the library usable; false when it cannot be loaded.
    virtual bool Load() = 0;
    // False when a required entry point is missing.
    virtual bool HasRequiredEntryPoints() const = 0;

    // Opens a stream. On success fills the chunk size (interleaved samples per call), the
    // output buffer size (bytes) and the stream.
    virtual std::uint32_t InitStream(const BeConfig& config, std::uint32_t* chunkSamples,
                                     std::uint32_t* bufferBytes, std::unique_ptr<BeStream>* stream) = 0;
    // Encodes `samplesPerChannel` samples of the 16-bit float range; `right` is null for mono.
    virtual std::uint32_t EncodeChunkFloatS16NI(BeStream& stream, std::uint32_t samplesPerChannel,
                                                const float* left, const float* right,
                                                unsigned char* output, std::uint32_t* outputBytes) = 0;
    // Flushes the last frames.
    virtual std::uint32_t DeinitStream(BeStream& stream, unsigned char* output,
                                       std::uint32_t* outputBytes) = 0;
    // Writes the Info tag into the finished file, which is open for reading and writing.
    virtual std::uint32_t WriteInfoTag(BeStream& stream, std::FILE* file) = 0;
};

// The encoder every job uses: the linked LAME library unless a test put another in its place.
BeEncoderApi& CurrentEncoderApi();
// Puts `api` in place of the real encoder (nullptr restores it). Only while no job runs.
void SetEncoderApiForTesting(BeEncoderApi* api);
