#include <gtest/gtest.h>

#include "settings/IniRules.h"

TEST(IniRules, Numbers) {
    EXPECT_EQ(ini::ParseInteger("0x1E", 10), 30);
    EXPECT_EQ(ini::ParseInteger("abc", 10), 10);
}
