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

TEST(IniRules, WatchSeconds) {
    for (const char* off : {"0", "abc", "-5", "30s", "00000000000"})
        EXPECT_EQ(ini::WatchSeconds(off, 1), 0) << off;
    for (const char* low : {"1", "29"}) EXPECT_EQ(ini::WatchSeconds(low, 1), 30) << low;
    for (const char* high : {"3601", "99999999999"}) EXPECT_EQ(ini::WatchSeconds(high, 1), 3600) << high;
    EXPECT_EQ(ini::WatchSeconds("31", 1), 31);
    EXPECT_EQ(ini::WatchSeconds("0x3C", 1), 60);
    EXPECT_EQ(ini::WatchSeconds("3600", 1), 3600);
    // [CHECK] ENABLE=0 turns the watch off too; any other value leaves it on.
    EXPECT_EQ(ini::WatchSeconds("60", 0), 0);
    EXPECT_EQ(ini::WatchSeconds("60", 2), 60);
}

TEST(IniRules, TextForm) {
    using ini::TextForm;
    struct Case {
        const char* bytes;
        TextForm form;
    } cases[] = {
        {"\xFF\xFE[\0U\0", TextForm::Utf16},
        {"\xFE\xFF\0[\0U", TextForm::Utf16},
        {"\xEF\xBB\xBF[URL]\r\n", TextForm::Utf8Bom},
        {"[F]\r\nI=C:\\\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E caf\xC3\xA9\r\n", TextForm::Utf8},
        {"I=\xF0\x9F\x98\x80", TextForm::Utf8},              // beyond the BMP
        {"I=\xEF\xBF\xBF\xF4\x8F\xBF\xBF", TextForm::Utf8},  // U+FFFF, U+10FFFF
        {"[URL]\r\nA=b\r\n", TextForm::CodePage},            // ASCII
        {"", TextForm::CodePage},
        {"I=caf\xE9", TextForm::CodePage},                   // code page 1252
        {"I=\x93\xFA\x96\x7B\x8C\xEA", TextForm::CodePage},  // Shift-JIS
        {"I=\xC3", TextForm::CodePage},                      // cut short
        {"I=\xE6\x97", TextForm::CodePage},
        {"I=\xC0\xAF", TextForm::CodePage},  // overlong
        {"I=\xE0\x80\xAF", TextForm::CodePage},
        {"I=\xED\xA0\x80", TextForm::CodePage},      // a surrogate
        {"I=\xF4\x90\x80\x80", TextForm::CodePage},  // beyond U+10FFFF
        {"I=\xC3\xA9\xE9", TextForm::CodePage},      // UTF-8, then not
    };
    for (const Case& c : cases) EXPECT_EQ(ini::DetectTextForm(c.bytes), c.form) << c.bytes;
}
