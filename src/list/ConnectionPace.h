#pragma once
// When the check of the listed proxies may open its next connection: at an
// even pace, never more than kCount in any kWindowMs, so that a long list
// does not look like a scan to a home router or a firewall. Pure; the
// caller brings the clock.
#include <array>
#include <cstddef>
#include <cstdint>

class ConnectionPace {
public:
    static constexpr int kCount = 64;
    static constexpr uint64_t kWindowMs = 100;

    bool MayOpen(uint64_t nowMs) const;
    // How long from nowMs until MayOpen holds again (0: it holds now).
    uint64_t DelayMs(uint64_t nowMs) const;
    // A connection was opened at nowMs.
    void Opened(uint64_t nowMs);

private:
    // When the last kCount connections were opened, the oldest at next_.
    std::array<uint64_t, kCount> opened_{};
    size_t next_ = 0;
    // The even pace's next turn, in 1/kCount ms.
    uint64_t turn_ = 0;
};
