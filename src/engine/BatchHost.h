#pragma once
// The batch state that the conversion stages share, and the outlets through which they reach
// whoever shows the batch: the progress window on the desktop, the terminal for the CLI.

#include "ConversionSettings.h"
#include "ConversionTask.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

enum LogCode : int {
    LOG_INFO = 0,
    LOG_ERROR = 2,
};

// The stage threads and rings of the job being converted.
//
// Threads: created by RunConversionJob on the runner thread. converterThread is started by the
// runner; encoderThread by the runner or, when the format changes, by the converter thread
// before that thread ends. Only the runner joins them (JoinStageThreads): converter first,
// then encoder, so the converter's write of encoderThread is complete before it is read.
struct JobStages {
    SampleRing decodedRing{kSampleRingCapacity};
    std::unique_ptr<SampleRing> convertedRing; // only when the format changes
    std::thread converterThread;
    std::thread encoderThread;
};

class BatchHost {
public:
    virtual ~BatchHost() = default;

    // Outlets. Called from any thread; implementations hand the values to their own thread
    // and return without waiting for it.
    virtual void OnLogLine(const QString& text, LogCode code) = 0;
    // Percentages are finite and at least 0. `final` is set once per file, after its last chunk;
    // it reaches the receiver after every earlier progress report and log line of that file.
    virtual void OnProgress(float currentPercent, float overallPercent, bool final) = 0;
    // An error that the desktop shows in a message box (on its GUI thread, never blocking the caller).
    virtual void OnErrorBox(const QString& text) = 0;
    // The runner has started working through the batch.
    virtual void OnBatchStarted() = 0;
    // The batch's title ("Converting 2/5").
    virtual void OnTitle(const QString& title) = 0;
    // The source and destination of the job that starts now.
    virtual void OnPaths(const QString& source, const QString& destination) = 0;
    // The batch ran to its end without a stop; the last call of a batch that succeeded.
    virtual void OnFinished() = 0;

    // Batch flags: set by the owner before the runner starts; cleared by the owner (Cancel) or by
    // any stage on a fatal error; read by every stage loop.
    std::atomic<int> m_running{0};
    std::atomic<int> m_paused{0};

    // Written before the batch starts, read-only while it runs.
    ConversionSettings m_settings;
    std::vector<CConversionTask> m_tasks;
    std::uint64_t m_overallTotal = 0; // sum of expectedSamples over the batch

    // Progress counters: written only by the encoder thread, read by any thread.
    std::atomic<std::uint64_t> m_overallDone{0};
    std::atomic<std::uint64_t> m_currentDone{0};
    std::atomic<float> m_overallSeconds{0};
    std::atomic<float> m_currentSeconds{0};

    // The current job's threads and rings: owned and joined by the runner thread.
    std::unique_ptr<JobStages> m_stages;
};

// Sends one log line to the host's receiver.
void PostLogLine(BatchHost& host, const QString& text, LogCode code);

// Sends the current-file and overall percentages: done × 100 / total, 0 when the total is 0
// (100 for the final report of a file), never negative or NaN.
void PostProgress(BatchHost& host, double currentPercent, double overallPercent, bool final);

// The percentage that PostProgress would show for `done` of `total`.
double ProgressPercent(std::uint64_t done, std::uint64_t total, bool final);
