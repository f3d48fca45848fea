#include "list/ConnectionPace.h"

#include <algorithm>

namespace {
// After a pause (a late timer on a busy machine), at most this many
// milliseconds of turns are made up at once: a few connections, not a burst.
constexpr uint64_t kCatchUpMs = 16;
}  // namespace

bool ConnectionPace::MayOpen(uint64_t nowMs) const {
    return opened_[next_] + kWindowMs <= nowMs && turn_ <= nowMs * kCount;
}

uint64_t ConnectionPace::DelayMs(uint64_t nowMs) const {
    const uint64_t at = std::max(opened_[next_] + kWindowMs, (turn_ + kCount - 1) / kCount);
    return at > nowMs ? at - nowMs : 0;
}

void ConnectionPace::Opened(uint64_t nowMs) {
    opened_[next_] = nowMs;
    next_ = (next_ + 1) % kCount;
    // A turn every kWindowMs / kCount ms.
    turn_ = std::max(turn_, (nowMs - std::min(nowMs, kCatchUpMs)) * kCount) + kWindowMs;
}
