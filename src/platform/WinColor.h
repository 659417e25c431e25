#pragma once
// Colours written as 0x00BBGGRR values (blue in the high byte, red in the low one).

#include <QColor>
#include <cstdint>

inline QColor FromWinColor(std::uint32_t bgr)
{
    return QColor::fromRgb(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}
