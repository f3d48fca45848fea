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
