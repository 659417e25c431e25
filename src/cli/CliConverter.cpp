#include "CliConverter.h"

#include "CliBatchHost.h"
#include "engine/ConversionJob.h"
#include "batch/ConversionTaskBuilder.h"
#include "engine/SoxLibrary.h"
#include "filelist/AudioFileProbe.h"

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

// Maps a --channels value to a channel mode; -1 when it is not one.
int ParseChannelMode(const QString& text)
{
    static const QStringList names = {QStringLiteral("auto"), QStringLiteral("mono"), QStringLiteral("stereo"),
                                      QStringLiteral("joint"), QStringLiteral("dual")};
    return int(names.indexOf(text.toLower()));
}

// Maps a --frequency value to an index into kSampleRateTable; -1 when it is not one.
int ParseSampleRateIndex(const QString& text)
{
    if (text.compare(QStringLiteral("auto"), Qt::CaseInsensitive) == 0)
        return 0;
    bool ok = false;
    const int hz = text.toInt(&ok);
    for (std::size_t i = 1; ok && i < kSampleRateTable.size(); ++i)
        if (kSampleRateTable[i] == hz)
            return int(i);
    return -1;
}

// Builds the job for one source, or returns an error text.
QString BuildJob(const QString& source, const QDir& outputDir, const ConversionSettings& settings,
                 CConversionTask& job)
{
    const AudioFileInfo info = ProbeFile(source);
    if (info.unreadable)
        return QStringLiteral("%1: not a readable Ogg Vorbis file").arg(source);
    const QString destination = outputDir.absoluteFilePath(QFileInfo(source).completeBaseName() + QStringLiteral(".mp3"));
    job = MakeConversionTask(info, QFileInfo(source).absoluteFilePath(), destination, settings);
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
    const QCommandLineOption channelsOption({QStringLiteral("c"), QStringLiteral("channels")},
                                            QStringLiteral("Channel mode: auto, mono, stereo, joint or dual."),
                                            QStringLiteral("mode"), QStringLiteral("auto"));
    parser.addOption(channelsOption);
    const QCommandLineOption frequencyOption(
        {QStringLiteral("f"), QStringLiteral("frequency")},
        QStringLiteral("Sampling frequency: auto, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100 or 48000."),
        QStringLiteral("hz"), QStringLiteral("auto"));
    parser.addOption(frequencyOption);
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Ogg Vorbis files to convert."),
                                 QStringLiteral("FILE..."));
    parser.process(QStringList{QStringLiteral("quillvane-cli")} + arguments);

    const QStringList sources = parser.positionalArguments();
    if (!parser.isSet(outputOption) || sources.isEmpty()) {
        PrintError(QStringLiteral("usage: quillvane-cli -o DIR [-c MODE] [-f HZ] FILE..."));
        return 2;
    }
    ConversionSettings settings;
    const int channelMode = ParseChannelMode(parser.value(channelsOption));
    const int sampleRateIndex = ParseSampleRateIndex(parser.value(frequencyOption));
    if (channelMode < 0 || sampleRateIndex < 0) {
        PrintError(QStringLiteral("unknown %1 value: %2")
                       .arg(channelMode < 0 ? QStringLiteral("--channels") : QStringLiteral("--frequency"),
                            parser.value(channelMode < 0 ? channelsOption : frequencyOption)));
        return 2;
    }
    settings.channelMode = std::int16_t(channelMode);
    settings.sampleRateIndex = std::int16_t(sampleRateIndex);
    if (!InitSoxLibrary()) {
        PrintError(QStringLiteral("libsox could not be initialised"));
        return 1;
    }
    const QDir outputDir(parser.value(outputOption));
    if (!QDir().mkpath(outputDir.path())) {
        PrintError(QStringLiteral("cannot create the output folder %1").arg(outputDir.path()));
        return 1;
    }

    std::vector<CConversionTask> jobs(std::size_t(sources.size()));
    CliBatchHost host;
    host.m_settings = settings;
    bool allBuilt = true;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        if (const QString error = BuildJob(sources[i], outputDir, settings, jobs[std::size_t(i)]); !error.isEmpty()) {
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
