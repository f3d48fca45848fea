#include <gtest/gtest.h>

#include <cstdint>

#include "settings/IniRules.h"

TEST(IniRules, Numbers) {
    struct Case {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"0x1E", 30},        {"0X1e", 30}, {"300", 300}, {"-1", -1},         {"+7", 7},
        {"0xFFFFFFFF", -1},  {"abc", 10},  {"", 10},     {"0x", 10},         {"12a", 10},
        {"0x1G", 10},        {"-", 10},    {" 5", 10},   {"2147483648", 10}, {"-2147483648", INT32_MIN},
        {"0x100000000", 10},
    };
    for (const Case& c : cases) EXPECT_EQ(ini::ParseInteger(c.text, 10), c.expected) << c.text;
    // 19 digits and more: nothing wraps around past 64 bits, and leading
    // zeros are no digits of the value.
    const Case longer[] = {
        {"9223372036854775807", 10},
        {"18446744073709551617", 10},
        {"-18446744073709551615", 10},
        {"00000000000000000000042", 42},
        {"-0000000000000000002147483648", INT32_MIN},
        {"0x10000000000000001", 10},
        {"0x000000000000000000001F", 31},
    };
    for (const Case& c : longer) EXPECT_EQ(ini::ParseInteger(c.text, 10), c.expected) << c.text;
}
