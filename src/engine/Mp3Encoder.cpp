#include "Mp3Encoder.h"

#include "DestinationFile.h"
#include "Mp3Tags.h"

#include <QElapsedTimer>
#include <QFile>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr float kSampleScale = 1.0f / 65536.0f; // 32-bit samples to the 16-bit float range
constexpr qint64 kProgressIntervalMs = 100;
constexpr auto kPauseSleep = std::chrono::milliseconds(100);
constexpr auto kStarvedSleep = std::chrono::milliseconds(1);

void Fail(BatchHost& host, const QString& line)
{
    PostLogLine(host, line, LOG_ERROR);
    host.m_running.store(0);
}

void PostPercentages(BatchHost& host, const CConversionTask& job, bool final)
{
    PostProgress(host, ProgressPercent(host.m_currentDone.load(), job.expectedSamples, final),
                 ProgressPercent(host.m_overallDone.load(), host.m_overallTotal, final), final);
}

// Owns the destination stream; closes it on every path.
struct FileCloser {
    std::FILE* file = nullptr;
    ~FileCloser()
    {
        if (file)
            std::fclose(file);
    }
};

bool WriteAll(std::FILE* file, const unsigned char* data, std::uint32_t n)
{
    return n == 0 || std::fwrite(data, 1, n, file) == n;
}

} // namespace

BeMode Mp3ModeFor(std::uint32_t outputChannels, int channelMode)
{
    if (outputChannels == 1)
        return BE_MP3_MODE_MONO;
    switch (channelMode) {
    case CM_STEREO: return BE_MP3_MODE_STEREO;
    case CM_DUAL_CHANNEL: return BE_MP3_MODE_DUALCHANNEL;
    default: return BE_MP3_MODE_JSTEREO;
    }
}

