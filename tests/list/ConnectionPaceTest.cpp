// The pace of new connections on a clock of the test's own, ticking as a
// timer would: never more than 64 in any 100 ms, a few at a time however late
// the ticks come, the full rate while they come often, and a right delay to
// the next turn.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "list/ConnectionPace.h"

namespace {

// Opens all that the pace allows at each tick for ms; returns the times.
std::vector<uint64_t> OpenAtTicks(uint64_t tickMs, uint64_t ms) {
    ConnectionPace pace;
    std::vector<uint64_t> opened;
    for (uint64_t t = 5000; t < 5000 + ms; t += tickMs) {
        while (pace.MayOpen(t)) {
            pace.Opened(t);
            opened.push_back(t);
        }
        const uint64_t wait = pace.DelayMs(t);
        EXPECT_GT(wait, 0u);
        EXPECT_TRUE(pace.MayOpen(t + wait)) << t;
    }
    return opened;
}

TEST(ConnectionPace, SixtyFourInAnyHundredMsAFewAtATime) {
    const struct {
        uint64_t tickMs;
        size_t atLeast;  // in 1 s
    } rows[] = {{1, 640}, {10, 640}, {16, 560}, {100, 100}, {400, 30}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.tickMs);
        const std::vector<uint64_t> opened = OpenAtTicks(row.tickMs, 1000);
        EXPECT_GE(opened.size(), row.atLeast);
        for (size_t i = 0; i + 64 < opened.size(); ++i) ASSERT_GE(opened[i + 64] - opened[i], 100u) << i;
        size_t most = 0;
        for (size_t i = 0, j = 0; i < opened.size(); i = j) {
            while (j < opened.size() && opened[j] == opened[i]) ++j;
            most = std::max(most, j - i);
        }
        EXPECT_LE(most, 11u);
    }
}

}  // namespace
