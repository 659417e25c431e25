#include "engine/LeadingInt.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

bool IsCSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

}  // namespace

std::optional<int> ParseLeadingInt(QStringView text)
{
    constexpr std::int64_t kMagnitudeLimit = std::int64_t(INT_MAX) + 1;
    qsizetype i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const qsizetype firstDigit = i;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        magnitude = std::min(magnitude * 10 + (text[i].unicode() - u'0'), kMagnitudeLimit);
    if (i == firstDigit)
        return std::nullopt;
    const std::int64_t value = negative ? -magnitude : magnitude;
    return int(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}
