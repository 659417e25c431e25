// ProbeFile against a bare loop of the same library calls, over 1 000 short generated Ogg
// Vorbis files: files per second of each and their ratio. The rounds alternate, and the best
// round of each counts, so that cache state and load hit both alike. Times are the thread's CPU
// time (the files sit in the page cache after the first round), which other processes on the
// machine disturb far less than wall time; wall time is printed beside it.
//
// Usage: qv-probe-bench [folder]  (default /tmp/qv-probe-bench; generated files are kept
// there and reused by later runs)

#include "filelist/AudioFileProbe.h"
#include "filelist/FileListColumns.h"

#include "OggFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <taglib/vorbisfile.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <time.h>
#include <vector>

namespace {

double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

constexpr int kFiles = 1000;
constexpr int kRounds = 6;

// Writes the files that are missing, on every core. Returns the paths, or none on failure.
QStringList GenerateFiles(const QString& folder)
{
    QDir().mkpath(folder);
    QStringList paths;
    for (int i = 0; i < kFiles; ++i)
        paths.append(QStringLiteral("%1/track%2.ogg").arg(folder).arg(i, 4, 10, QLatin1Char('0')));

    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    auto work = [&] {
        for (int i = next++; i < kFiles && !failed; i = next++) {
            if (QFileInfo(paths[i]).size() > 0)
                continue;
            qvtest::OggFixtureSpec recipe;
            recipe.sampleRate = 44100;
            recipe.channels = 2;
            recipe.frames = 44100;
            recipe.seed = std::uint32_t(i + 1);
            recipe.comments = {{"ARTIST", "Bench Artist"},
                             {"ALBUM", "Bench Album"},
                             {"TITLE", "Track " + std::to_string(i)},
                             {"TRACKNUMBER", std::to_string(i % 20 + 1) + "/20"},
                             {"DATE", "2024"}};
            const std::string error = qvtest::WriteOggFixture(QFile::encodeName(paths[i]).toStdString(), recipe);
            if (!error.empty()) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(paths[i]), error.c_str());
                failed = true;
            }
        }
    };
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < std::max(1u, std::thread::hardware_concurrency()); ++t)
        threads.emplace_back(work);
    for (std::thread& thread : threads)
        thread.join();
    return failed ? QStringList() : paths;
}

// The same library work as ProbeFile, without its checks and bookkeeping: vorbisfile for the
// stream information, TagLib's Vorbis reader for the comment and the bit rate.
long long BareProbe(const QByteArray& name)
{
    long long sink = 0;
    if (FILE* file = std::fopen(name.constData(), "rb")) {
        OggVorbis_File vf;
        if (ov_open_callbacks(file, &vf, nullptr, 0, OV_CALLBACKS_DEFAULT) == 0) {
            if (const vorbis_info* vi = ov_info(&vf, -1))
                sink += vi->channels + vi->rate;
            sink += ov_pcm_total(&vf, -1) + ov_bitrate(&vf, -1);
            ov_clear(&vf);
        } else {
            std::fclose(file);
        }
    }
    TagLib::Ogg::Vorbis::File file(name.constData(), true);
    if (const TagLib::Ogg::XiphComment* comment = file.tag()) {
        for (const auto& field : comment->fieldListMap())
            sink += QString::fromUtf8(field.second.toString(" ").toCString(true)).size();
    }
    if (file.audioProperties())
        sink += file.audioProperties()->bitrate();
    return sink;
}

} // namespace

int main(int argc, char** argv)
{
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/qv-probe-bench");
    QElapsedTimer timer;
    timer.start();
    const QStringList paths = GenerateFiles(folder);
    if (paths.isEmpty())
        return 1;
    std::printf("files: %d in %s (ready in %.1f s)\n", kFiles, qPrintable(folder), timer.elapsed() / 1000.0);
    std::vector<QByteArray> names;
    for (const QString& path : paths)
        names.push_back(QFile::encodeName(path));

    double bestProbe = 1e300, bestBare = 1e300;
    long long sink = 0;
    for (int round = 0; round < kRounds; ++round) {
        timer.restart();
        double cpu = ThreadCpuSeconds();
        for (const QString& path : paths) {
            const AudioFileInfo info = ProbeFile(path);
            sink += info.bitrateKbps + info.title.size();
        }
        const double probe = ThreadCpuSeconds() - cpu;
        const double probeWall = timer.nsecsElapsed() / 1e9;
        timer.restart();
        cpu = ThreadCpuSeconds();
        for (const QByteArray& name : names)
            sink += BareProbe(name);
        const double bare = ThreadCpuSeconds() - cpu;
        const double bareWall = timer.nsecsElapsed() / 1e9;
        std::printf("round %d: ProbeFile %.0f files/s (wall %.0f), bare loop %.0f files/s (wall %.0f)\n",
                    round + 1, kFiles / probe, kFiles / probeWall, kFiles / bare, kFiles / bareWall);
        bestProbe = std::min(bestProbe, probe);
        bestBare = std::min(bestBare, bare);
    }
    // The rows a worker hands over: ProbeFile plus the modification time.
    double probeRows = 1e300;
    std::size_t rowCount = 0;
    for (int round = 0; round < 3; ++round) {
        const double cpu = ThreadCpuSeconds();
        rowCount += ProbeFiles(paths).size();
        probeRows = std::min(probeRows, ThreadCpuSeconds() - cpu);
    }

    const double ratio = bestProbe / bestBare;
    std::printf("best (CPU time): ProbeFile %.0f files/s, bare loop %.0f files/s, ProbeFiles %.0f files/s\n",
                kFiles / bestProbe, kFiles / bestBare, kFiles / probeRows);
    std::printf("ProbeFile time / bare loop time = %.3f (%s the 1.15 goal)\n", ratio,
                ratio <= 1.15 ? "within" : "misses");
    std::printf("(checksum %lld, %zu rows)\n", sink, rowCount);
    return 0;
}
