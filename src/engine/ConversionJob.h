#pragma once
// The job driver: starts a job's stage threads and decodes on the calling (runner) thread.

#include "BatchHost.h"

// Runs one job: checks that the source can be read, starts the downstream stage thread and
// decodes the source. Returns whether the decoder stage succeeded, once it has finished; the
// other stages may still run. The caller then calls JoinStageThreads, and `job` must stay alive
// until it has. Called on the runner thread; no stage of an earlier job may still run.
bool RunConversionJob(CConversionTask& job, BatchHost& host);

// Waits for the stage threads of the current job. They end on their own once the stream has
// been encoded or m_running has been cleared. Called on the runner thread.
void JoinStageThreads(BatchHost& host);

// Opens `path` for reading and closes it again. Returns an empty string when that worked,
// otherwise the system's text for the error.
QString CheckSourceReadable(const QString& path);
