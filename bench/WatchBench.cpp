// The watch's soak for `make bench`: 1,000 asks of a stand-in proxy on
// 127.0.0.1 at the test interval of 1 ms (window timers make it at least
// 10 ms), every other ask failing and the watch started afresh every 100, with
// the process's handles and its open host files (Wine's /proc/self/fd) counted
// before and after. The stand-in serves every connection on one thread: a
// thread per connection makes handles of its own now and then (the C
// runtime's lazy events), which would read as the watch's. Runs with the
// check's figures (QB_BENCH_CHECK). Prints "BENCH <name> <value>".
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/MessageLoop.h"
#include "list/ProxyWatch.h"
#include "support/TcpServer.h"

namespace {

constexpr uint64_t kAsks = 1000;
constexpr uint64_t kWarmUp = 20;

// The process's open handles (a socket is one). Wine's GetProcessHandleCount
// says 0 whatever is open, so every handle value is tried instead: handles
// are multiples of 4, and Wine hands out the lowest free ones first.
long Handles() {
    long count = 0;
    DWORD flags;
    for (uintptr_t value = 4; value < (1u << 16); value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    return count;
}

// Under Wine the drive Z: is the host's root, so the process's own host file
// descriptors (the sockets' among them) show in /proc/self/fd. -1 elsewhere.
long OpenHostFiles() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\self\\fd\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return -1;
    long count = 0;
    do {
        if (found.cFileName[0] != L'.') ++count;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

void RunFor(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (ULONGLONG now; (now = GetTickCount64()) < end;) base::WaitForMessages(static_cast<DWORD>(end - now));
}

class WatchSoak : public testing::Test {
public:
    void TestBody() override {
        namespace tcp = qbtest::tcp;
        // Every other connection answers; the rest close at once ("no answer").
        tcp::Listener proxy("soak proxy", 0, tcp::Listener::Threads::OneAtATime,
                            [](SOCKET s, size_t index, const std::atomic<bool>& stop) {
                                tcp::ReadRequest(s, stop, 5000);
                                if (index % 2 == 0) tcp::SendAll(s, "HTTP/1.0 200 OK\r\n\r\n", stop);
                            });
        const std::string address = "127.0.0.1:" + std::to_string(proxy.Port());
        const std::string request = "HEAD http://tester.example/e/? HTTP/1.0\r\nHost: tester.example\r\n\r\n";
        ProxyWatch watch;
        uint64_t stopAt = kWarmUp;
        watch.onAnswer = [&](const std::string&, const ProxyCheck::Result&) {
            const uint64_t asks = watch.Asks();
            if (asks >= stopAt)
                watch.Stop();
            else if (asks % 100 == 0)
                watch.Start(address, request, 10000, 1);
        };
        ASSERT_TRUE(watch.Start(address, request, 10000, 1));
        while (watch.Running()) base::WaitForMessages(INFINITE);
        RunFor(300);  // the stand-in closes the last connection meanwhile
        const long handlesBefore = Handles(), filesBefore = OpenHostFiles();

        stopAt = kWarmUp + kAsks;
        const ULONGLONG start = GetTickCount64();
        ASSERT_TRUE(watch.Start(address, request, 10000, 1));
        while (watch.Running()) base::WaitForMessages(INFINITE);
        const double seconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
        RunFor(300);
        EXPECT_EQ(watch.Asks(), kWarmUp + kAsks);
        std::printf(
            "BENCH watch1000_s %.2f\nBENCH watch_handles_before %ld\nBENCH watch_handles_after %ld\n"
            "BENCH watch_files_before %ld\nBENCH watch_files_after %ld\n",
            seconds, handlesBefore, Handles(), filesBefore, OpenHostFiles());
    }
};

const bool kRegistered = [] {
    const char* on = std::getenv("QB_BENCH_CHECK");
    if (!on || !*on) return false;
    testing::RegisterTest("CheckBench", "WatchSoakThousandAsks", nullptr, nullptr, __FILE__, __LINE__,
                          []() -> testing::Test* { return new WatchSoak; });
    return true;
}();

}  // namespace
