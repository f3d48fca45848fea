// The HTTP client against an in-process loopback server: the request bytes,
// address handling, redirections, statuses, odd replies, time-outs and
// re-entry.
#include <gtest/gtest.h>

#include <algorithm>

#include "NetTestUtil.h"
#include "net/HttpClient.h"
#include "support/LoopbackServer.h"

namespace net {
namespace {

using nettest::ErrorOf;
using nettest::Later;
using nettest::NowMs;
using qbtest::HttpResponse;
using qbtest::LoopbackServer;
using qbtest::Reply;

const std::string kAccept =
    "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
    "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";
const std::string kContentType = "Content-type: application/x-www-form-urlencoded\r\n";

Reply Ok(const std::string& body, std::vector<std::string> headers = {}) {
    return Reply().Send(HttpResponse("200 OK", headers, body));
}

Reply Redirect(const std::string& location, std::vector<std::string> headers = {}) {
    headers.push_back("Location: " + location);
    return Reply().Send(HttpResponse("302 Found", headers, "moved"));
}

// The header lines of a request, from its second line up to its empty line.
bool HasLine(const std::string& request, const std::string& line) {
    return request.find("\r\n" + line + "\r\n") != std::string::npos;
}

struct Client : TNMHTTP {
    Client() { TimeOut = 5000; }
};

TEST(HttpRequestBytes, AreExactWithAndWithoutCredentials) {
    LoopbackServer server({Ok("a"), Ok("b"), Ok("c"), Ok("d")});
    Client http;
    http.Get(server.Url("/list/page.html"));
    http.HeaderInfo.UserId = "user";
    http.HeaderInfo.Password = "pass";
    http.Get(server.Url("/list/page.html"));
    // What the program sends when the provider gave no credentials.
    http.HeaderInfo.UserId = "0";
    http.HeaderInfo.Password = "0";
    http.Get(server.Url("/"));
    http.HeaderInfo.UserId = "a-rather-long-user-name-for-testing@example.org";
    http.HeaderInfo.Password = "and-an-even-longer-password-1234567890";
    http.Get(server.Url("/"));

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    const std::string start = "GET /list/page.html HTTP/1.0\r\nHost: 127.0.0.1\r\n" + kAccept;
    EXPECT_EQ(requests[0], start + kContentType + "\r\n");
    EXPECT_EQ(requests[1], start + "Authorization: Basic dXNlcjpwYXNz\r\n" + kContentType + "\r\n");
    EXPECT_TRUE(HasLine(requests[2], "Authorization: Basic MDow"));
    EXPECT_TRUE(HasLine(requests[3],
                        "Authorization: Basic "
                        "YS1yYXRoZXItbG9uZy11c2VyLW5hbWUtZm9yLXRlc3RpbmdAZXhhbXBsZS5vcmc6YW5kLW"
                        "FuLWV2ZW4tbG9uZ2VyLXBhc3N3b3JkLTEyMzQ1Njc4OTA="))
        << requests[3];
}

TEST(HttpRequestBytes, ThroughAProxyGoToItAndNameTheWholeAddress) {
    LoopbackServer proxy({Ok("a")});
    Client http;
    http.Proxy = "127.0.0.1";
    http.ProxyPort = proxy.Port();
    // Nothing listens on the host itself: the requests reach the proxy only.
    http.Get("http://127.0.0.2:8080/list/page.html");
    http.Get("127.0.0.2/x");  // no scheme: still the whole address, on the port kept
    auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0],
              "GET http://127.0.0.2:8080/list/page.html HTTP/1.0\r\nProxy-Connection: Keep-Alive\r\n"
              "Host: 127.0.0.2\r\n" +
                  kAccept + kContentType + "\r\n");
    EXPECT_EQ(requests[1].substr(0, requests[1].find('\n')), "GET http://127.0.0.2:8080/x HTTP/1.0\r");
}

TEST(HttpRequestBytes, NoAuthorizationWithAnEmptyPassword) {
    LoopbackServer server({Ok("a")});
    Client http;
    http.HeaderInfo.UserId = "user";
    http.Get(server.Url("/"));
    EXPECT_EQ(server.Requests().at(0).find("Authorization"), std::string::npos);
}

