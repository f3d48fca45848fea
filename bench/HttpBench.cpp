// Timings for `make bench`. Registered only when QB_BENCH_PORT names the
// port of the bench server on 127.0.0.1 (serving /16m and /200k), so the
// ordinary test run does not see them. Each prints "BENCH <name> <value>".
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/HttpClient.h"
#include "net/NetTestUtil.h"
#include "support/LoopbackServer.h"

namespace net {
namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

class SilentWait : public testing::Test {
public:
    void TestBody() override {
        qbtest::LoopbackServer server({qbtest::Reply().Stall()});
        TNMHTTP http;
        http.TimeOut = 3000;
        double cpu = nettest::ProcessCpuSeconds();
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        EXPECT_THROW(http.Get(server.Url("/")), EAbortError);
        QueryPerformanceCounter(&b);
        std::printf("BENCH wait_cpu_s %.3f\nBENCH wait_wall_s %.3f\n", nettest::ProcessCpuSeconds() - cpu,
                    Seconds(a, b));
    }
};

class Fetch : public testing::Test {
public:
    Fetch(std::string port, std::string path, int runs, size_t size)
        : port_(std::move(port)), path_(std::move(path)), runs_(runs), size_(size) {}
    void TestBody() override {
        TNMHTTP http;
        http.TimeOut = 60000;
        std::vector<double> times;
        for (int i = 0; i < runs_; ++i) {
            LARGE_INTEGER a, b;
            QueryPerformanceCounter(&a);
            http.Get("http://127.0.0.1:" + port_ + path_);
            QueryPerformanceCounter(&b);
            ASSERT_EQ(http.Body.size(), size_);
            times.push_back(Seconds(a, b));
        }
        std::sort(times.begin(), times.end());
        std::printf("BENCH fetch%s_median_s %.4f\nBENCH fetch%s_best_s %.4f\n", path_.c_str() + 1,
                    times[times.size() / 2], path_.c_str() + 1, times.front());
    }

private:
    std::string port_, path_;
    int runs_;
    size_t size_;
};

// The least a Windows program does for a page: a blocking socket, one send,
// receives until the server closes. Under Wine this is the floor under any
// client's figure. Returns the bytes received.
size_t PlainGet(const std::string& port, std::vector<char>& buffer) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<u_short>(std::stoi(port)));
    to.sin_addr.s_addr = inet_addr("127.0.0.1");
    const std::string request = "GET /200k HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) ADD_FAILURE() << "connect";
    send(s, request.data(), static_cast<int>(request.size()), 0);
    size_t total = 0;
    for (int n; (n = recv(s, buffer.data(), static_cast<int>(buffer.size()), 0)) > 0;)
        total += static_cast<size_t>(n);
    closesocket(s);
    return total;
}

class PlainFetch : public testing::Test {
public:
    explicit PlainFetch(std::string port) : port_(std::move(port)) {}
    void TestBody() override {
        WSADATA data;
        WSAStartup(0x0202, &data);
        std::vector<char> buffer(1 << 20);
        std::vector<double> times;
        for (int i = 0; i < 21; ++i) {
            LARGE_INTEGER a, b;
            QueryPerformanceCounter(&a);
            const size_t total = PlainGet(port_, buffer);
            QueryPerformanceCounter(&b);
            ASSERT_GT(total, 200u << 10);
            times.push_back(Seconds(a, b));
        }
        std::sort(times.begin(), times.end());
        std::printf("BENCH fetch200k_plain_median_s %.4f\n", times[times.size() / 2]);
        WSACleanup();
    }

private:
    std::string port_;
};

