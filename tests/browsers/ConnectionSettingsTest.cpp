#include <gtest/gtest.h>

#include "browsers/ConnectionSettings.h"

namespace {

// Bytes written as hex pairs; blanks only for reading.
std::string Hex(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p == ' ') continue;
        out += static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16));
        ++p;
    }
    return out;
}

const std::string kZeros32(32, '\0');
// What an unreadable value becomes when the plain values say direct and hold nothing.
const std::string kNewDirect = Hex("46000000 01000000 09000000 00000000 00000000 00000000") + kZeros32;

}  // namespace

TEST(ConnectionSettings, FollowsThePlainValuesAndKeepsTheRest) {
    const std::string mib(1 << 20, 'p');
    struct Case {
        const char* what;
        std::optional<std::string> stored;
        PlainProxyValues plain;
        std::string after;
    } cases[] = {
        {"missing: a new value",
         std::nullopt,
         {true, "127.0.0.1:3128", "<local>", ""},
         Hex("46000000 01000000 0B000000 0E000000") + "127.0.0.1:3128" + Hex("07000000") + "<local>" +
             Hex("00000000") + kZeros32},
        {"missing, direct, with a script",
         std::nullopt,
         {false, "a:1", "", "http://c/p.pac"},
         Hex("46000000 01000000 0D000000 03000000") + "a:1" + Hex("00000000 0E000000") + "http://c/p.pac" +
             kZeros32},
        {"every field kept but the proxy flag and server",
         Hex("46000000 07000000 0D000000 05000000") + "old:1" + Hex("07000000") + "*.local" +
             Hex("0A000000") + "http://c/p" + "\x01\x02tail",
         {true, "ftp=a:21;http=b:80", "ignored", "ignored"},
         Hex("46000000 08000000 0F000000 12000000") + "ftp=a:21;http=b:80" + Hex("07000000") + "*.local" +
             Hex("0A000000") + "http://c/p" + "\x01\x02tail"},
        {"direct clears flag 2 only",
         Hex("46000000 02000000 0B000000 03000000") + "b:8" + Hex("00000000 00000000"),
         {false, "b:8", "", ""},
         Hex("46000000 03000000 09000000 03000000") + "b:8" + Hex("00000000 00000000")},
        {"counter wraps",
         Hex("46000000 FFFFFFFF 01000000 00000000 00000000 00000000"),
         {true, "c:9", "", ""},
         Hex("46000000 00000000 03000000 03000000") + "c:9" + Hex("00000000 00000000")},
        {"older version kept",
         Hex("3C000000 05000000 01000000 00000000 00000000 00000000") + kZeros32,
         {true, "d:1", "", ""},
         Hex("3C000000 06000000 03000000 03000000") + "d:1" + Hex("00000000 00000000") + kZeros32},
        {"1 MiB proxy field",
         Hex("46000000 01000000 03000000 00001000") + mib + Hex("01000000") + "x" + Hex("00000000"),
         {true, "e:1", "", ""},
         Hex("46000000 02000000 03000000 03000000") + "e:1" + Hex("01000000") + "x" + Hex("00000000")},
        {"unreadable server keeps the field",
         Hex("46000000 01000000 01000000 03000000") + "f:1" + Hex("00000000 00000000"),
         {true, std::nullopt, "", ""},
         Hex("46000000 02000000 03000000 03000000") + "f:1" + Hex("00000000 00000000")},
        {"missing, direct: auto-detect on, as Windows makes it",
         std::nullopt,
         {false, "", "", ""},
         kNewDirect},
        {"5 bytes",
         Hex("46000000 01"),
         {false, "g:1", "", ""},
         Hex("46000000 01000000 09000000 03000000") + "g:1" + Hex("00000000 00000000") + kZeros32},
        // One to three bytes where the flags should be: no number to read.
        {"9 bytes", Hex("46000000 07000000 0B"), {false, "", "", ""}, kNewDirect},
        {"10 bytes", Hex("46000000 07000000 0B00"), {false, "", "", ""}, kNewDirect},
        {"11 bytes", Hex("46000000 07000000 0B0000"), {false, "", "", ""}, kNewDirect},
        {"proxy length FFFFFFFF",
         Hex("46000000 01000000 03000000 FFFFFFFF") + "h:1",
         {false, "", "", ""},
         kNewDirect},
        {"script length past the end",
         Hex("46000000 01000000 03000000 00000000 00000000 FFFFFFFF"),
         {false, "", "", ""},
         kNewDirect},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FollowPlainValues(c.stored, c.plain), c.after) << c.what;
        // Every readable value composes back to its own bytes.
        std::optional<ConnectionSettings> after = ParseConnectionSettings(c.after);
        ASSERT_TRUE(after) << c.what;
        EXPECT_EQ(ComposeConnectionSettings(*after), c.after) << c.what;
        std::optional<ConnectionSettings> before = ParseConnectionSettings(c.stored.value_or(""));
        if (before) {
            EXPECT_EQ(ComposeConnectionSettings(*before), *c.stored) << c.what;
        }
    }
}
