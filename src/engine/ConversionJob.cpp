#include "ConversionJob.h"

#include "FormatConverter.h"
#include "Mp3Encoder.h"
#include "OggVorbisDecoder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

QString CheckSourceReadable(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return {};
}

bool RunConversionJob(CConversionTask& job, BatchHost& host)
{
    JoinStageThreads(host);
    job.decoderRunning.store(1);

    if (const QString error = CheckSourceReadable(job.sourcePath); !error.isEmpty()) {
        PostLogLine(host, QStringLiteral("File Error: %1").arg(error), LOG_ERROR);
        host.m_running.store(0);
        job.decoderRunning.store(0);
        return false;
    }

    bool result = false;
    try {
        host.m_stages = std::make_unique<JobStages>();
        JobStages& stages = *host.m_stages;
        if (job.needsFormatConversion) {
            // The converter thread starts the encoder once its chain is built.
            stages.convertedRing = std::make_unique<SampleRing>(kSampleRingCapacity);
            job.encoderInput = stages.convertedRing.get();
            stages.converterThread = std::thread([&job, &host, &stages] { ConvertFormat(job, host, stages); });
        } else {
            job.encoderInput = &stages.decodedRing;
            stages.encoderThread = std::thread([&job, &host] { EncoderThreadMain(job, host); });
        }
        result = DecodeOggVorbis(job, stages.decodedRing, host);
    } catch (...) {
        host.m_running.store(0);
        PostLogLine(host, QStringLiteral("An error occurred while decoding %1").arg(job.sourcePath), LOG_ERROR);
        result = false;
    }
    job.decoderRunning.store(0);
    return result;
}

void JoinStageThreads(BatchHost& host)
{
    if (!host.m_stages)
        return;
    if (host.m_stages->converterThread.joinable())
        host.m_stages->converterThread.join();
    if (host.m_stages->encoderThread.joinable())
        host.m_stages->encoderThread.join();
    host.m_stages.reset();
}
