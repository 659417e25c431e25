#pragma once
// The batch host of the command-line program: log lines to the terminal and, on a terminal,
// one live progress line under them.

#include "engine/BatchHost.h"

#include <atomic>
#include <chrono>
#include <mutex>

// Threads: the outlets are called from the runner and stage threads and serialise on
// m_outputMutex, which guards every member below it. Succeeded() is read by the main thread
// after the runner has ended.
class CliBatchHost final : public BatchHost {
public:
    // quiet: only error lines. progressLine: keep a live progress line (stdout is a terminal).
    CliBatchHost(bool quiet, bool progressLine);

    void OnLogLine(const QString& text, LogCode code) override;
    void OnProgress(float currentPercent, float overallPercent, bool final) override;
    void OnErrorBox(const QString& text) override;
    void OnBatchStarted() override;
    void OnTitle(const QString& title) override;
    void OnPaths(const QString& source, const QString& destination) override;
    void OnFinished() override;

    bool Succeeded() const { return m_finished.load(); }
    // Removes the progress line before the program prints its last words.
    void EndOutput();

private:
    void DrawProgressLocked();
    void ClearProgressLocked();

    const bool m_quiet;
    const bool m_progressLine;
    std::atomic<bool> m_finished{false};

    std::mutex m_outputMutex;
    QString m_title;
    QString m_currentFile;
    float m_currentPercent = 0;
    float m_overallPercent = 0;
    std::chrono::steady_clock::time_point m_batchStart = std::chrono::steady_clock::now();
    bool m_progressShown = false;
};

// "hh:mm:ss" of a number of seconds, capped at 99:59:59.
QString FormatClock(double seconds);
