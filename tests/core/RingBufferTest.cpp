// The sample ring: wrap-around, full and empty rings, and two threads streaming through it.

#include "engine/RingBuffer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>
#include <vector>

namespace {

std::vector<int> Iota(int from, int n)
{
    std::vector<int> v(std::size_t(n), 0);
    std::iota(v.begin(), v.end(), from);
    return v;
}

TEST(RingBuffer, WrapsAroundInTwoPieces)
{
    RingBuffer<int, 1> ring(8);
    std::vector<int> out(8, -1);
    ASSERT_EQ(ring.Write(Iota(1, 6).data(), 6), 6u);
    ASSERT_EQ(ring.Read(out.data(), 5), 5u); // positions now at 5 and 6
    ASSERT_EQ(ring.Write(Iota(7, 6).data(), 6), 6u); // slots 6, 7, 0, 1, 2, 3
    EXPECT_EQ(ring.Available(), 7u);
    EXPECT_EQ(ring.FreeSpace(), 0u);
    ASSERT_EQ(ring.Read(out.data(), 7), 7u);
    EXPECT_EQ(std::vector<int>(out.begin(), out.begin() + 7), Iota(6, 7));
    EXPECT_EQ(ring.Available(), 0u);
    EXPECT_EQ(ring.FreeSpace(), 7u);
}

TEST(RingBuffer, FullRingHoldsCapacityMinusOneAndRefusesWrites)
{
    RingBuffer<int, 1> ring(16);
    EXPECT_EQ(ring.Write(Iota(0, 20).data(), 20), 15u);
    EXPECT_EQ(ring.FreeSpace(), 0u);
    EXPECT_EQ(ring.Available(), 15u);
    EXPECT_EQ(ring.Write(Iota(0, 1).data(), 1), 0u);
    EXPECT_EQ(ring.Available(), 15u);
}

TEST(RingBuffer, ShortReadZeroFillsTheRest)
{
    RingBuffer<int, 1> ring(16);
    std::vector<int> out(10, -1);
    EXPECT_EQ(ring.Read(out.data(), 4), 0u); // empty: nothing moves, all zero
    EXPECT_EQ(out, std::vector<int>({0, 0, 0, 0, -1, -1, -1, -1, -1, -1}));
    ring.Write(Iota(5, 3).data(), 3);
    std::fill(out.begin(), out.end(), -1);
    EXPECT_EQ(ring.Read(out.data(), 10), 3u);
    EXPECT_EQ(out, std::vector<int>({5, 6, 7, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ring.Available(), 0u);
}

TEST(RingBuffer, TwoThreadsMoveMillionsOfSamplesInOrder)
{
    constexpr int kTotal = 5'000'000;
    RingBuffer<int, 1> ring(4099); // odd size so that blocks wrap at every position
    std::thread producer([&] {
        std::vector<int> block(777);
        int next = 0;
        while (next < kTotal) {
            const int n = std::min<int>(int(block.size()), kTotal - next);
            if (ring.FreeSpace() < std::uint32_t(n)) {
                std::this_thread::yield();
                continue;
            }
            std::iota(block.begin(), block.begin() + n, next);
            ASSERT_EQ(ring.Write(block.data(), std::uint32_t(n)), std::uint32_t(n));
            next += n;
        }
    });
    std::vector<int> block(1000);
    int expected = 0;
    bool inOrder = true;
    while (expected < kTotal && inOrder) {
        const std::uint32_t n = ring.Read(block.data(), std::uint32_t(block.size()));
        for (std::uint32_t i = 0; i < n; ++i)
            inOrder = inOrder && block[i] == expected++;
        if (n == 0)
            std::this_thread::yield();
    }
    producer.join();
    EXPECT_TRUE(inOrder) << "sample " << expected - 1 << " out of order";
    EXPECT_EQ(expected, kTotal);
}

} // namespace
