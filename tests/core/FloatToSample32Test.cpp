// Float to 32-bit sample conversion: scale, rounding, clamping and NaN.

#include "engine/OggVorbisDecoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(FloatToSample32, TableOfValues)
{
    struct Case {
        float in;
        std::int32_t out;
    };
    const Case cases[] = {
        {1.0f, 2147483647},
        {-1.0f, -2147483647 - 1},
        {0.25f, 536870912},
        {-0.25f, -536870912},
        {0.0f, 0},
        {0.0000001f, 215},          // tiny values keep their resolution
        {-0.0000001f, -215},
        {1.5f, 2147483647},         // past the range: clamped
        {-3.0f, -2147483647 - 1},
        {std::numeric_limits<float>::infinity(), 2147483647},
        {-std::numeric_limits<float>::infinity(), -2147483647 - 1},
        {std::ldexp(2.5f, -31), 2}, // 2.5 after scaling: ties go to even
        {std::ldexp(3.5f, -31), 4},
        {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloatToSample32(c.in), c.out) << "input " << c.in;
}

} // namespace
