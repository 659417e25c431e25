#include "engine/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
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

QString FixedText(double value, int decimals)
{
    std::array<char, 1536> buffer;
    const std::to_chars_result result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                                      std::chars_format::fixed, std::clamp(decimals, 0, 1074));
    if (result.ec != std::errc())
        return {};
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}
