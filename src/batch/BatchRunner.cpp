#include "BatchRunner.h"

#include "engine/ConversionJob.h"
#include "engine/DestinationFile.h"

#include <QFile>
#include <QFileInfo>

#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

const QString kSeparator(99, u'-');

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Audio seconds per wall-clock second; 0 before any time has passed.
double Speed(double audioSeconds, double elapsed)
{
    return elapsed > 0 ? audioSeconds / elapsed : 0.0;
}

void Info(BatchHost& host, const QString& text)
{
    PostLogLine(host, text, LOG_INFO);
}

// Runs one job; false when it failed or the batch was stopped.
bool RunJob(BatchHost& host, CConversionTask job)
{
    const QString folder = QFileInfo(job.destinationPath).absolutePath();
    if (!QFileInfo(folder).isDir() && !CreateFolderTree(folder)) {
        PostLogLine(host, QStringLiteral("Fail to create folder %1 !").arg(folder), LOG_ERROR);
        host.m_running.store(0);
        return false;
    }

    const QString reserved = MakeUniquePath(job.destinationPath);
    if (reserved.isEmpty()) {
        PostLogLine(host, QStringLiteral("Error creating file %1").arg(job.destinationPath), LOG_ERROR);
        host.m_running.store(0);
        PostLogLine(host, QStringLiteral("Converting status: ERROR."), LOG_ERROR);
        return false;
    }
    job.destinationPath = reserved;
    job.destinationReserved = true;

    host.OnPaths(job.sourcePath, job.destinationPath);
    Info(host, QStringLiteral("Start a new converting task."));
    Info(host, QStringLiteral("Source:  %1.").arg(job.sourcePath));
    Info(host, QStringLiteral("Destination: %1.").arg(job.destinationPath));

    host.m_currentDone.store(0);
    host.m_currentSeconds.store(0);
    if (!RunConversionJob(job, host))
        host.m_running.store(0);
    JoinStageThreads(host);

    if (!host.m_running.load()) {
        // The reserved name belongs to this job: nothing else was ever in that file.
        if (QFile::remove(job.destinationPath))
            Info(host, QStringLiteral("Removed the incomplete file %1").arg(job.destinationPath));
        PostLogLine(host, QStringLiteral("Converting status: ERROR."), LOG_ERROR);
        return false;
    }
    return true;
}

} // namespace

QString FormatSeconds(double seconds)
{
    return QString::asprintf("%.2f", seconds);
}

void BatchRunnerMain(BatchHost& host, std::chrono::milliseconds startDelay)
{
    std::this_thread::sleep_for(startDelay);
    host.OnBatchStarted();
    const Clock::time_point batchStart = Clock::now();
    const int count = int(host.m_tasks.size());

    for (int index = 0; index < count && host.m_running.load(); ++index) {
        Info(host, kSeparator);
        const Clock::time_point fileStart = Clock::now();
        host.OnTitle(QStringLiteral("Converting %1/%2").arg(index + 1).arg(count));
        if (!RunJob(host, host.m_tasks[std::size_t(index)]))
            break;
        const double elapsed = SecondsSince(fileStart);
        Info(host, QStringLiteral("Time elapsed %1 secs, speed %2x.")
                       .arg(FormatSeconds(elapsed), FormatSeconds(Speed(host.m_currentSeconds.load(), elapsed))));
        Info(host, QStringLiteral("Converting status: OK."));
    }

    if (!host.m_running.load())
        return;
    if (count > 1) {
        const double elapsed = SecondsSince(batchStart);
        Info(host, kSeparator);
        Info(host, QStringLiteral("Total time elapsed %1 secs, overall speed %2x.")
                       .arg(FormatSeconds(elapsed), FormatSeconds(Speed(host.m_overallSeconds.load(), elapsed))));
    }
    host.OnFinished();
}
