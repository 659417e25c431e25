#pragma once
// Bounded lock-free sample ring: one producer thread, N reader positions.
//
// Threads: only the producer calls Write and FreeSpace; only reader r calls Read(…, r) and
// Available(r). Positions are atomics: each side publishes its position with release order
// after its samples are copied, and loads the other side's position with acquire order
// before it touches samples. Reset only while no thread uses the ring.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

template <typename T, unsigned N>
class RingBuffer {
    static_assert(N >= 1, "a ring needs at least one reader");
    static_assert(std::is_trivially_copyable_v<T>, "samples are copied with memcpy");

public:
    explicit RingBuffer(std::uint32_t capacity)
        : m_storage(std::make_unique<T[]>(capacity)), m_capacity(capacity)
    {
        for (auto& r : m_readPos)
            r.store(0, std::memory_order_relaxed);
    }
    virtual ~RingBuffer() = default;

    RingBuffer(const RingBuffer&) = delete;
    RingBuffer& operator=(const RingBuffer&) = delete;

    std::uint32_t Capacity() const { return m_capacity; }

    // Samples that reader `reader` can take now.
    std::uint32_t Available(unsigned reader = 0) const
    {
        const std::uint32_t w = m_writePos.load(std::memory_order_acquire);
        const std::uint32_t r = m_readPos[reader].load(std::memory_order_relaxed);
        return w >= r ? w - r : m_capacity - r + w;
    }

    // Room for the producer; one slot always stays empty. Measured against reader 0.
    std::uint32_t FreeSpace() const
    {
        const std::uint32_t r = m_readPos[0].load(std::memory_order_acquire);
        const std::uint32_t w = m_writePos.load(std::memory_order_relaxed);
        return static_cast<std::uint32_t>((std::uint64_t(r) + m_capacity - w - 1) % m_capacity);
    }

    // Takes up to n samples; zero-fills the rest of dest when fewer are there. Returns the count taken.
    std::uint32_t Read(T* dest, std::uint32_t n, unsigned reader = 0)
    {
        const std::uint32_t k = std::min(n, Available(reader));
        const std::uint32_t r = m_readPos[reader].load(std::memory_order_relaxed);
        const std::uint32_t first = std::min(k, m_capacity - r);
        std::memcpy(dest, m_storage.get() + r, first * sizeof(T));
        std::memcpy(dest + first, m_storage.get(), (k - first) * sizeof(T));
        if (k < n)
            std::fill(dest + k, dest + n, T{});
        if (k > 0)
            m_readPos[reader].store(static_cast<std::uint32_t>((std::uint64_t(r) + k) % m_capacity),
                                    std::memory_order_release);
        return k;
    }

    // Stores up to n samples from src. Returns the count stored.
    std::uint32_t Write(const T* src, std::uint32_t n)
    {
        const std::uint32_t k = std::min(n, FreeSpace());
        const std::uint32_t w = m_writePos.load(std::memory_order_relaxed);
        const std::uint32_t first = std::min(k, m_capacity - w);
        std::memcpy(m_storage.get() + w, src, first * sizeof(T));
        std::memcpy(m_storage.get(), src + first, (k - first) * sizeof(T));
        if (k > 0)
            m_writePos.store(static_cast<std::uint32_t>((std::uint64_t(w) + k) % m_capacity),
                             std::memory_order_release);
        return k;
    }

    // Empties the ring. Only while neither side is running.
    void Reset()
    {
        m_writePos.store(0, std::memory_order_relaxed);
        for (auto& r : m_readPos)
            r.store(0, std::memory_order_relaxed);
    }

private:
    std::unique_ptr<T[]> m_storage;
    std::atomic<std::uint32_t> m_writePos{0};
    std::atomic<std::uint32_t> m_readPos[N];
    const std::uint32_t m_capacity;
};
