#include <gtest/gtest.h>

#include "browsers/PrefsText.h"

namespace {
const std::string kType1 = "user_pref(\"network.proxy.type\", 1);";
const std::string kType4 = "user_pref(\"network.proxy.type\", 4);";
const std::string kHost = "user_pref(\"network.proxy.http\", \"192.0.2.1\");";
const std::string kPort = "user_pref(\"network.proxy.http_port\", 8080);";
const std::string kOther = "user_pref(\"browser.startup.page\", 3);";
const std::string kSslPort = "user_pref(\"network.proxy.ssl_port\", 443);";
}  // namespace

TEST(PrefsText, LineClassesAndValues) {
    EXPECT_TRUE(prefs::IsHostLine(kHost));
    EXPECT_FALSE(prefs::IsHostLine(kPort));  // http_port does not follow with a quote
    EXPECT_TRUE(prefs::IsPortLine(kPort));
    EXPECT_FALSE(prefs::IsPortLine(kSslPort));
    // Told apart by the preference's name, never by a text elsewhere in the line.
    const std::string decoy = "user_pref(\"network.proxy.http\", \"network.proxy.type1)\");";
    EXPECT_TRUE(prefs::IsHostLine(decoy));
    EXPECT_FALSE(prefs::IsProxyTypeLine(decoy));
    EXPECT_FALSE(prefs::IsManualProxyLine(decoy));
    EXPECT_FALSE(prefs::IsPortLine("user_pref(\"x\", \"http_port\");"));
    EXPECT_FALSE(prefs::IsHostLine("user_pref(\"x\", \"network.proxy.http\");"));
    EXPECT_TRUE(prefs::IsManualProxyLine(kType1));
    EXPECT_FALSE(prefs::IsManualProxyLine(kType4));
    EXPECT_FALSE(prefs::IsManualProxyLine("user_pref(\"network.proxy.type\", 1"));
    EXPECT_FALSE(prefs::IsManualProxyLine(")network.proxy.type"));
    // The first ")" of the line counts, for the type as for the values.
    EXPECT_TRUE(prefs::IsManualProxyLine(kType1 + " // was 4)"));
    EXPECT_FALSE(prefs::IsManualProxyLine(kType4 + " // was 1)"));
    EXPECT_EQ(prefs::HostValue(kHost + " // (old)"), "192.0.2.1");
    EXPECT_EQ(prefs::PortValue(kPort + " // (old)"), "8080");
    EXPECT_EQ(prefs::HostValue(kHost), "192.0.2.1");
    EXPECT_EQ(prefs::PortValue(kPort), "8080");
    EXPECT_EQ(prefs::HostValue("user_pref(\"network.proxy.http\", \"\");"), "");
    // Lines without the "," or ")" the extraction needs, or with them reversed.
    EXPECT_EQ(prefs::HostValue("user_pref(\"network.proxy.http\" \"h\");"), std::nullopt);
    EXPECT_EQ(prefs::HostValue("user_pref(\"network.proxy.http\", \"h\""), std::nullopt);
    EXPECT_EQ(prefs::HostValue(")network.proxy.http\","), std::nullopt);
    EXPECT_EQ(prefs::PortValue("user_pref(\"network.proxy.http_port\",)"), std::nullopt);
    EXPECT_EQ(prefs::HostLine("192.0.2.5"), "user_pref(\"network.proxy.http\", \"192.0.2.5\");");
    EXPECT_EQ(prefs::PortLine("80"), "user_pref(\"network.proxy.http_port\", 80);");
}

TEST(PrefsText, EnabledWhenAnyProxyTypeLineSaysOne) {
    EXPECT_EQ(prefs::ReadEnabled(kType1 + "\n"), 1);
    EXPECT_EQ(prefs::ReadEnabled(kType4 + "\r\n" + kOther + "\r\n"), 0);
    EXPECT_EQ(prefs::ReadEnabled(kType4 + "\n" + kOther + "\n" + kType1 + "\n"), 1);
    EXPECT_EQ(prefs::ReadEnabled(kOther + "\n" + kType1), 1);  // no final line end
    EXPECT_EQ(prefs::ReadEnabled(""), 0);
}

TEST(PrefsText, ServerFromHostAndPortLines) {
    struct Case {
        std::string text;
        std::string server;
    } cases[] = {
        {kOther + "\r\n" + kHost + "\r\n" + kPort + "\r\n", "192.0.2.1:8080"},
        {kHost + "\n", "192.0.2.1:"},
        {kPort + "\n" + kHost + "\n", "8080"},
        {kOther + "\n" + kSslPort + "\n", ""},
        {"", ""},
        // A malformed host line is skipped, not half-read.
        {"user_pref(\"network.proxy.http\" \"bad\"\n" + kHost + "\n" + kPort, "192.0.2.1:8080"},
    };
    for (const Case& c : cases) EXPECT_EQ(prefs::ReadServer(c.text), c.server) << c.text;
}