TEST(HttpAddress, HostLineHasNoPortAndAMissingPathBecomesSlash) {
    LoopbackServer server({Ok("a")});
    Client http;
    std::string url = "http://127.0.0.1:" + std::to_string(server.Port());
    http.Get(url);
    EXPECT_EQ(http.Url, url + "/");
    EXPECT_EQ(http.Port, server.Port());
    std::string request = server.Requests().at(0);
    EXPECT_EQ(request.rfind("GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n", 0), 0u) << request;
}

TEST(HttpAddress, BadAddressesFailBeforeAnyConnection) {
    LoopbackServer server({Ok("a")});
    Client http;
    std::string port = std::to_string(server.Port());
    EXPECT_EQ(ErrorOf<Exception>([&] { http.Get("https://127.0.0.1:" + port + "/"); }),
              "HTTP Secure Socket is not supported");
    EXPECT_EQ(ErrorOf<Exception>([&] { http.Get(""); }), "Empty URL");
    EXPECT_THROW(http.Get("http://127.0.0.1:" + port + "x/"), EConvertError);
    EXPECT_EQ(http.Body, "Default.htm");
    EXPECT_EQ(http.Header, "Head.txt");
    EXPECT_EQ(server.Connections(), 0);
}

TEST(HttpRedirect, FollowsAbsoluteRelativeAndRootedLocations) {
    LoopbackServer target({Ok("elsewhere")});
    std::string absolute = "http://localhost:" + std::to_string(target.Port()) + "/there";
    LoopbackServer server(
        {Redirect(absolute), Redirect("sibling.html"), Ok("sibling"), Redirect("/rooted"), Ok("rooted")});
    Client http;
    int redirects = 0;
    http.OnRedirect = [&](bool&) { ++redirects; };

    http.Get(server.Url("/start"));
    EXPECT_EQ(http.Body, "elsewhere");
    EXPECT_EQ(target.Requests().at(0).rfind("GET /there HTTP/1.0\r\nHost: localhost\r\n", 0), 0u);

    http.Get(server.Url("/a"));
    EXPECT_EQ(http.Body, "sibling");
    EXPECT_EQ(server.Requests().at(2).rfind("GET /sibling.html HTTP/1.0\r\n", 0), 0u);

    http.Get(server.Url("/b"));
    EXPECT_EQ(http.Body, "rooted");
    EXPECT_EQ(server.Requests().at(4).rfind("GET /rooted HTTP/1.0\r\n", 0), 0u);
    EXPECT_EQ(redirects, 3);
    EXPECT_EQ(http.StatusCode, 200);
}

TEST(HttpRedirect, CarriesTheCookieAndCredentialsOnlyToWhereTheyBelong) {
    LoopbackServer other({Ok("other"), Ok("other again")});
    std::string otherUrl = "http://localhost:" + std::to_string(other.Port()) + "/x";
    LoopbackServer samePort({Ok("same host, other port")});
    LoopbackServer server({Redirect("/next", {"Set-Cookie: id=42; path=/; expires=never"}), Ok("next"),
                           Ok("later"), Redirect(otherUrl, {"Set-Cookie: id=43"}),
                           Redirect(samePort.Url("/y"))});
    Client http;
    http.HeaderInfo.UserId = "user";
    http.HeaderInfo.Password = "pass";
    http.Get(server.Url("/first"));
    http.Get(server.Url("/later"));
    http.Get(server.Url("/away"));
    http.Get(otherUrl);  // a new request of the caller's own to the other host
    http.Get(server.Url("/port"));

    auto mine = server.Requests();
    ASSERT_EQ(mine.size(), 5u);
    EXPECT_FALSE(HasLine(mine[0], "Cookie: id=42; path=/; expires=never"));
    EXPECT_TRUE(HasLine(mine[1], "Cookie: id=42; path=/; expires=never"));
    EXPECT_TRUE(HasLine(mine[1], "Authorization: Basic dXNlcjpwYXNz"));
    EXPECT_TRUE(HasLine(mine[2], "Cookie: id=42; path=/; expires=never"));  // kept for later
    EXPECT_EQ(http.HeaderInfo.Cookie, "id=43");

    auto theirs = other.Requests();
    ASSERT_EQ(theirs.size(), 2u);
    // Another host and port: neither the credentials nor the cookie follow.
    EXPECT_EQ(theirs[0].find("Authorization"), std::string::npos) << theirs[0];
    EXPECT_EQ(theirs[0].find("Cookie"), std::string::npos) << theirs[0];
    // The caller's own request there carries the credentials, still no cookie.
    EXPECT_TRUE(HasLine(theirs[1], "Authorization: Basic dXNlcjpwYXNz"));
    EXPECT_EQ(theirs[1].find("Cookie"), std::string::npos) << theirs[1];
    // Another port of the same host is another server: no credentials.
    ASSERT_EQ(samePort.Requests().size(), 1u);
    EXPECT_EQ(samePort.Requests()[0].find("Authorization"), std::string::npos) << samePort.Requests()[0];
}

