#include "BatchHost.h"

#include <cmath>

void PostLogLine(BatchHost& host, const QString& text, LogCode code)
{
    host.OnLogLine(text, code);
}

void PostProgress(BatchHost& host, double currentPercent, double overallPercent, bool final)
{
    auto clean = [](double p) { return std::isfinite(p) && p > 0 ? float(p) : 0.0f; };
    host.OnProgress(clean(currentPercent), clean(overallPercent), final);
}

double ProgressPercent(std::uint64_t done, std::uint64_t total, bool final)
{
    if (total == 0)
        return final ? 100.0 : 0.0;
    return double(done) * 100.0 / double(total);
}