bool EncodeMp3(CConversionTask& job, BatchHost& host, bool* created)
{
    *created = false;
    BeEncoderApi& api = CurrentEncoderApi();
    if (!api.Load()) {
        Fail(host, QStringLiteral("Error loading %1").arg(api.LibraryName()));
        host.OnErrorBox(QStringLiteral("Error Loading %1").arg(api.LibraryName()));
        return false;
    }
    if (!api.HasRequiredEntryPoints()) {
        Fail(host, QStringLiteral("Unable to get LAME interfaces"));
        host.OnErrorBox(QStringLiteral("Unable to Get LAME Interfaces"));
        return false;
    }

    BeConfig config;
    config.sampleRate = job.outputSampleRate;
    config.mode = Mp3ModeFor(job.outputChannels, host.m_settings.channelMode);
    config.bitrateKbps = std::uint32_t(host.m_settings.BitrateKbps());

    FileCloser out;
    out.file = job.destinationReserved ? OpenReservedDestination(job.destinationPath)
                                       : CreateDestinationFile(job.destinationPath);
    if (!out.file) {
        Fail(host, QStringLiteral("Error creating file %1").arg(job.destinationPath));
        return false;
    }
    *created = !job.destinationReserved;

    std::uint32_t chunkSamples = 0, bufferBytes = 0;
    std::unique_ptr<BeStream> stream;
    if (const std::uint32_t r = api.InitStream(config, &chunkSamples, &bufferBytes, &stream);
        r != BE_ERR_SUCCESS || !stream) {
        Fail(host, QStringLiteral("Error opening encoding stream (%1)").arg(r));
        return false;
    }

    const bool mono = job.outputChannels == 1;
    const std::uint32_t channels = mono ? 1 : 2;
    chunkSamples -= chunkSamples % channels;
    std::vector<unsigned char> mp3(bufferBytes);
    std::vector<std::int32_t> chunk(chunkSamples);
    std::vector<float> left(mono ? chunkSamples : chunkSamples / 2);
    std::vector<float> right(mono ? 0 : chunkSamples / 2);
    const double samplesPerSecond = double(channels) * double(job.outputSampleRate);
    SampleRing& input = *job.encoderInput;

    QElapsedTimer sinceReport;
    sinceReport.start();
    bool reachedEnd = false;
    while (host.m_running.load()) {
        if (host.m_paused.load()) {
            std::this_thread::sleep_for(kPauseSleep);
            continue;
        }
        if (sinceReport.elapsed() > kProgressIntervalMs) {
            sinceReport.restart();
            PostPercentages(host, job, false);
        }

        std::uint32_t take = chunkSamples;
        if (input.Available() < chunkSamples) {
            if (job.decoderRunning.load() || job.converterRunning.load()) {
                std::this_thread::sleep_for(kStarvedSleep);
                continue;
            }
            // The producers have finished: measure again, since they may have written their
            // last block after the first measure. Only a short ring now is the last chunk.
            const std::uint32_t remaining = input.Available();
            if (remaining < chunkSamples) {
                take = remaining - remaining % channels;
                reachedEnd = true;
            }
        }
        input.Read(chunk.data(), take);

        std::uint32_t produced = 0;
        std::uint32_t r;
        if (mono) {
            for (std::uint32_t i = 0; i < take; ++i)
                left[i] = float(chunk[i]) * kSampleScale;
            r = api.EncodeChunkFloatS16NI(*stream, take, left.data(), nullptr, mp3.data(), &produced);
        } else {
            const std::uint32_t frames = take / 2;
            for (std::uint32_t i = 0; i < frames; ++i) {
                left[i] = float(chunk[2 * i]) * kSampleScale;
                right[i] = float(chunk[2 * i + 1]) * kSampleScale;
            }
            r = api.EncodeChunkFloatS16NI(*stream, frames, left.data(), right.data(), mp3.data(), &produced);
        }
        if (r != BE_ERR_SUCCESS) {
            Fail(host, QStringLiteral("beEncodeChunk() failed (%1)").arg(r));
            return false;
        }
        if (!WriteAll(out.file, mp3.data(), produced)) {
            Fail(host, QStringLiteral("Output file write error"));
            return false;
        }

        host.m_currentDone.fetch_add(take, std::memory_order_relaxed);
        host.m_overallDone.fetch_add(take, std::memory_order_relaxed);
        const float seconds = float(double(take) / samplesPerSecond);
        host.m_currentSeconds.store(host.m_currentSeconds.load() + seconds);
        host.m_overallSeconds.store(host.m_overallSeconds.load() + seconds);
        if (reachedEnd)
            break;
    }
    // A producer that fails clears m_running before its running flag, so a stream that
    // "ended" because its producer gave up is seen here as stopped.
    if (!reachedEnd || !host.m_running.load())
        return false;

    std::uint32_t produced = 0;
    if (const std::uint32_t r = api.DeinitStream(*stream, mp3.data(), &produced); r != BE_ERR_SUCCESS) {
        Fail(host, QStringLiteral("beExitStream failed (%1)").arg(r));
        return false;
    }
    if (!WriteAll(out.file, mp3.data(), produced)) {
        Fail(host, QStringLiteral("Output file write error"));
        return false;
    }
    api.WriteInfoTag(*stream, out.file);
    stream.reset();
    const bool closed = std::fclose(out.file) == 0;
    out.file = nullptr;
    if (!closed) {
        Fail(host, QStringLiteral("Output file write error"));
        return false;
    }
    PostPercentages(host, job, true);
    return true;
}

void EncoderThreadMain(CConversionTask& job, BatchHost& host)
{
    bool created = false;
    bool finished = false;
    try {
        finished = EncodeMp3(job, host, &created);
    } catch (...) {
        host.m_running.store(0);
        PostLogLine(host, QStringLiteral("An error occurred while encoding %1").arg(job.destinationPath), LOG_ERROR);
    }
    if (finished) {
        try {
            WriteMp3Tags(job, host);
        } catch (...) {
            PostLogLine(host, QStringLiteral("Fail to write tag!") + job.destinationPath, LOG_ERROR);
        }
    } else if (created && QFile::remove(job.destinationPath)) {
        PostLogLine(host, QStringLiteral("Removed the incomplete file %1").arg(job.destinationPath), LOG_INFO);
    }
}
