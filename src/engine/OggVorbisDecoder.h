#pragma once
// The decoder stage: reads the job's Ogg Vorbis file and writes interleaved 32-bit samples
// into the decoded ring. Runs on the batch runner thread.

#include "BatchHost.h"

#include <cstdint>

// Frames requested from the library per read.
inline constexpr int kDecodeBlockFrames = 512;

// A float sample in [-1, 1] as a signed 32-bit sample: × 2^31, rounded to nearest (ties to
// even), clamped to the 32-bit range; NaN gives 0.
std::int32_t FloatToSample32(float sample);

// Decodes job.sourcePath into `ring` (the decoded ring of the job). Returns true when the
// stream was read to its end or the batch was stopped by someone else, false when this stage
// failed (it has then posted the error and cleared m_running).
bool DecodeOggVorbis(CConversionTask& job, SampleRing& ring, BatchHost& host);
