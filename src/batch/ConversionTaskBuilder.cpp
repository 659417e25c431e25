#include "ConversionTaskBuilder.h"

#include "app/SettingsStore.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

std::uint32_t PickAutomaticSampleRate(std::uint32_t sourceRate)
{
    for (std::size_t i = 1; i < kSampleRateTable.size(); ++i)
        if (std::uint32_t(kSampleRateTable[i]) >= sourceRate)
            return std::uint32_t(kSampleRateTable[i]);
    return std::uint32_t(kSampleRateTable.back());
}

std::uint32_t OutputChannelsFor(int channelMode, std::uint32_t sourceChannels)
{
    switch (channelMode) {
    case CM_AUTOMATIC: return sourceChannels < 2 ? sourceChannels : 2;
    case CM_MONO: return 1;
    default: return 2;
    }
}

std::uint32_t OutputSampleRateFor(int sampleRateIndex, std::uint32_t sourceRate)
{
    if (sampleRateIndex <= 0 || sampleRateIndex >= int(kSampleRateTable.size()))
        return PickAutomaticSampleRate(sourceRate);
    return std::uint32_t(kSampleRateTable[std::size_t(sampleRateIndex)]);
}

std::uint64_t ExpectedSamples(std::uint64_t totalSamples, std::uint32_t sourceRate, std::uint32_t sourceChannels,
                              std::uint32_t outputRate, std::uint32_t outputChannels)
{
    const double sourceFactor = double(sourceRate) * double(sourceChannels);
    if (sourceFactor <= 0 || outputChannels == 0)
        return 0;
    auto expected = std::uint64_t(std::trunc(double(totalSamples) * (double(outputRate) * double(outputChannels)) /
                                             sourceFactor));
    return expected - expected % outputChannels;
}

CConversionTask MakeConversionTask(const AudioFileInfo& info, const QString& sourcePath,
                                   const QString& destinationPath, const ConversionSettings& settings)
{
    CConversionTask job;
    job.sourcePath = sourcePath;
    job.destinationPath = destinationPath;
    job.sourceSampleRate = info.sampleRate;
    job.sourceChannels = info.channels;
    job.sourceTagFlags = info.tagFlags;
    job.outputChannels = OutputChannelsFor(settings.channelMode, info.channels);
    job.outputSampleRate = OutputSampleRateFor(settings.sampleRateIndex, info.sampleRate);
    job.expectedSamples = ExpectedSamples(info.totalSamples, info.sampleRate, info.channels, job.outputSampleRate,
                                          job.outputChannels);
    job.needsFormatConversion = job.outputSampleRate != job.sourceSampleRate || job.outputChannels != job.sourceChannels;
    job.artist = info.artist;
    job.albumArtist = info.albumArtist;
    job.album = info.album;
    job.track = info.track;
    job.title = info.title;
    job.genre = info.genre;
    job.date = info.date;
    job.comment = info.comment;
    return job;
}

QString DestinationPathFor(const QString& sourcePath, const ConversionSettings& settings)
{
    const QFileInfo source(sourcePath);
    const QString name = source.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString outputName = (dot >= 0 ? name.left(dot + 1) : QString()) + QStringLiteral("mp3");
    QString folder = source.absolutePath();
    if (!settings.sameAsSource)
        folder = settings.outputFolder.isEmpty() ? DefaultOutputFolder() : settings.outputFolder;
    return QDir(folder).filePath(outputName);
}

std::vector<CConversionTask> BuildConversionTasks(const std::vector<ProbedFile>& files,
                                                  const ConversionSettings& settings, std::uint64_t* overallTotal)
{
    std::vector<CConversionTask> tasks;
    for (const ProbedFile& file : files) {
        if (file.info.unreadable)
            continue;
        tasks.push_back(MakeConversionTask(file.info, file.path, DestinationPathFor(file.path, settings), settings));
        if (overallTotal)
            *overallTotal += tasks.back().expectedSamples;
    }
    return tasks;
}