TEST(PrefsText, ProxyTypeRewriteKeepsOtherLinesAndLineEnds) {
    // Off: every proxy-type line goes, the rest stays in order with its own end.
    EXPECT_EQ(prefs::RewriteProxyType(
                  kOther + "\r\n" + kType4 + "\n" + kHost + "\r\n" + kType1 + "\r\n" + kPort, 0),
              kOther + "\r\n" + kHost + "\r\n" + kPort);
    // On: the line is appended with the file's own line end.
    EXPECT_EQ(prefs::RewriteProxyType(kOther + "\n" + kType4 + "\n", 1),
              kOther + "\n" + kType4 + "\n" + kType1 + "\n");
    EXPECT_EQ(prefs::RewriteProxyType(kOther + "\r\n" + kHost, 1),
              kOther + "\r\n" + kHost + "\r\n" + kType1 + "\r\n");
    EXPECT_EQ(prefs::RewriteProxyType("", 1), kType1 + "\r\n");
}

TEST(PrefsText, ServerRewriteInPlaceOrAppended) {
    EXPECT_EQ(prefs::RewriteServer(kHost + "\n" + kOther + "\n" + kPort + "\n", "192.0.2.5:80"),
              prefs::HostLine("192.0.2.5") + "\n" + kOther + "\n" + prefs::PortLine("80") + "\n");
    EXPECT_EQ(prefs::RewriteServer(kOther + "\r\n", "192.0.2.5:80"),
              kOther + "\r\n" + prefs::HostLine("192.0.2.5") + "\r\n" + prefs::PortLine("80") + "\r\n");
    // Only the port line present: it is replaced, the host line appended.
    EXPECT_EQ(prefs::RewriteServer(kPort + "\n" + kOther, "h:1"),
              prefs::PortLine("1") + "\n" + kOther + "\n" + prefs::HostLine("h") + "\n");
    EXPECT_EQ(prefs::ReadServer(*prefs::RewriteServer(kOther + "\n", "192.0.2.5:80")), "192.0.2.5:80");
}

TEST(PrefsText, ServerRewriteRefusesAddressesThatWouldBreakTheFile) {
    for (const char* address : {"192.0.2.5", "", "192.0.2.5:", "192.0.2.5:8o", "192.0.2.5:123456", "a\"b:80",
                                "a\\b:80", "a\nb:80", "192.0.2.5:80\r", "a\x7F:80",
                                // Only the characters of a host name or a dotted address.
                                "network.proxy.type1):80", "a b:80", "a/b:80", "a;b:80", "\xC3\xA9:80"}) {
        EXPECT_EQ(prefs::RewriteServer(kHost + "\n", address), std::nullopt) << address;
    }
    EXPECT_NE(prefs::RewriteServer(kHost + "\n", ":80"), std::nullopt);
}

TEST(PrefsText, LongLinesAreHandledWhole) {
    const std::string longPlain = std::string("user_pref(\"x\", \"") + std::string(5000, 'p') + "\");";
    // A long line holding the key far beyond 254 characters goes as one line.
    const std::string longType =
        "user_pref(" + std::string(600, ' ') + "\"network.proxy.type\", 1);" + std::string(4400, 'r');
    const std::string text = longPlain + "\r\n" + longType + "\r\n" + kOther + "\r\n";
    // The key and its value lie in different 254-character pieces of that line.
    EXPECT_EQ(prefs::ReadEnabled(text), 1);
    EXPECT_EQ(prefs::RewriteProxyType(text, 0), longPlain + "\r\n" + kOther + "\r\n");
    EXPECT_EQ(prefs::RewriteServer(text, "h:1"),
              text + prefs::HostLine("h") + "\r\n" + prefs::PortLine("1") + "\r\n");
}

// Found by fuzzing: in a file with LF ends, a last line that ends in a CR but
// has no LF lost that CR when a line was appended after it.
TEST(PrefsText, UnterminatedLastLineKeepsItsCarriageReturn) {
    const std::string text = kOther + "\n" + "user_pref(\"x\", 2);\r";
    EXPECT_EQ(prefs::RewriteProxyType(text, 1), text + "\r\n" + kType1 + "\n");
    EXPECT_EQ(prefs::RewriteServer(text, "h:1"),
              text + "\r\n" + prefs::HostLine("h") + "\n" + prefs::PortLine("1") + "\n");
}
