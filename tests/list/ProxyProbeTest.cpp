// Which entries can be checked, the request sent through each proxy, how an
// answer's first bytes are judged, and how results read.
#include <gtest/gtest.h>

#include <string>

#include "list/ProxyProbe.h"

namespace probe {
namespace {

TEST(SplitProxyEntry, TakesHostColonPortAndNothingElse) {
    struct Row {
        const char* entry;
        bool checkable;
        const char* host;
        uint16_t port;
        uint32_t dotted;     // 0: a name to look up
        bool local = false;  // dotted, and where no proxy of a list from the internet can be
    };
    const Row rows[] = {
        {"192.0.2.10:8080", true, "192.0.2.10", 8080, 0xC000020A},
        {"127.0.0.1:1", true, "127.0.0.1", 1, 0x7F000001, true},
        {"proxy-7.example.org:65535", true, "proxy-7.example.org", 65535, 0},
        {"localhost:3128", true, "localhost", 3128, 0},
        {"1", false, "", 0, 0},  // what the widest list option can pick up
        {"", false, "", 0, 0},
        {":80", false, "", 0, 0},
        {"192.0.2.1:", false, "", 0, 0},
        {"192.0.2.1:0", false, "", 0, 0},
        {"192.0.2.1:65536", false, "", 0, 0},
        {"192.0.2.1:080a", false, "", 0, 0},
        {"192.0.2.1:+80", false, "", 0, 0},
        {"192.0.2.1:8080:1", false, "", 0, 0},
        {"[2001:db8::1]:80", false, "", 0, 0},
        {"300.1.1.1:80", false, "", 0, 0},
        {"1.2.3.256:80", false, "", 0, 0},
        {"255.1.2.255:80", true, "255.1.2.255", 80, 0xFF0102FF},
        {"0.1.2.3:80", true, "0.1.2.3", 80, 0x00010203, true},
        {"10.255.0.1:80", true, "10.255.0.1", 80, 0x0AFF0001, true},
        {"169.254.9.9:80", true, "169.254.9.9", 80, 0xA9FE0909, true},
        {"172.16.0.1:80", true, "172.16.0.1", 80, 0xAC100001, true},
        {"172.31.255.255:80", true, "172.31.255.255", 80, 0xAC1FFFFF, true},
        {"172.32.0.1:80", true, "172.32.0.1", 80, 0xAC200001},
        {"172.15.255.255:80", true, "172.15.255.255", 80, 0xAC0FFFFF},
        {"192.168.1.1:80", true, "192.168.1.1", 80, 0xC0A80101, true},
        {"224.0.0.1:80", true, "224.0.0.1", 80, 0xE0000001, true},
        {"223.255.255.255:80", true, "223.255.255.255", 80, 0xDFFFFFFF},
        {"255.255.255.255:80", true, "255.255.255.255", 80, 0xFFFFFFFF, true},
        {"1.2.3:80", false, "", 0, 0},
        {"1.2.3.4.5:80", false, "", 0, 0},
        {"host name:80", false, "", 0, 0},
        {" 192.0.2.1:80", false, "", 0, 0},
        {"-bad.example:80", false, "", 0, 0},
        {"a..b:80", false, "", 0, 0},
        {"<b>192.0.2.1</b>:80", false, "", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.entry);
        std::optional<ProxyAddress> a = SplitProxyEntry(row.entry);
        ASSERT_EQ(a.has_value(), row.checkable);
        if (!a) continue;
        EXPECT_EQ(a->host, row.host);
        EXPECT_EQ(a->port, row.port);
        EXPECT_EQ(a->dotted.value_or(0), row.dotted);
        EXPECT_EQ(a->dotted.has_value(), row.dotted != 0);
        if (!a->dotted) continue;
        EXPECT_EQ(IsLocalAddress(*a->dotted), row.local);
        // A list from the internet gets no connection there, a local one does.
        EXPECT_EQ(MayConnect(*a->dotted, ListSource::Internet, 0), !row.local);
        EXPECT_TRUE(MayConnect(*a->dotted, ListSource::Local, 0));
    }
    // One address gets at most four connections of a check of a list from the
    // internet, whatever number of entries name it.
    EXPECT_TRUE(MayConnect(0xC000020A, ListSource::Internet, 3));
    EXPECT_FALSE(MayConnect(0xC000020A, ListSource::Internet, 4));
    EXPECT_TRUE(MayConnect(0x7F000001, ListSource::Local, 400));
}

TEST(JudgeAnswer, WantsAWholeStatusLineAndGivesUpEarly) {
    struct Row {
        std::string bytes;
        Answer verdict;
    };
    const Row rows[] = {
        {"HTTP/1.0 200 OK\r\n", Answer::StatusLine},
        {"HTTP/1.1 407 Proxy Authentication Required\n", Answer::StatusLine},
        {"HTTP/1.0 503\r\n", Answer::StatusLine},
        {"HTTP/1.0  200 OK\r\nServer: x\r\n\r\n", Answer::StatusLine},
        {"", Answer::Pending},
        {"HTT", Answer::Pending},
        {"HTTP/1.0 200 OK", Answer::Pending},
        {"HTTP/1.0 200 OK\r", Answer::Pending},
        {"HTTP/1.0 20", Answer::Pending},
        {"<html>", Answer::NotHttp},
        {"http/1.0 200 OK\r\n", Answer::NotHttp},
        {"HTTP/1.0 2x0 OK\r\n", Answer::NotHttp},
        {"HTTP/1.0 2000 OK\r\n", Answer::NotHttp},
        {"HTTP/1.0\r\n", Answer::NotHttp},
        {"HTTP/x.0 200 OK\r\n", Answer::NotHttp},
        {"HTTP/1.0 200\rX", Answer::NotHttp},
        {std::string("\0\x89PNG", 5), Answer::NotHttp},
        // A line that does not end within the cap never will, as far as the check goes.
        {"HTTP/1.0 200 " + std::string(4096 - 13, 'x'), Answer::NotHttp},
        {"HTTP/1.0 200 " + std::string(4096 - 14, 'x'), Answer::Pending},
        {"HTTP/1.0 200 " + std::string(4096 - 14, 'x') + "\n", Answer::StatusLine},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.bytes.substr(0, 40));
        EXPECT_EQ(JudgeAnswer(row.bytes), row.verdict);
    }
}

TEST(ProbeRequest, IsAHeadOfTheTesterThroughTheProxy) {
    const std::string common =
        "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
        "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n"
        "Content-type: application/x-www-form-urlencoded\r\n\r\n";
    EXPECT_EQ(
        ProbeRequest("taruo.net/e/?"),
        "HEAD http://taruo.net/e/? HTTP/1.0\r\nProxy-Connection: Keep-Alive\r\nHost: taruo.net\r\n" + common);
    EXPECT_EQ(ProbeRequest("tester.example:8000"),
              "HEAD http://tester.example:8000/ HTTP/1.0\r\nProxy-Connection: Keep-Alive\r\n"
              "Host: tester.example\r\n" +
                  common);
    // Stored with its own scheme: no address a request could name.
    EXPECT_ANY_THROW(ProbeRequest("http://tester.example/"));
}

TEST(CheckBound, IsTheFetchTimeOutUpToTenSeconds) {
    EXPECT_EQ(CheckBoundMs(1), 1000u);
    EXPECT_EQ(CheckBoundMs(7), 7000u);
    EXPECT_EQ(CheckBoundMs(10), 10000u);
    EXPECT_EQ(CheckBoundMs(30), 10000u);
    EXPECT_EQ(CheckBoundMs(0), 10000u);
    EXPECT_EQ(CheckBoundMs(-5), 10000u);
}

TEST(Describe, ShowsTimeOrFailureDimmed) {
    EXPECT_EQ(Describe(Outcome::Answered, 123).text, "123 ms");
    EXPECT_FALSE(Describe(Outcome::Answered, 123).dim);
    EXPECT_EQ(Describe(Outcome::NoAnswer, 10000).text, "no answer");
    EXPECT_EQ(Describe(Outcome::Refused, 1).text, "refused");
    EXPECT_EQ(Describe(Outcome::NotCheckable, 0).text, "not checkable");
    EXPECT_TRUE(Describe(Outcome::NoAnswer, 0).dim && Describe(Outcome::Refused, 0).dim &&
                Describe(Outcome::NotCheckable, 0).dim);
    EXPECT_EQ(Describe(Outcome::Unchecked, 0).text, "");
    EXPECT_EQ(Describe(Outcome::Checking, 5).text, "");
}

}  // namespace
}  // namespace probe
