#include "CliConverter.h"

#include "CliBatchHost.h"
#include "engine/ConversionJob.h"
#include "filelist/OggVorbisProbe.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <vector>

namespace {

void PrintError(const QString& text)
{
    std::fprintf(stderr, "quillvane-cli: %s\n", text.toLocal8Bit().constData());
}

// Builds the job for one source, or returns an error text.
QString BuildJob(const QString& source, const QDir& outputDir, CConversionTask& job)
{
    AudioFileInfo info;
    ProbeOggVorbis(source, info);
    if (info.unreadable)
        return QStringLiteral("%1: not a readable Ogg Vorbis file").arg(source);
    if (info.channels > 2)
        return QStringLiteral("%1: %2 channels; only mono and stereo files can be converted").arg(source).arg(info.channels);
    job.sourcePath = QFileInfo(source).absoluteFilePath();
    job.sourceSampleRate = info.sampleRate;
    job.sourceChannels = info.channels;
    job.outputSampleRate = info.sampleRate;
    job.outputChannels = info.channels;
    job.expectedSamples = info.totalSamples;
    job.needsFormatConversion = 0;
    job.destinationPath = outputDir.filePath(QFileInfo(source).completeBaseName() + QStringLiteral(".mp3"));
    return {};
}

} // namespace

int RunCliConverter(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Converts Ogg Vorbis files into MP3 files (128 kbit/s)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption outputOption({QStringLiteral("o"), QStringLiteral("output-dir")},
                                          QStringLiteral("Write the MP3 files into <dir>."), QStringLiteral("dir"));
    parser.addOption(outputOption);
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Ogg Vorbis files to convert."),
                                 QStringLiteral("FILE..."));
    parser.process(QStringList{QStringLiteral("quillvane-cli")} + arguments);

    const QStringList sources = parser.positionalArguments();
    if (!parser.isSet(outputOption) || sources.isEmpty()) {
        PrintError(QStringLiteral("usage: quillvane-cli -o DIR FILE..."));
        return 2;
    }
    const QDir outputDir(parser.value(outputOption));
    if (!QDir().mkpath(outputDir.path())) {
        PrintError(QStringLiteral("cannot create the output folder %1").arg(outputDir.path()));
        return 1;
    }

    std::vector<CConversionTask> jobs(std::size_t(sources.size()));
    CliBatchHost host;
    host.m_settings.bitrateIndex = kDefaultBitrateIndex;
    bool allBuilt = true;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        if (const QString error = BuildJob(sources[i], outputDir, jobs[std::size_t(i)]); !error.isEmpty()) {
            PrintError(error);
            allBuilt = false;
        }
        host.m_overallTotal += jobs[std::size_t(i)].expectedSamples;
    }
    if (!allBuilt)
        return 1;

    int failures = 0;
    for (CConversionTask& job : jobs) {
        std::printf("%s -> %s\n", job.sourcePath.toLocal8Bit().constData(),
                    job.destinationPath.toLocal8Bit().constData());
        std::fflush(stdout);
        host.m_running.store(1);
        host.m_currentDone.store(0);
        host.m_currentSeconds.store(0);
        const bool decoded = RunConversionJob(job, host);
        JoinStageThreads(host);
        if (!decoded || !host.m_running.load())
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
