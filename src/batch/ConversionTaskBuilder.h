#pragma once
// Turning probed files and the user's settings into conversion jobs: the output format and
// the expected length. Used by the command-line converter and the Convert commands alike.
//
// Threads: reentrant; call from any thread.

#include "engine/ConversionSettings.h"
#include "engine/ConversionTask.h"
#include "filelist/AudioFileInfo.h"

#include <vector>

// The first MP3 sampling frequency not below the source's; 48000 above them all.
std::uint32_t PickAutomaticSampleRate(std::uint32_t sourceRate);

// The MP3 channel count for a channel mode: automatic keeps mono and makes anything else
// stereo; mono gives 1; the stereo modes give 2.
std::uint32_t OutputChannelsFor(int channelMode, std::uint32_t sourceChannels);

// The MP3 sampling frequency for a sampleRateIndex (0 or out of the table: automatic).
std::uint32_t OutputSampleRateFor(int sampleRateIndex, std::uint32_t sourceRate);

// Interleaved samples the encoder will receive after conversion: the source's total scaled
// by the output/source sample-and-channel ratio, truncated to whole output frames.
std::uint64_t ExpectedSamples(std::uint64_t totalSamples, std::uint32_t sourceRate, std::uint32_t sourceChannels,
                              std::uint32_t outputRate, std::uint32_t outputChannels);

// A job for one probed source: format fields, output format, expected length and tag texts.
CConversionTask MakeConversionTask(const AudioFileInfo& info, const QString& sourcePath,
                                   const QString& destinationPath, const ConversionSettings& settings);

// Where the MP3 of a source goes: its name with the text after the last dot replaced by
// "mp3", in the source's folder or in the output folder (the default output folder when
// that is empty), joined with exactly one separator.
QString DestinationPathFor(const QString& sourcePath, const ConversionSettings& settings);

// A source file and what the probe found out about it.
struct ProbedFile {
    QString path;
    AudioFileInfo info;
};

// The jobs for a list of probed files, in order, leaving out unreadable ones. Adds each job's
// expectedSamples to `overallTotal` when it is not null.
std::vector<CConversionTask> BuildConversionTasks(const std::vector<ProbedFile>& files,
                                                  const ConversionSettings& settings,
                                                  std::uint64_t* overallTotal);
