#include <gtest/gtest.h>

#include "browsers/ProxyServerText.h"

TEST(ProxyServerText, SplitKeepsEverythingAroundTheHttpEntry) {
    struct Case {
        const char* value;
        const char* prefix;
        const char* address;
        const char* suffix;
    } cases[] = {
        {"192.0.2.7:80", "", "192.0.2.7:80", ""},
        {"http=192.0.2.2:80", "http=", "192.0.2.2:80", ""},
        {"ftp=192.0.2.1:21;http=192.0.2.2:80;https=192.0.2.3:443", "ftp=192.0.2.1:21;http=", "192.0.2.2:80",
         ";https=192.0.2.3:443"},
        {"ftp=192.0.2.1:21;http=192.0.2.2:80", "ftp=192.0.2.1:21;http=", "192.0.2.2:80", ""},
        {"http=192.0.2.2:80;ftp=192.0.2.1:21", "http=", "192.0.2.2:80", ";ftp=192.0.2.1:21"},
        // "https=" is not "http=": the whole value is one address.
        {"https=192.0.2.3:443", "", "https=192.0.2.3:443", ""},
        {"https=192.0.2.3:443;http=192.0.2.2:80", "https=192.0.2.3:443;http=", "192.0.2.2:80", ""},
        // "http=" inside another entry's protocol is not the HTTP entry.
        {"shttp=192.0.2.1:80;http=192.0.2.9:1", "shttp=192.0.2.1:80;http=", "192.0.2.9:1", ""},
        {"shttp=192.0.2.1:80", "", "shttp=192.0.2.1:80", ""},
        {"http=", "http=", "", ""},
        {"http=;ftp=x:1", "http=", "", ";ftp=x:1"},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        ProxyServerParts parts = SplitProxyServer(c.value);
        EXPECT_EQ(parts.prefix, c.prefix) << c.value;
        EXPECT_EQ(parts.address, c.address) << c.value;
        EXPECT_EQ(parts.suffix, c.suffix) << c.value;
        EXPECT_EQ(JoinProxyServer(parts), c.value);
    }
}

TEST(ProxyServerText, CutKeepsWholeCharactersWithinNinetyNineBytes) {
    const std::string x97(97, 'x'), x98(98, 'x'), x96(96, 'x');
    struct Case {
        std::string text;
        std::string cut;
    } cases[] = {
        {x98 + "h", x98 + "h"},                 // 99 bytes: kept
        {x98 + "hh", x98 + "h"},                // 100 bytes: the last one goes
        {x97 + "\xC3\xA9", x97 + "\xC3\xA9"},   // é ends on byte 99
        {x98 + "\xC3\xA9", x98},                // é would straddle byte 99
        {x97 + "\xE3\x81\x82", x97},            // あ: bytes 98 to 100
        {x98 + "\xE3\x81\x82", x98},            // あ: bytes 99 to 101
        {x96 + "\xF0\x9F\x98\x80" + "z", x96},  // a four-byte character from byte 97
        {x96 + "\xE3\x81\x82" + "zz", x96 + "\xE3\x81\x82"},
        {std::string(120, '\x80'), std::string(96, '\x80')},  // not UTF-8: three steps back at most
    };
    for (const Case& c : cases) EXPECT_EQ(CutProxyText(c.text), c.cut) << c.text.size();
}
