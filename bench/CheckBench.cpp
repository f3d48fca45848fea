// Timing for `make bench`: the check of 200 listed proxies on 127.0.0.1, half
// of them silent, with a 2 s bound, and of 500 (100 answering, 100 refused,
// 300 silent, each on a port of its own) with a 3 s bound. Registered only
// when QB_BENCH_CHECK is set, so the ordinary test run does not see it.
// Prints "BENCH <name> <value>".
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>

#include "list/ProxyCheck.h"
#include "support/StandInProxy.h"
#include "support/TcpServer.h"
#include "base/MessageLoop.h"

namespace {

using qbtest::StandInProxy;

// CPU time of the calling thread, the one the check runs on (the stand-in
// proxies' threads are not the program's).
double ThreadCpuSeconds() {
    FILETIME create, exit, kernel, user;
    GetThreadTimes(GetCurrentThread(), &create, &exit, &kernel, &user);
    auto value = [](FILETIME t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return value(kernel) + value(user);
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

// The least time a check can take: the silent entries hold their places for
// the whole bound, in as many waves as the places in flight make, and the
// last entry opens no sooner than the pace allows and then waits its bound.
double FloorSeconds(int entries, int silent, uint32_t boundMs) {
    const int waves = (silent + ProxyCheck::kMaxInFlight - 1) / ProxyCheck::kMaxInFlight;
    const uint64_t paced = (entries - 1) / ProxyCheck::kPaceCount * ProxyCheck::kPaceWindowMs;
    return static_cast<double>(std::max<uint64_t>(waves * boundMs, paced + boundMs)) / 1000.0;
}

struct Timing {
    double seconds;
    double cpu;
};

// Runs the check to its end: its wall time, and the CPU of its thread.
Timing RunCheck(ProxyCheck& check, const std::vector<std::string>& entries, uint32_t boundMs) {
    const double cpu = ThreadCpuSeconds();
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    check.Start(entries, probe::ProbeRequest("tester.example/e/?"), boundMs, probe::ListSource::Local);
    while (check.Running()) base::WaitForMessages(100);
    QueryPerformanceCounter(&b);
    return {Seconds(a, b), ThreadCpuSeconds() - cpu};
}

class CheckTwoHundred : public testing::Test {
public:
    void TestBody() override {
        constexpr int kEntries = 200;
        constexpr uint32_t kBoundMs = 2000;
        StandInProxy answers(StandInProxy::Kind::Answers), silent(StandInProxy::Kind::Silent);
        std::vector<std::string> entries;
        for (int i = 0; i < kEntries; ++i) entries.push_back(i % 2 ? silent.Entry() : answers.Entry());
        ProxyCheck check;
        const Timing t = RunCheck(check, entries, kBoundMs);
        int answered = 0, silentOnes = 0;
        for (int i = 0; i < kEntries; ++i) {
            answered += check.ResultOf(i).outcome == probe::Outcome::Answered;
            silentOnes += check.ResultOf(i).outcome == probe::Outcome::NoAnswer;
        }
        EXPECT_EQ(answered, kEntries / 2);
        EXPECT_EQ(silentOnes, kEntries / 2);
        std::printf("BENCH check200_s %.3f\nBENCH check200_floor_s %.1f\nBENCH check200_cpu_s %.3f\n",
                    t.seconds, FloorSeconds(kEntries, kEntries / 2, kBoundMs), t.cpu);
    }
};

class CheckFiveHundred : public testing::Test {
public:
    void TestBody() override {
        constexpr uint32_t kBoundMs = 3000;
        std::vector<std::unique_ptr<StandInProxy>> answering;
        std::vector<std::unique_ptr<qbtest::tcp::SilentListener>> silent;
        std::set<uint16_t> ports;
        for (int i = 0; i < 100; ++i) {
            answering.push_back(std::make_unique<StandInProxy>(StandInProxy::Kind::Answers));
            ports.insert(answering.back()->Port());
        }
        for (int i = 0; i < 300; ++i) {
            silent.push_back(std::make_unique<qbtest::tcp::SilentListener>());
            ports.insert(silent.back()->Port());
        }
        std::vector<uint16_t> refused;
        while (refused.size() < 100) {
            const uint16_t port = qbtest::tcp::UnusedPort();
            if (ports.insert(port).second) refused.push_back(port);
        }
        // Mixed as a real list is: two silent, one answering, one silent, one refused.
        std::vector<std::string> entries;
        for (int i = 0; i < 100; ++i) {
            for (int j = 0; j < 3; ++j) {
                entries.push_back(silent[static_cast<size_t>(i * 3 + j)]->Entry());
                if (j == 1) entries.push_back(answering[static_cast<size_t>(i)]->Entry());
            }
            entries.push_back("127.0.0.1:" + std::to_string(refused[static_cast<size_t>(i)]));
        }
        ProxyCheck check;
        const Timing t = RunCheck(check, entries, kBoundMs);
        int counts[6] = {};
        for (int i = 0; i < 500; ++i) ++counts[static_cast<int>(check.ResultOf(i).outcome)];
        EXPECT_EQ(counts[static_cast<int>(probe::Outcome::Answered)], 100);
        EXPECT_EQ(counts[static_cast<int>(probe::Outcome::Refused)], 100);
        EXPECT_EQ(counts[static_cast<int>(probe::Outcome::NoAnswer)], 300);
        std::printf("BENCH check500_s %.3f\nBENCH check500_floor_s %.1f\nBENCH check500_cpu_s %.3f\n",
                    t.seconds, FloorSeconds(500, 300, kBoundMs), t.cpu);
    }
};

const bool kRegistered = [] {
    const char* on = std::getenv("QB_BENCH_CHECK");
    if (!on || !*on) return false;
    testing::RegisterTest("CheckBench", "TwoHundredHalfSilent", nullptr, nullptr, __FILE__, __LINE__,
                          []() -> testing::Test* { return new CheckTwoHundred; });
    testing::RegisterTest("CheckBench", "FiveHundredMostlySilent", nullptr, nullptr, __FILE__, __LINE__,
                          []() -> testing::Test* { return new CheckFiveHundred; });
    return true;
}();

}  // namespace
