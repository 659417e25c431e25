#include "CliBatchHost.h"

#include <cstdio>

void CliBatchHost::OnLogLine(const QString& text, LogCode code)
{
    const std::lock_guard lock(m_outputMutex);
    std::FILE* stream = code == LOG_ERROR ? stderr : stdout;
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}

void CliBatchHost::OnProgress(float, float, bool)
{
}

void CliBatchHost::OnErrorBox(const QString&)
{
    // The same failure has already been logged as an error line.
}
