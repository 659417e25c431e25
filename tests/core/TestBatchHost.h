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
    QStringList m_errors, m_infos, m_boxes;
    std::vector<ProgressReport> m_progress;
};
