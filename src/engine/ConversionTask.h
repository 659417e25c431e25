#pragma once
// One file's conversion job: what to read, what to write, and the stage flags of its pipeline.

#include "RingBuffer.h"

#include <QString>
#include <atomic>
#include <cstdint>

using SampleRing = RingBuffer<int, 1>;

// Ring capacity in samples (4 MiB of 32-bit samples).
inline constexpr std::uint32_t kSampleRingCapacity = 1u << 20;

// Tag-kind bit: the source carries a non-empty Vorbis comment.
inline constexpr std::uint8_t TF_VORBIS_COMMENT = 0x10;

// A copyable value: the batch keeps an array of them and the runner works on a copy.
//
// Threads: the format fields and texts are written before the job runs and only read while it
// runs. decoderRunning is written by the runner thread, converterRunning by the format-
// conversion thread; both are read by the stages downstream. encoderInput is set by
// RunConversionJob before any stage thread starts.
struct CConversionTask {
    QString sourcePath;
    std::uint32_t sourceSampleRate = std::uint32_t(-1);
    std::uint32_t sourceChannels = std::uint32_t(-1);
    std::uint8_t sourceTagFlags = 0;
    QString destinationPath;
    std::uint32_t outputSampleRate = std::uint32_t(-1);
    std::uint32_t outputChannels = std::uint32_t(-1);
    std::uint64_t expectedSamples = 0; // interleaved samples the encoder should receive
    std::int32_t needsFormatConversion = 0;
    std::atomic<std::int32_t> decoderRunning{0};
    std::atomic<std::int32_t> converterRunning{0};
    SampleRing* encoderInput = nullptr;
    QString artist, albumArtist, album, track, title, genre, date, comment;
    // Set when the batch runner has already created destinationPath (MakeUniquePath): the
    // encoder then writes into that file and the runner removes it when the job fails.
    // Otherwise the encoder creates the file itself and removes it after a failure.
    bool destinationReserved = false;

    CConversionTask() = default;
    CConversionTask(const CConversionTask& other) { *this = other; }
    CConversionTask& operator=(const CConversionTask& other);
};
