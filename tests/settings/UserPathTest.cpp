#include <gtest/gtest.h>

#include <string>

#include "settings/UserPath.h"

TEST(UserPath, ExpandReplacesTheFirstPlaceholderWithTheWholeName) {
    EXPECT_EQ(userpath::Expand("C:\\D\\%USER%\\x.ini", "user1"), "C:\\D\\user1\\x.ini");
    EXPECT_EQ(userpath::Expand("%USER%", std::string(40, 'n')), std::string(40, 'n'));
    EXPECT_EQ(userpath::Expand("a%USER%b%USER%", "u"), "aub%USER%");
    EXPECT_EQ(userpath::Expand("C:\\no\\placeholder", "u"), "C:\\no\\placeholder");
    EXPECT_EQ(userpath::Expand("%USER", "u"), "%USER");
}