// One fetch of /200k by the client and one by a plain blocking socket, each
// between two marker lines on stderr that name the thread, after one of each to warm up. Run with
// WINEDEBUG=+server, the wineserver requests between the markers are the
// round trips of each fetch (scripts/bench.sh counts that thread's).
class RoundTrips : public testing::Test {
    // The thread's id as the wineserver's trace shows it.
    static void Mark(const char* what) {
        std::fprintf(stderr, "QB_MARK %s %04lx\n", what, static_cast<unsigned long>(GetCurrentThreadId()));
    }

public:
    explicit RoundTrips(std::string port) : port_(std::move(port)) {}
    void TestBody() override {
        WSADATA data;
        WSAStartup(0x0202, &data);
        TNMHTTP http;
        http.TimeOut = 60000;
        const std::string url = "http://127.0.0.1:" + port_ + "/200k";
        http.Get(url);
        std::vector<char> buffer(1 << 20);
        PlainGet(port_, buffer);
        Mark("client begin");
        http.Get(url);
        Mark("client end");
        Mark("plain begin");
        const size_t plain = PlainGet(port_, buffer);
        Mark("plain end");
        EXPECT_EQ(http.Body.size(), 200u << 10);
        EXPECT_GT(plain, 200u << 10);
        WSACleanup();
    }

private:
    std::string port_;
};

// Header lines without end, from a loopback server of the case's own: as
// fast as the socket takes them (the client gives up at the 101st line), and
// one every 100 ms (it gives up at its time-out, 2 s after the request).
class EndlessHeader : public testing::Test {
public:
    void TestBody() override {
        std::string flood = "HTTP/1.0 200 OK\r\n";
        char line[40];
        for (int i = 0; i < 100000; ++i) {
            std::snprintf(line, sizeof line, "X-Line-%06d: value\r\n", i);
            flood += line;
        }
        std::string drip;
        for (int i = 0; i < 300; ++i) drip += "X-Drip: 0\r\n";
        const qbtest::Reply floods = qbtest::Reply().Send(flood);
        qbtest::LoopbackServer server(
            {floods, floods, floods,
             qbtest::Reply().Send("HTTP/1.0 200 OK\r\n").SendInPieces(drip, 11, 100)});
        TNMHTTP http;
        http.TimeOut = 2000;
        auto secondsToError = [&] {
            LARGE_INTEGER a, b;
            QueryPerformanceCounter(&a);
            EXPECT_THROW(http.Get(server.Url("/")), Exception);
            QueryPerformanceCounter(&b);
            return Seconds(a, b);
        };
        std::vector<double> times;
        for (int i = 0; i < 3; ++i) times.push_back(secondsToError());
        std::sort(times.begin(), times.end());
        std::printf("BENCH header_flood_median_s %.4f\n", times[1]);
        std::printf("BENCH header_trickle_s %.3f\n", secondsToError());
        EXPECT_TRUE(http.IsTimedOut());
    }
};

const bool kRegistered = [] {
    const char* port = std::getenv("QB_BENCH_PORT");
    if (!port || !*port) return false;
    std::string p = port;
    testing::RegisterTest("HttpBench", "SilentWait", nullptr, nullptr, __FILE__, __LINE__,
                          []() -> testing::Test* { return new SilentWait; });
    testing::RegisterTest("HttpBench", "Fetch16MiB", nullptr, nullptr, __FILE__, __LINE__,
                          [p]() -> testing::Test* { return new Fetch(p, "/16m", 7, 16u << 20); });
    testing::RegisterTest("HttpBench", "Fetch200KiB", nullptr, nullptr, __FILE__, __LINE__,
                          [p]() -> testing::Test* { return new Fetch(p, "/200k", 21, 200u << 10); });
    testing::RegisterTest("HttpBench", "PlainFetch200KiB", nullptr, nullptr, __FILE__, __LINE__,
                          [p]() -> testing::Test* { return new PlainFetch(p); });
    testing::RegisterTest("HttpBench", "EndlessHeader", nullptr, nullptr, __FILE__, __LINE__,
                          []() -> testing::Test* { return new EndlessHeader; });
    if (std::getenv("QB_BENCH_TRIPS"))
        testing::RegisterTest("HttpBench", "RoundTrips", nullptr, nullptr, __FILE__, __LINE__,
                              [p]() -> testing::Test* { return new RoundTrips(p); });
    return true;
}();

}  // namespace
}  // namespace net