TEST(HttpRedirect, ALoopEndsInAnErrorAfter20Passes) {
    LoopbackServer server({Redirect("/again")});
    Client http;
    EXPECT_EQ(ErrorOf<ESockError>([&] { http.Get(server.Url("/")); }), "Too many redirections");
    EXPECT_EQ(server.Connections(), 20);
}

TEST(HttpRedirect, ALocationWithAByteBelow0x21EndsInAnError) {
    // Followed, the CR would end the next request line early and start one of the server's choosing.
    LoopbackServer server({Redirect("/next\rGET /planted"), Ok("never asked for")});
    Client http;
    EXPECT_EQ(ErrorOf<ESockError>([&] { http.Get(server.Url("/1")); }), "Redirection to a malformed address");
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_FALSE(http.IsConnected());
}

TEST(HttpRedirect, EndsWithoutANewAddressOrWhenHandled) {
    LoopbackServer server({Reply().Send(HttpResponse("303 See Other", {"Location: /x"}, "a")),
                           Reply().Send(HttpResponse("302 Found", {}, "b")),
                           Reply().Send(HttpResponse("299 Odd", {}, "c")), Redirect("/y")});
    Client http;
    int successes = 0;
    http.OnSuccess = [&](CmdType) { ++successes; };
    http.Get(server.Url("/1"));
    EXPECT_EQ(http.Body, "a");
    // The Location of the last response is no address for this one.
    http.Get(server.Url("/2"));
    EXPECT_EQ(http.Body, "b");
    http.Get(server.Url("/3"));
    EXPECT_EQ(http.Body, "c");
    http.OnRedirect = [](bool& handled) { handled = true; };
    http.Get(server.Url("/4"));
    EXPECT_EQ(http.Body, "moved");
    EXPECT_EQ(server.Connections(), 4);
    EXPECT_EQ(successes, 0);
}

TEST(HttpStatus, ErrorStatusesCallTheirEventsAndKeepThePage) {
    LoopbackServer server({Reply().Send(HttpResponse("404 Not Found", {}, "no such page")),
                           Reply().Send(HttpResponse("401 Unauthorized", {}, "who are you"))});
    Client http;
    std::vector<std::string> events;
    http.OnSuccess = [&](CmdType c) { events.push_back("success " + std::to_string(c)); };
    http.OnFailure = [&](CmdType c) { events.push_back("failure " + std::to_string(c)); };
    http.OnAuthenticationNeeded = [&] { events.push_back("auth"); };
    http.Get(server.Url("/missing"));
    EXPECT_EQ(http.StatusCode, 404);
    EXPECT_EQ(http.Body, "no such page");
    http.Get(server.Url("/secret"));
    EXPECT_EQ(http.Body, "who are you");
    EXPECT_EQ(events, (std::vector<std::string>{"failure 0", "failure 0", "auth"}));
}

