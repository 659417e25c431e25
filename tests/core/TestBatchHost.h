#pragma once
// A batch host for tests: records every log line, progress report and message box.

#include "engine/BatchHost.h"

#include <QStringList>
#include <mutex>
#include <vector>

struct ProgressReport {
    float current;
    float overall;
    bool final;
};

// Threads: the outlets run on stage threads; the accessors on the test thread. All under m_mutex.
class TestBatchHost final : public BatchHost {
public:
    void OnLogLine(const QString& text, LogCode code) override
    {
        const std::lock_guard lock(m_mutex);
        (code == LOG_ERROR ? m_errors : m_infos) << text;
        m_log << (code == LOG_ERROR ? QStringLiteral("E ") : QString()) + text;
    }
    void OnProgress(float current, float overall, bool final) override
    {
        const std::lock_guard lock(m_mutex);
        m_progress.push_back({current, overall, final});
    }
    void OnErrorBox(const QString& text) override
    {
        const std::lock_guard lock(m_mutex);
        m_boxes << text;
    }

    void OnBatchStarted() override {}
    void OnTitle(const QString& title) override
    {
        const std::lock_guard lock(m_mutex);
        m_titles << title;
    }
    void OnPaths(const QString& source, const QString& destination) override
    {
        const std::lock_guard lock(m_mutex);
        m_paths << source + QStringLiteral(" -> ") + destination;
    }
    void OnFinished() override { m_finished.store(true); }

    // Every line in order, errors marked with a leading "E ".
    QStringList Log() const { return Locked(m_log); }
    QStringList Titles() const { return Locked(m_titles); }
    QStringList Paths() const { return Locked(m_paths); }
    bool Finished() const { return m_finished.load(); }

    QStringList Errors() const { return Locked(m_errors); }
    QStringList Infos() const { return Locked(m_infos); }
    QStringList Boxes() const { return Locked(m_boxes); }
    std::vector<ProgressReport> Progress() const { return Locked(m_progress); }

private:
    template <typename T>
    T Locked(const T& value) const
    {
        const std::lock_guard lock(m_mutex);
        return value;
    }

    mutable std::mutex m_mutex;
    QStringList m_errors, m_infos, m_boxes, m_log, m_titles, m_paths;
    std::atomic<bool> m_finished{false};
    std::vector<ProgressReport> m_progress;
};
