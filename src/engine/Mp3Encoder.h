#pragma once
// The encoder stage: reads interleaved 32-bit samples from the job's encoderInput ring,
// encodes MP3 through the encoder interface, writes the destination file with its Info tag,
// and keeps the batch's progress counters. Runs on the job's encoder thread.

#include "BatchHost.h"
#include "EncoderApi.h"

// The encoder's mode for an output channel count and the user's channel mode.
BeMode Mp3ModeFor(std::uint32_t outputChannels, int channelMode);

// The encoder thread's body: encodes, then finishes the file (tags) when encoding succeeded,
// or removes the file this job created when it did not. Never throws.
void EncoderThreadMain(CConversionTask& job, BatchHost& host);

// Encodes the whole stream into a newly created job.destinationPath. Returns true only when
// the file was finished: read to the end of its stream, flushed and closed. On false the
// reason has been posted (unless the batch was stopped by someone else) and `created` tells
// whether this call created the destination file (a reserved one belongs to the runner).
bool EncodeMp3(CConversionTask& job, BatchHost& host, bool* created);
