#include "CliBatchHost.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>

QString FormatClock(double seconds)
{
    const long long s = std::isfinite(seconds) ? std::clamp<long long>(std::llround(seconds), 0, 359999) : 359999;
    return QString::asprintf("%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
}

CliBatchHost::CliBatchHost(bool quiet, bool progressLine) : m_quiet(quiet), m_progressLine(progressLine && !quiet)
{
}

void CliBatchHost::OnLogLine(const QString& text, LogCode code)
{
    if (m_quiet && code != LOG_ERROR)
        return;
    const std::lock_guard lock(m_outputMutex);
    ClearProgressLocked();
    std::FILE* stream = code == LOG_ERROR ? stderr : stdout;
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
    DrawProgressLocked();
}

void CliBatchHost::OnProgress(float currentPercent, float overallPercent, bool)
{
    const std::lock_guard lock(m_outputMutex);
    m_currentPercent = std::min(currentPercent, 100.0f);
    m_overallPercent = std::min(overallPercent, 100.0f);
    DrawProgressLocked();
}

void CliBatchHost::OnErrorBox(const QString&)
{
    // The same failure has been logged as an error line already.
}

void CliBatchHost::OnBatchStarted()
{
    const std::lock_guard lock(m_outputMutex);
    m_batchStart = std::chrono::steady_clock::now();
}

void CliBatchHost::OnTitle(const QString& title)
{
    const std::lock_guard lock(m_outputMutex);
    m_title = title;
}

void CliBatchHost::OnPaths(const QString& source, const QString&)
{
    const std::lock_guard lock(m_outputMutex);
    m_currentFile = QFileInfo(source).fileName();
    m_currentPercent = 0;
}

void CliBatchHost::OnFinished()
{
    m_finished.store(true);
}

void CliBatchHost::EndOutput()
{
    const std::lock_guard lock(m_outputMutex);
    ClearProgressLocked();
}

void CliBatchHost::DrawProgressLocked()
{
    if (!m_progressLine || m_title.isEmpty())
        return;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_batchStart).count();
    const double speed = elapsed > 0 ? m_overallSeconds.load() / elapsed : 0.0;
    const double p = m_overallPercent;
    const QString eta = p > 0 ? FormatClock(elapsed * (100.0 - p) / p) : QStringLiteral("--:--:--");
    const QString line = QStringLiteral("%1  %2  %3%  overall %4%  %5x  %6  ETA %7")
                             .arg(m_title, m_currentFile, QString::number(m_currentPercent, 'f', 0),
                                  QString::number(p, 'f', 0), QString::number(speed, 'f', 1), FormatClock(elapsed), eta);
    std::fprintf(stdout, "\r\033[K%s", line.toLocal8Bit().constData());
    std::fflush(stdout);
    m_progressShown = true;
}

void CliBatchHost::ClearProgressLocked()
{
    if (!m_progressShown)
        return;
    std::fprintf(stdout, "\r\033[K");
    std::fflush(stdout);
    m_progressShown = false;
}
