#pragma once
// Numbers in texts, always in the C locale.
//
// Reading: the integer at the start of a text, as atoi does: leading white space (the C
// locale's), an optional sign, then decimal digits up to the first other character. Values
// beyond the range of int are clamped to it. "2009-05-01" gives 2009, "3/12" gives 3.
//
// Threads: reentrant; call from any thread.

#include <QString>
#include <QStringView>
#include <optional>

// printf's "%.<decimals>f" in the C locale: the exact value rounded to nearest, ties to even
// (QString::number rounds ties away from zero, so 2.5 would become 3 rather than 2). decimals
// is clamped to 0..1074, beyond which a double's expansion has only zeros.
QString FixedText(double value, int decimals);

// The number, or nullopt when no digit follows the white space and sign.
std::optional<int> ParseLeadingInt(QStringView text);

// The number, 0 when there is none (atoi's answer).
inline int LeadingInt(QStringView text)
{
    return ParseLeadingInt(text).value_or(0);
}
