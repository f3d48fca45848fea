#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "list/NextProxy.h"

namespace {

using nextproxy::Heard;

TEST(NextProxy, WalksTheAnsweringEntriesFastestFirstAndNeverPicksTheOneInUse) {
    // c answered fastest; a and d tie, so a (listed first) comes before d.
    const std::vector<std::string> list = {"a:1", "b:1", "c:1", "d:1", "e:1"};
    const std::vector<Heard> heard = {{true, 50}, {false, 0}, {true, 20}, {true, 50}, {false, 0}};
    struct Case {
        const char* what;
        std::vector<std::string> entries;
        std::vector<Heard> heard;
        const char* inUse;
        std::optional<size_t> expected;
    } cases[] = {
        {"after the fastest", list, heard, "c:1", 0},
        {"a tie keeps list order", list, heard, "a:1", 3},
        {"after the slowest wraps", list, heard, "d:1", 2},
        {"in use but silent: the fastest", list, heard, "b:1", 2},
        {"in use missing from the list", list, heard, "192.0.2.1:8080", 2},
        {"host names match in any case", list, heard, "A:1", 3},
        {"none answering", list, std::vector<Heard>(5), "a:1", std::nullopt},
        {"the check has not reached the rest", list, {{false, 0}, {true, 9}}, "a:1", 1},
        {"only the one in use answered", list, {{true, 5}, {false, 0}}, "a:1", std::nullopt},
        {"the one in use listed twice", {"a:1", "a:1", "b:1"}, {{true, 1}, {true, 2}, {true, 3}}, "a:1", 2},
        {"an empty list", {}, {}, "a:1", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nextproxy::NextAnswering(c.entries, c.heard, c.inUse), c.expected) << c.what;
}

TEST(NextProxy, Notices) {
    EXPECT_EQ(nextproxy::StoppedAnswering("192.0.2.1:8080"), "192.0.2.1:8080 stopped answering.");
    EXPECT_EQ(nextproxy::SwitchedTo("192.0.2.2:3128"), "Switched to 192.0.2.2:3128.");
}

}  // namespace
