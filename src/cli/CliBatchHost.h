#pragma once
// The batch host of the command-line program: log lines go to the terminal.

#include "engine/BatchHost.h"

#include <mutex>

// Threads: the outlets are called from the stage threads and serialise on m_outputMutex.
class CliBatchHost final : public BatchHost {
public:
    void OnLogLine(const QString& text, LogCode code) override;
    void OnProgress(float currentPercent, float overallPercent, bool final) override;
    void OnErrorBox(const QString& text) override;

private:
    std::mutex m_outputMutex;
};