TEST(HttpStatus, EventsOfAPlainGetComeInOrder) {
    LoopbackServer server({Ok("page")});
    Client http;
    std::vector<std::string> events;
    http.OnAboutToSend = [&] { events.push_back("send"); };
    http.OnConnect = [&] { events.push_back("connect"); };
    http.OnPacketRecvd = [&] {
        if (events.back() != "packet") events.push_back("packet");
    };
    http.OnSuccess = [&](CmdType) { events.push_back("success"); };
    http.OnDisconnect = [&] { events.push_back("disconnect"); };
    http.Get(server.Url("/"));
    // The server's close may be handled during the capture, which fires one
    // OnDisconnect before the final Disconnect fires another.
    std::vector<std::string> main;
    for (const auto& e : events)
        if (e != "disconnect") main.push_back(e);
    EXPECT_EQ(main, (std::vector<std::string>{"send", "connect", "packet", "success"}));
    EXPECT_EQ(events.back(), "disconnect");
    auto disconnects = std::count(events.begin(), events.end(), "disconnect");
    EXPECT_GE(disconnects, 1);
    EXPECT_LE(disconnects, 2);
}

TEST(HttpReply, AcceptsLfLinesHttp11AndSplitHeaders) {
    LoopbackServer server(
        {Reply().SendInPieces("HTTP/1.1 200 OK\nServer: x\nContent-Length: 4\n\nbody", 1, 2)});
    Client http;
    http.Get(server.Url("/"));
    EXPECT_EQ(http.StatusCode, 200);
    EXPECT_EQ(http.Header, "HTTP/1.1 200 OK\nServer: x\nContent-Length: 4\n\n");
    EXPECT_EQ(http.ExpectedLength, 4);
    EXPECT_EQ(http.Body, "body");
}

TEST(HttpReply, WithoutAnyHeaderTheFirstLineIsTakenAsStatus) {
    LoopbackServer server({Reply().Send("<html>\r\n<p>hi</p>\r\n\r\nrest</html>")});
    Client http;
    bool success = false;
    http.OnSuccess = [&](CmdType) { success = true; };
    http.Get(server.Url("/"));
    EXPECT_EQ(http.StatusCode, 0);
    EXPECT_TRUE(success);  // status 0 counts as success
    EXPECT_EQ(http.Header, "<html>\r\n<p>hi</p>\r\n\r\n");
    EXPECT_EQ(http.Body, "rest</html>");
}

TEST(HttpReply, BodyIsReadUntilTheCloseInOneByteChunks) {
    std::string body = "line one\r\nline two\r\n<end>";
    LoopbackServer server(
        {Reply().Send(HttpResponse("200 OK", {"Content-Length: 3"}, "")).SendInPieces(body, 1, 2)});
    Client http;
    http.Get(server.Url("/"));
    EXPECT_EQ(http.Body, body);  // Content-Length does not cut it short
    EXPECT_EQ(http.BytesReceived, static_cast<int>(body.size()));
}

TEST(HttpReply, ABodyBeyond32MiBIsRefused) {
    std::string big(TPowersock::kCaptureLimit + 1, 'b');
    LoopbackServer server({Reply().Send(HttpResponse("200 OK", {}, big))});
    Client http;
    http.TimeOut = 30000;
    EXPECT_EQ(ErrorOf<ESockError>([&] { http.Get(server.Url("/")); }), "Received data exceed 32 MiB");
    EXPECT_FALSE(http.IsConnected());
}

TEST(HttpTimeOut, StalledServersEndWithTheAbortTexts) {
    LoopbackServer server({Reply().Stall(), Reply().Send(HttpResponse("200 OK", {}, "part")).Stall()});
    Client http;
    http.TimeOut = 700;
    ULONGLONG start = NowMs();
    EXPECT_EQ(ErrorOf<EAbortError>([&] { http.Get(server.Url("/")); }), "Socket readln aborted");
    ULONGLONG took = NowMs() - start;
    EXPECT_GE(took, 690u);
    EXPECT_LE(took, 700u + 5000u);  // only a hang goes past this
    EXPECT_TRUE(http.IsTimedOut());

    start = NowMs();
    EXPECT_EQ(ErrorOf<EAbortError>([&] { http.Get(server.Url("/")); }), "Socket capture aborted");
    took = NowMs() - start;
    EXPECT_GE(took, 690u);
    EXPECT_LE(took, 700u + 5000u);  // only a hang goes past this
    EXPECT_EQ(http.Body, "part");
    EXPECT_FALSE(http.IsConnected());
}

