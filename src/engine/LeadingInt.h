#pragma once
// Reading the integer at the start of a text, as atoi does: leading white space (the C
// locale's), an optional sign, then decimal digits up to the first other character. Values
// beyond the range of int are clamped to it. "2009-05-01" gives 2009, "3/12" gives 3.
//
// Threads: reentrant; call from any thread.

#include <QStringView>
#include <optional>

// The number, or nullopt when no digit follows the white space and sign.
std::optional<int> ParseLeadingInt(QStringView text);

// The number, 0 when there is none (atoi's answer).
inline int LeadingInt(QStringView text)
{
    return ParseLeadingInt(text).value_or(0);
}
