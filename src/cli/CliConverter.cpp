#include "CliConverter.h"

#include "CliBatchHost.h"
#include "app/SettingsStore.h"
#include "batch/BatchRunner.h"
#include "batch/ConversionTaskBuilder.h"
#include "engine/DestinationFile.h"
#include "engine/SoxLibrary.h"
#include "filelist/AudioFileProbe.h"
#include "filelist/ExtensionTypeTable.h"
#include "filelist/FolderScan.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSet>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kDescription[] =
    "Converts Ogg Vorbis files into MP3 files: constant bit rate, ID3v1 and ID3v2 tags from the\n"
    "Vorbis comment, and never an overwritten file (an existing song.mp3 makes the new one\n"
    "\"song (2).mp3\").\n"
    "\n"
    "PATH is an Ogg Vorbis file or a folder, whose .ogg files are converted (with -r, those of\n"
    "its sub-folders too). Options not given come from the desktop application's settings,\n"
    "~/.config/Quillvane/Config.ini ($XDG_CONFIG_HOME), or their defaults: the music folder\n"
    "as output folder, 128 kbit/s, automatic channels and frequency.\n"
    "\n"
    "Automatic channels keep mono files mono and make all others stereo; automatic frequency\n"
    "is the first of 8000 11025 12000 16000 22050 24000 32000 44100 48000 not below the\n"
    "source's. The batch stops at the first file that fails; its partial MP3 is removed.\n"
    "\n"
    "Exit status: 0 every file converted, 1 the batch stopped on an error, 2 usage error or\n"
    "nothing to convert, 130 interrupted (Ctrl+C).";

// The running flag of the batch for the signal handler, which may run on any thread.
std::atomic<std::atomic<int>*> g_runningFlag{nullptr};
static_assert(std::atomic<std::atomic<int>*>::is_always_lock_free && std::atomic<int>::is_always_lock_free);
volatile std::sig_atomic_t g_interruptSignal = 0;

extern "C" void StopOnSignal(int signal)
{
    g_interruptSignal = signal;
    if (std::atomic<int>* running = g_runningFlag.load())
        running->store(0); // lock-free, so safe in a handler
}

// False when a handler could not be installed.
bool InstallStopHandlers()
{
    struct sigaction action {};
    action.sa_handler = StopOnSignal;
    action.sa_flags = SA_RESETHAND; // a second Ctrl+C ends the program at once
    return sigemptyset(&action.sa_mask) == 0 && sigaction(SIGINT, &action, nullptr) == 0 &&
           sigaction(SIGTERM, &action, nullptr) == 0;
}

void PrintError(const QString& text)
{
    std::fprintf(stderr, "quillvane-cli: %s\n", text.toLocal8Bit().constData());
}

void PrintLine(const QString& text)
{
    std::printf("%s\n", text.toLocal8Bit().constData());
}

// An index into `table` for a value given as text; -1 when it is none of them.
template <typename Table>
int IndexOfValue(const Table& table, const QString& text, int first)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    for (std::size_t i = std::size_t(first); ok && i < table.size(); ++i)
        if (table[i] == value)
            return int(i);
    return -1;
}

int ParseChannelMode(const QString& text)
{
    static const QStringList names = {QStringLiteral("auto"), QStringLiteral("mono"), QStringLiteral("stereo"),
                                      QStringLiteral("joint"), QStringLiteral("dual")};
    return int(names.indexOf(text.toLower()));
}

int ParseSampleRateIndex(const QString& text)
{
    return text.compare(QStringLiteral("auto"), Qt::CaseInsensitive) == 0 ? 0 : IndexOfValue(kSampleRateTable, text, 1);
}

// Why a file that the probe marked unreadable cannot be converted.
QString SkipReason(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists())
        return QStringLiteral("it does not exist");
    if (!file.isFile())
        return QStringLiteral("not a regular file");
    if (FileTypeForName(file.fileName()) != AFT_OGG_VORBIS)
        return QStringLiteral("not an Ogg Vorbis file");
    if (!file.isReadable())
        return QStringLiteral("cannot be read");
    return QStringLiteral("not a readable Ogg Vorbis stream, or no audio in it");
}

struct Options {
    ConversionSettings settings;
    QStringList paths;
    bool recursive = false;
    bool dryRun = false;
    bool quiet = false;
};

