// The HTTP client against servers that misbehave on purpose: huge header
// blocks, header lines trickling in without end, a body that never ends, a
// redirection to the same address, a reset in the middle of the body. Each
// fetch must end, raise what its callers catch, and leave no socket, event or
// window handle behind.
#include <windows.h>

#include <gtest/gtest.h>

#include "NetTestUtil.h"
#include "net/HttpClient.h"
#include "support/LoopbackServer.h"

namespace net {
namespace {

using nettest::ErrorOf;
using nettest::NowMs;
using qbtest::HttpResponse;
using qbtest::LoopbackServer;
using qbtest::Reply;

struct Counts {
    DWORD handles = 0, gdi = 0, user = 0;
    bool operator==(const Counts&) const = default;
};

Counts Now() {
    Counts c;
    GetProcessHandleCount(GetCurrentProcess(), &c.handles);
    c.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    c.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return c;
}

// Runs one fetch on a fresh client against a fresh server and returns the
// text of what it raised ("" when it succeeded). The counts are taken around
// the whole of it, after a first fetch has started Winsock and the hidden
// window class, which stay for the life of the process.
class FaultHttp : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        LoopbackServer warm({Reply().Send(HttpResponse("200 OK", {}, "warm"))});
        TNMHTTP http;
        http.Get(warm.Url("/"));
    }
    void SetUp() override { before_ = Now(); }
    void TearDown() override {
        Counts after = Now();
        EXPECT_EQ(after.handles, before_.handles) << "process handles";
        EXPECT_EQ(after.gdi, before_.gdi) << "GDI objects";
        EXPECT_EQ(after.user, before_.user) << "USER objects";
    }
    Counts before_;
};

std::string Fetch(TNMHTTP& http, const std::string& url) {
    try {
        http.Get(url);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

TEST_F(FaultHttp, HeaderIsBoundedToAHundredLinesAnd64KiB) {
    const std::string filler = "X-Filler: 0123456789";
    // Status line (17 bytes), this line and the empty line: 65,536 bytes, and one more.
    const std::string fits = "X-Big: " + std::string(65508, 'b');
    LoopbackServer server(
        {Reply().Send(HttpResponse("200 OK", std::vector(100, filler), "after the headers")),
         Reply().Send(HttpResponse("200 OK", std::vector(101, filler), "never read")),
         Reply().Send(HttpResponse("200 OK", {fits}, "after the big one")),
         Reply().Send(HttpResponse("200 OK", {fits + "b"}, "never read"))});
    TNMHTTP http;
    http.TimeOut = 20000;
    EXPECT_EQ(Fetch(http, server.Url("/")), "");
    EXPECT_EQ(http.Body, "after the headers");
    EXPECT_EQ(Fetch(http, server.Url("/")), "More than 100 header lines");
    EXPECT_EQ(Fetch(http, server.Url("/")), "");
    EXPECT_EQ(http.Header.size(), 65536u);
    EXPECT_EQ(http.Body, "after the big one");
    EXPECT_EQ(Fetch(http, server.Url("/")), "Header longer than 64 KiB");
    EXPECT_FALSE(http.IsConnected());
}

TEST_F(FaultHttp, HeaderLinesTricklingInEndAtTheTimeOutOfTheWholeHeader) {
    // A line every 100 ms: each well within the time-out, the 101st only after 10 s.
    std::string lines;
    for (int i = 0; i < 150; ++i) lines += "X-Drip: " + std::to_string(i % 10) + "\r\n";
    LoopbackServer server({Reply().Send("HTTP/1.0 200 OK\r\n").SendInPieces(lines, 11, 100)});
    TNMHTTP http;
    http.TimeOut = 700;
    EXPECT_EQ(Fetch(http, server.Url("/")), "Socket readln aborted");
    EXPECT_TRUE(http.IsTimedOut());
    EXPECT_FALSE(http.IsConnected());
}

TEST_F(FaultHttp, TenMebibyteHeaderLineIsRefused) {
    std::string line = "X-Huge: " + std::string(10 << 20, 'h');
    {
        LoopbackServer server({Reply().Send(HttpResponse("200 OK", {line}, "never read"))});
        TNMHTTP http;
        http.TimeOut = 20000;
        EXPECT_EQ(ErrorOf<ESockError>([&] { http.Get(server.Url("/")); }),
                  "Line longer than the receive buffer");
        EXPECT_FALSE(http.IsConnected());
    }
}

TEST_F(FaultHttp, EndlessBodyEndsAtTheTimeOut) {
    // 48 MiB sent in pieces: more than the client keeps, slower than its time-out.
    {
        LoopbackServer server(
            {Reply().Send("HTTP/1.0 200 OK\r\n\r\n").SendInPieces(std::string(48 << 20, 'e'), 16 << 10, 2)});
        TNMHTTP http;
        http.TimeOut = 1500;
        ULONGLONG start = NowMs();
        std::string error = Fetch(http, server.Url("/"));
        ULONGLONG took = NowMs() - start;
        EXPECT_TRUE(error == "Socket capture aborted" || error == "Received data exceed 32 MiB") << error;
        EXPECT_LE(took, 1500u + 5000u);  // only a hang goes past this
        EXPECT_LE(http.Body.size(), TPowersock::kCaptureLimit);
        EXPECT_FALSE(http.IsConnected());
    }
}

TEST_F(FaultHttp, RedirectionToTheSameAddressStopsAfterTheLimit) {
    {
        LoopbackServer server({Reply().Send(HttpResponse("302 Found", {"Location: /self"}, "moved"))});
        TNMHTTP http;
        EXPECT_EQ(ErrorOf<ESockError>([&] { http.Get(server.Url("/self")); }), "Too many redirections");
        EXPECT_EQ(server.Connections(), TNMHTTP::kMaxPasses);
    }
}

TEST_F(FaultHttp, ResetInTheMiddleOfTheBodyKeepsWhatArrived) {
    {
        LoopbackServer server({Reply().Send("HTTP/1.0 200 OK\r\n\r\nfirst half").Pause(100).Reset()});
        TNMHTTP http;
        http.TimeOut = 5000;
        std::string error = Fetch(http, server.Url("/"));
        // Whether the reset is an error or an end, the fetch ends at it, not
        // at the time-out, with the bytes that came, and the socket is closed.
        EXPECT_FALSE(http.IsTimedOut()) << error;
        EXPECT_EQ(http.Body, "first half");
        EXPECT_FALSE(http.IsConnected());
    }
}

}  // namespace
}  // namespace net
