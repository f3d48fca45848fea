// The pure text pieces of the HTTP client: field splitting, address
// splitting, Base64, the header list, status and header line parsing, and
// the Winsock error texts.
#include <gtest/gtest.h>

#include "net/Base64.h"
#include "net/ErrorText.h"
#include "net/HttpText.h"
#include "net/RequestHeader.h"
#include "net/SockErrors.h"
#include "net/Url.h"

namespace net {
namespace {

TEST(FieldOf, CountsFieldsBetweenDelimiters) {
    struct Case {
        const char* text;
        char delimiter;
        int n;
        const char* want;
    } cases[] = {
        {"a:b:c", ':', 1, "a"},
        {"a:b:c", ':', 2, "b"},
        {"a:b:c", ':', 3, "c"},
        {"a:b:c", ':', 4, ""},
        {"abc", ':', 1, "abc"},
        {"abc", ':', 2, ""},
        {"http://host/p", '/', 3, "host"},
        {"a::", ':', 3, ""},
        {":x", ':', 1, ""},
        {"a:b", ':', 0, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FieldOf(c.text, c.delimiter, c.n), c.want) << c.text << " #" << c.n;
}

TEST(NthPos, IsOneBasedAndPastTheEndWhenMissing) {
    EXPECT_EQ(NthPos("http://h/p", '/', 1), 6u);
    EXPECT_EQ(NthPos("http://h/p", '/', 3), 9u);
    EXPECT_EQ(NthPos("http://h", '/', 3), 9u);  // length + 1
    EXPECT_EQ(NthPos("", '/', 1), 1u);
}

TEST(StrToInt, AcceptsOnlyAWholeDecimalInteger) {
    EXPECT_EQ(StrToInt("8080"), 8080);
    EXPECT_EQ(StrToInt("-5"), -5);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    // 2^64 + 5: twenty digits that a reader without a bound wraps around to 5.
    for (const char* bad : {"", "8a", " 80", "80 ", "2147483648", "+", "0x10", "18446744073709551621",
                            "-18446744073709551621", "99999999999999999999999"}) {
        EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
    }
    try {
        StrToInt("abc");
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
}

struct UrlCase {
    const char* url;
    const char* curHost;
    int curPort;
    const char* host;
    int port;
    const char* path;
    const char* newUrl;
};

TEST(SplitUrl, FollowsTheAddressRules) {
    const UrlCase cases[] = {
        {"http://example.com/a/b?q=1", "", 0, "example.com", 80, "/a/b?q=1", "http://example.com/a/b?q=1"},
        {"http://example.com:8080/x", "", 0, "example.com", 8080, "/x", "http://example.com:8080/x"},
        {"http://example.com", "", 0, "example.com", 80, "/", "http://example.com/"},
        {"http://example.com/", "", 0, "example.com", 80, "/", "http://example.com/"},
        // No host part: the previous host stays, and without scheme or port so does the port.
        {"/only/path", "prev", 1234, "prev", 1234, "/only/path", "/only/path"},
        {"/only/path", "prev", 0, "prev", 80, "/only/path", "/only/path"},
        {"gopher://g/x", "", 0, "g", 70, "/x", "gopher://g/x"},
        {"FTP://f/x", "", 8, "f", 21, "/x", "FTP://f/x"},
        {"news://n/x", "", 8, "n", 80, "/x", "news://n/x"},
        // Without "//" the text before the first "/" is the host, and a
        // colon there is still read as a scheme first, then as a port.
        {"example.com:81/x", "", 0, "example.com", 81, "/x", "example.com:81/x"},
        {"example.com", "prev", 0, "example.com", 80, "/", "example.com/"},
    };
    for (const auto& c : cases) {
        UrlParts p = SplitUrl(c.url, c.curHost, c.curPort);
        EXPECT_EQ(p.host, c.host) << c.url;
        EXPECT_EQ(p.port, c.port) << c.url;
        EXPECT_EQ(p.path, c.path) << c.url;
        EXPECT_EQ(p.url, c.newUrl) << c.url;
    }
}

TEST(SplitUrl, CutsThePathAt256Characters) {
    std::string path = "/" + std::string(300, 'a');
    EXPECT_EQ(SplitUrl("http://h" + path, "", 0).path, "/" + std::string(255, 'a'));
    EXPECT_EQ(SplitUrl("h" + path, "", 0).path, "/" + std::string(255, 'a'));
}

TEST(SplitUrl, RefusesEmptySecureAndBadPorts) {
    auto message = [](const std::string& url) {
        try {
            SplitUrl(url, "", 0);
        } catch (const EConvertError&) {
            return std::string("convert");
        } catch (const Exception& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message(""), "Empty URL");
    EXPECT_EQ(message("https://secure.example/"), "HTTP Secure Socket is not supported");
    EXPECT_EQ(message("HTTPS://secure.example/"), "HTTP Secure Socket is not supported");
    EXPECT_EQ(message("http://h:abc/"), "convert");
    EXPECT_EQ(message("http://h:/"), "convert");
    EXPECT_EQ(message("http://h:80x/"), "convert");
}

TEST(Base64, EncodesTheStandardAlphabetWithPadding) {
    EXPECT_EQ(EncodeBase64(""), "");
    EXPECT_EQ(EncodeBase64("f"), "Zg==");
    EXPECT_EQ(EncodeBase64("fo"), "Zm8=");
    EXPECT_EQ(EncodeBase64("foo"), "Zm9v");
    EXPECT_EQ(EncodeBase64("Aladdin:open sesame"), "QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
    EXPECT_EQ(EncodeBase64("\xff\xfe\x80"), "//6A");
}

TEST(Base64, BreaksLinesEvery45BytesButTheValueIsOneLine) {
    std::string input(46, 'x');
    std::string lines = EncodeBase64Lines(input);
    EXPECT_EQ(lines,
              std::string("eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4") + "\r\neA==\r\n");
    EXPECT_EQ(EncodeBase64(input), "eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eA==");
    EXPECT_EQ(EncodeBase64Lines(std::string(45, 'x')).find("\r\n"), 60u);
}

TEST(TExStringList, FindsAndSetsHeadersByNameWithoutCase) {
    TExStringList list;
    list.Add("GET / HTTP/1.0");
    list.Add("Hostname: a");
    list.Add("host: b");
    EXPECT_EQ(list.FindHeader("HOST"), 2);
    EXPECT_EQ(list.FindHeader("GET / HTTP/1.0"), -1);  // no colon: never a header
    EXPECT_EQ(list.FindHeader("Cookie"), -1);

    list.SetHeader("Host", "c");  // replaces in place, with the new name's spelling
    EXPECT_EQ(list[2], "Host: c");
    list.SetHeader("Cookie", "x=1");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list[3], "Cookie: x=1");
    list.SetHeader("cookie", "");
    EXPECT_EQ(list.Count(), 3);
    list.SetHeader("Absent", "");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Text(), "GET / HTTP/1.0\r\nHostname: a\r\nHost: c\r\n");
}

TEST(BuildRequestLines, PutsEveryLineInItsPlace) {
    THeaderInfo info{"me@example.org", "Prog/1", "k=v", "http://ref/", "u", "p"};
    TExStringList lines;
    lines.Add("left over");
    BuildRequestLines({"GET", "/x", "host"}, info, lines);
    EXPECT_EQ(lines.Text(),
              "GET /x HTTP/1.0\r\n"
              "Host: host\r\n"
              "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
              "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n"
              "User-Agent: Prog/1\r\n"
              "From: me@example.org\r\n"
              "Cookie: k=v\r\n"
              "Referer: http://ref/\r\n"
              "Authorization: Basic dTpw\r\n"
              "Content-type: application/x-www-form-urlencoded\r\n");
}

TEST(BuildRequestLines, ThroughAProxyTheRequestLineNamesTheWholeAddress) {
    TExStringList lines;
    BuildRequestLines({"HEAD", "/e/?", "tester.example", true, true, "http://tester.example:81/e/?"},
                      THeaderInfo{}, lines);
    EXPECT_EQ(lines.Text(),
              "HEAD http://tester.example:81/e/? HTTP/1.0\r\n"
              "Proxy-Connection: Keep-Alive\r\n"
              "Host: tester.example\r\n"
              "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
              "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n"
              "Content-type: application/x-www-form-urlencoded\r\n");
}

TEST(BuildRequestLines, LeavesOutCredentialsAndCookieWhenAskedOrIncomplete) {
    TExStringList lines;
    THeaderInfo userOnly;
    userOnly.UserId = "u";
    BuildRequestLines({"GET", "/", "h"}, userOnly, lines);
    EXPECT_EQ(lines.FindHeader("Authorization"), -1);

    THeaderInfo full;
    full.UserId = "u";
    full.Password = "p";
    full.Cookie = "c=1";
    BuildRequestLines({"GET", "/", "h", false, false}, full, lines);
    EXPECT_EQ(lines.FindHeader("Authorization"), -1);
    EXPECT_EQ(lines.FindHeader("Cookie"), -1);
}

TEST(StatusCodeOf, ReadsTheSecondField) {
    EXPECT_EQ(StatusCodeOf("HTTP/1.0 200 OK\r\n"), 200);
    EXPECT_EQ(StatusCodeOf("HTTP/1.1 404 Not Found\n"), 404);
    EXPECT_EQ(StatusCodeOf("HTTP/1.0 302\r\n"), 302);
    EXPECT_EQ(StatusCodeOf("HTTP/1.0  200 OK\r\n"), 0);  // two blanks: the field is empty
    EXPECT_EQ(StatusCodeOf("<html>hello</html>\n"), 0);
    EXPECT_EQ(StatusCodeOf("HTTP/1.0 99999 Big\r\n"), 0);
    EXPECT_EQ(StatusCodeOf("HTTP/1.0 18446744073709551816 OK\r\n"), 0);  // 2^64 + 200
    EXPECT_EQ(StatusCodeOf("HTTP/1.0 -32768 Low\r\n"), -32768);
    EXPECT_EQ(StatusCodeOf("HTTP/1.0 -32769 Low\r\n"), 0);
    EXPECT_EQ(StatusCodeOf(""), 0);
}

TEST(ClassifyHeaderLine, PicksCookieLocationAndLength) {
    using K = HeaderLineInfo;
    struct Case {
        std::string line;
        HeaderLineInfo::Kind kind;
        std::string value;
        int32_t length;
    } cases[] = {
        {"Set-Cookie: id=7; path=/; expires=never\r\n", K::SetCookie, "id=7; path=/; expires=never", 0},
        {"Set-Cookie: \r\n", K::SetCookie, "", 0},
        // A control byte would end up in the next request's Cookie line: dropped.
        {"Set-Cookie: id=7\rGET /x\r\n", K::Other, "", 0},
        {std::string("Set-Cookie: a\0b\r\n", 17), K::Other, "", 0},
        {"location: http://h/next\n", K::Location, "http://h/next", 0},
        {"Content-Length: 1234\r\n", K::ContentLength, "", 1234},
        {"Content-Length: \t42\r\n", K::ContentLength, "", 42},
        {"Content-Length: none\r\n", K::ContentLength, "", 0},
        {"Content-Length: 99999999999\r\n", K::ContentLength, "", 0},
        {"Content-Length:\t42\r\n", K::Other, "", 0},  // the label ends at a blank only
        {"X-Location: y\r\n", K::Other, "", 0},
        {"Location:glued\r\n", K::Other, "", 0},
        // A byte below 0x21 would end up in the next request line.
        {"Location: http://h/a\rGET /x\r\n", K::BadLocation, "http://h/a\rGET /x", 0},
        {std::string("Location: /a\0b\r\n", 16), K::BadLocation, std::string("/a\0b", 4), 0},
        {"Location: /a b\n", K::BadLocation, "/a b", 0},
        {"Location: /a~\x80\r\n", K::Location, "/a~\x80", 0},
    };
    for (const auto& c : cases) {
        HeaderLineInfo info = ClassifyHeaderLine(c.line);
        EXPECT_EQ(info.kind, c.kind) << c.line;
        EXPECT_EQ(info.value, c.value) << c.line;
        EXPECT_EQ(info.contentLength, c.length) << c.line;
    }
    EXPECT_EQ(ClassifyHeaderLine("Location: " + std::string(400, 'a') + "\r\n").value.size(), 256u);
}

TEST(IsHeaderEnd, AcceptsTheThreeEmptyLines) {
    EXPECT_TRUE(IsHeaderEnd(""));
    EXPECT_TRUE(IsHeaderEnd("\n"));
    EXPECT_TRUE(IsHeaderEnd("\r\n"));
    EXPECT_FALSE(IsHeaderEnd("\r"));
    EXPECT_FALSE(IsHeaderEnd(" \r\n"));
}

TEST(HeaderOverLimit, AllowsAHundredLinesAnd64KiB) {
    EXPECT_EQ(HeaderOverLimit(100, 65536), "");
    EXPECT_EQ(HeaderOverLimit(101, 2000), "More than 100 header lines");
    EXPECT_EQ(HeaderOverLimit(3, 65537), "Header longer than 64 KiB");
}

TEST(ErrorText, NamesKnownCodesAndNumbersOthers) {
    EXPECT_EQ(ErrorText(0), "");
    EXPECT_EQ(ErrorText(10061), "10061:Connection refused");
    EXPECT_EQ(ErrorText(10004), "10004:Interrupted system call");
    EXPECT_EQ(ErrorText(11004), "11004:Valid name, no data record of requested type");
    EXPECT_EQ(ErrorText(12345), "Unknown Error No. 12345");
    auto table = ErrorTextTable();
    ASSERT_EQ(table.size(), 51u);
    EXPECT_EQ(table.back().code, 0);
    for (const auto& row : table) EXPECT_LE(std::string(row.text).size(), 51u);
}

}  // namespace
}  // namespace net
