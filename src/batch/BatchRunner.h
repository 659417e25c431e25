#pragma once
// The batch runner: runs the host's jobs one after another on its own thread, creating
// destination folders, reserving destination names, and logging each job's outcome.

#include "engine/BatchHost.h"

#include <chrono>

// The runner thread's body. Runs host.m_tasks while host.m_running stays set; a failed job
// stops the batch after it. Calls OnFinished when every job ran without a stop. Returns when
// every stage thread it started has ended. `startDelay` lets a window show itself first.
void BatchRunnerMain(BatchHost& host, std::chrono::milliseconds startDelay = std::chrono::milliseconds(500));

// Seconds as the log shows them: "%.2f", independent of the locale.
QString FormatSeconds(double seconds);
