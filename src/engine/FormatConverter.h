#pragma once
// The format-conversion stage: a libsox effects chain that changes the channel count and the
// sampling frequency between the decoded ring and the converted ring. Runs on the job's
// format-conversion thread, which starts the encoder thread once its chain is built.

#include "BatchHost.h"

// The thread body. Returns false when the chain could not be built or failed while running
// (the error is posted and m_running cleared); true when it ran to its end or was stopped.
// libsox must have been initialised (InitSoxLibrary).
bool ConvertFormat(CConversionTask& job, BatchHost& host, JobStages& stages);