TEST(HttpTimeOut, ZeroWaitsForASlowServer) {
    LoopbackServer server({Reply().Pause(1100).Send(HttpResponse("200 OK", {}, "slow"))});
    Client http;
    http.TimeOut = 0;
    http.Get(server.Url("/"));
    EXPECT_EQ(http.Body, "slow");
}

TEST(HttpConnect, RefusedAndUnknownPeersRaise) {
    Client http;
    std::string refused = "http://127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort()) + "/";
    EXPECT_EQ(ErrorOf<ESockError>([&] { http.Get(refused); }), "Connection Failed");
    EXPECT_EQ(ErrorOf<ESockError>([&] { http.Get("http://nonexistent.invalid/"); }), "Null Remote Address");
    // Still usable afterwards.
    LoopbackServer server({Ok("fine")});
    http.Get(server.Url("/"));
    EXPECT_EQ(http.Body, "fine");
}

TEST(HttpConnect, APeerThatClosesWithoutAReplyFailsAtOnce) {
    for (int32_t timeOut : {8000, 0}) {
        // Accepting and closing at once, gracefully or with a reset.
        for (bool reset : {false, true}) {
            Reply closeAtOnce = Reply().DontReadRequest();
            if (reset) closeAtOnce.Reset();
            LoopbackServer server({closeAtOnce});
            Client http;
            http.TimeOut = timeOut;
            http.ReportLevel = 8;
            bool held = false;
            http.OnStatus = [&](const std::string& s) {
                // Right after connect() (a dotted address is not looked up):
                // hold until the connect and the close notices are both
                // queued, so that the connect wait handles them in one pump.
                if (s == "Timer On" && !held) {
                    held = true;
                    server.WaitServed(1, 5000);
                    Sleep(100);
                }
            };
            Later hang(5000, [&] { http.Abort(); });
            std::string error = ErrorOf<ESockError>([&] { http.Get(server.Url("/")); });
            EXPECT_NE(error, "no exception");
            EXPECT_FALSE(hang.Fired()) << error << " time-out " << timeOut << " reset " << reset;
            EXPECT_FALSE(http.IsTimedOut()) << error;
        }
        // Closing after reading the request, before the status line.
        LoopbackServer server({Reply()});
        Client http;
        http.TimeOut = timeOut;
        EXPECT_EQ(ErrorOf<ESockError>([&] { http.Get(server.Url("/")); }),
                  "Connection closed without a reply");
    }
}

TEST(HttpReentry, AComponentDestroyedByItsSuccessHandlerEndsTheGetSafely) {
    LoopbackServer server({Ok("page")});
    int users = TPowersock::WinsockUsers();
    auto* http = new Client;
    http->OnSuccess = [&](CmdType) { delete http; };
    EXPECT_EQ(ErrorOf<EAbortError>([&] { http->Get(server.Url("/")); }),
              "Socket component destroyed by a handler");
    EXPECT_EQ(TPowersock::WinsockUsers(), users);
}

TEST(HttpReentry, ASecondGetIsRefusedAtEveryStage) {
    LoopbackServer server({Reply().Send(HttpResponse("200 OK", {}, "first")).Pause(100).Send("!")});
    Client http;
    http.ReportLevel = 8;
    std::vector<std::string> refusals;
    auto tryAgain = [&] {
        refusals.push_back(ErrorOf<ESockError>([&] { http.Get("http://127.0.0.1:1/other"); }));
    };
    // During the lookup wait, the connection wait and the capture.
    http.OnStatus = [&](const std::string& s) {
        if (s == "Resolve Host" || s == "Connecting") tryAgain();
    };
    http.OnPacketRecvd = tryAgain;
    http.Get("http://localhost:" + std::to_string(server.Port()) + "/page");
    EXPECT_EQ(http.Body, "first!");
    EXPECT_EQ(http.Host, "localhost");
    ASSERT_GE(refusals.size(), 3u);
    for (const auto& r : refusals) EXPECT_EQ(r, "Already connected");
    EXPECT_EQ(server.Connections(), 1);
}

}  // namespace
}  // namespace net
