#include "ConversionTask.h"

CConversionTask& CConversionTask::operator=(const CConversionTask& other)
{
    if (this == &other)
        return *this;
    sourcePath = other.sourcePath;
    sourceSampleRate = other.sourceSampleRate;
    sourceChannels = other.sourceChannels;
    sourceTagFlags = other.sourceTagFlags;
    destinationPath = other.destinationPath;
    outputSampleRate = other.outputSampleRate;
    outputChannels = other.outputChannels;
    expectedSamples = other.expectedSamples;
    needsFormatConversion = other.needsFormatConversion;
    decoderRunning.store(other.decoderRunning.load());
    converterRunning.store(other.converterRunning.load());
    encoderInput = other.encoderInput;
    artist = other.artist;
    albumArtist = other.albumArtist;
    album = other.album;
    track = other.track;
    title = other.title;
    genre = other.genre;
    date = other.date;
    comment = other.comment;
    destinationReserved = other.destinationReserved;
    return *this;
}