// Parses the command line over the stored settings; returns an exit code when the program
// should end at once (help, version, usage error), else -1.
int ParseOptions(const QStringList& arguments, Options& options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption outputDir({QStringLiteral("o"), QStringLiteral("output-dir")},
                                       QStringLiteral("Write the MP3 files into <dir> (created when missing)."),
                                       QStringLiteral("dir"));
    const QCommandLineOption sameAsSource({QStringLiteral("s"), QStringLiteral("same-as-source")},
                                          QStringLiteral("Write each MP3 beside its source."));
    const QCommandLineOption bitrate({QStringLiteral("b"), QStringLiteral("bitrate")},
                                     QStringLiteral("Constant bit rate: 8 16 24 32 40 48 56 64 80 96 112 128 160 192 "
                                                    "224 256 320."),
                                     QStringLiteral("kbps"));
    const QCommandLineOption channels({QStringLiteral("c"), QStringLiteral("channels")},
                                      QStringLiteral("Channels: auto, mono, stereo, joint or dual."),
                                      QStringLiteral("mode"));
    const QCommandLineOption frequency({QStringLiteral("f"), QStringLiteral("frequency")},
                                       QStringLiteral("Sampling frequency: auto, 8000, 11025, 12000, 16000, 22050, "
                                                      "24000, 32000, 44100 or 48000."),
                                       QStringLiteral("hz"));
    const QCommandLineOption recursive({QStringLiteral("r"), QStringLiteral("recursive")},
                                       QStringLiteral("Include the sub-folders of folders."));
    const QCommandLineOption dryRun({QStringLiteral("n"), QStringLiteral("dry-run")},
                                    QStringLiteral("Print each source and the MP3 it would become; convert nothing."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("Print only errors."));
    parser.addOptions({outputDir, sameAsSource, bitrate, channels, frequency, recursive, dryRun, quiet, help, version});
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("Ogg Vorbis files or folders."),
                                 QStringLiteral("PATH..."));

    if (!parser.parse(QStringList{QStringLiteral("quillvane-cli")} + arguments)) {
        PrintError(parser.errorText());
        return kExitUsage;
    }
    if (parser.isSet(help)) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return kExitConverted;
    }
    if (parser.isSet(version)) {
        PrintLine(QStringLiteral("quillvane-cli %1").arg(QStringLiteral(QUILLVANE_VERSION)));
        return kExitConverted;
    }

    ConversionSettings& s = options.settings;
    if (!LoadSettings(s))
        PrintError(QStringLiteral("cannot read %1; using the default settings").arg(SettingsFilePath()));
    if (parser.isSet(outputDir) && parser.isSet(sameAsSource)) {
        PrintError(QStringLiteral("--output-dir and --same-as-source exclude each other"));
        return kExitUsage;
    }
    if (parser.isSet(outputDir)) {
        s.sameAsSource = 0;
        s.outputFolder = QFileInfo(parser.value(outputDir)).absoluteFilePath();
    }
    if (parser.isSet(sameAsSource))
        s.sameAsSource = 1;
    struct Choice {
        const QCommandLineOption& option;
        int index;
        std::int16_t& field;
    };
    const Choice choices[] = {
        {bitrate, IndexOfValue(kBitrateTable, parser.value(bitrate), 0), s.bitrateIndex},
        {channels, ParseChannelMode(parser.value(channels)), s.channelMode},
        {frequency, ParseSampleRateIndex(parser.value(frequency)), s.sampleRateIndex},
    };
    for (const Choice& choice : choices) {
        if (!parser.isSet(choice.option))
            continue;
        if (choice.index < 0) {
            PrintError(QStringLiteral("invalid value for --%1: %2 (see --help)")
                           .arg(choice.option.names().constLast(), parser.value(choice.option)));
            return kExitUsage;
        }
        choice.field = std::int16_t(choice.index);
    }
    options.paths = parser.positionalArguments();
    options.recursive = parser.isSet(recursive);
    options.dryRun = parser.isSet(dryRun);
    options.quiet = parser.isSet(quiet);
    if (options.paths.isEmpty()) {
        PrintError(QStringLiteral("no PATH given (see --help)"));
        return kExitUsage;
    }
    return -1;
}

// The files named by the paths, folders scanned; false when a path does not exist.
bool CollectSources(const Options& options, QStringList& sources)
{
    bool allFound = true;
    for (const QString& path : options.paths) {
        const QFileInfo info(path);
        if (!info.exists()) {
            PrintError(QStringLiteral("no such file or folder: %1").arg(path));
            allFound = false;
        } else if (info.isDir()) {
            const QStringList found = ScanFolder(info.absoluteFilePath(), options.recursive);
            if (found.isEmpty() && !options.quiet)
                PrintError(QStringLiteral("no Ogg Vorbis files in %1").arg(path));
            sources << found;
        } else {
            sources << info.absoluteFilePath();
        }
    }
    return allFound;
}

} // namespace

int RunCliConverter(const QStringList& arguments)
{
    Options options;
    if (const int exitCode = ParseOptions(arguments, options); exitCode >= 0)
        return exitCode;

    QStringList sources;
    if (!CollectSources(options, sources))
        return kExitUsage;
    std::vector<ProbedFile> probed;
    for (const QString& source : sources) {
        ProbedFile file{source, ProbeFile(source)};
        if (file.info.unreadable && !options.quiet)
            PrintError(QStringLiteral("skipping %1: %2").arg(source, SkipReason(source)));
        probed.push_back(std::move(file));
    }
    std::uint64_t overallTotal = 0;
    std::vector<CConversionTask> tasks = BuildConversionTasks(probed, options.settings, &overallTotal);
    if (tasks.empty()) {
        PrintError(QStringLiteral("nothing to convert"));
        return kExitUsage;
    }

    if (options.dryRun) {
        QSet<QString> taken;
        for (const CConversionTask& task : tasks) {
            const QString destination = PreviewUniquePath(task.destinationPath, &taken);
            taken.insert(destination);
            PrintLine(QStringLiteral("%1 -> %2").arg(task.sourcePath, destination));
        }
        return kExitConverted;
    }

    if (!InitSoxLibrary()) {
        PrintError(QStringLiteral("libsox could not be initialised"));
        return kExitFailed;
    }
    CliBatchHost host(options.quiet, ::isatty(STDOUT_FILENO) == 1);
    host.m_settings = options.settings;
    host.m_tasks = std::move(tasks);
    host.m_overallTotal = overallTotal;
    host.m_running.store(1);
    g_runningFlag.store(&host.m_running);
    if (!InstallStopHandlers())
        PrintError(QStringLiteral("cannot catch Ctrl+C: an interrupt would leave a partial MP3 behind"));
    std::thread runner([&host] { BatchRunnerMain(host, std::chrono::milliseconds(0)); });
    runner.join();
    host.EndOutput();
    g_runningFlag.store(nullptr);

    if (g_interruptSignal != 0)
        return 128 + g_interruptSignal;
    return host.Succeeded() ? kExitConverted : kExitFailed;
}
