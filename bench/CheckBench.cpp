// Timing for `make bench`: the check of 200 listed proxies on 127.0.0.1, half
// of them silent, with a 2 s bound. Registered only when QB_BENCH_CHECK is
// set, so the ordinary test run does not see it. Prints "BENCH <name> <value>".
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "list/ProxyCheck.h"
#include "support/StandInProxy.h"
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

class CheckTwoHundred : public testing::Test {
public:
    void TestBody() override {
        constexpr int kEntries = 200;
        constexpr uint32_t kBoundMs = 2000;
        StandInProxy answers(StandInProxy::Kind::Answers), silent(StandInProxy::Kind::Silent);
        std::vector<std::string> entries;
        for (int i = 0; i < kEntries; ++i) entries.push_back(i % 2 ? silent.Entry() : answers.Entry());
        ProxyCheck check;
        const double cpu = ThreadCpuSeconds();
        LARGE_INTEGER freq, a, b;
        QueryPerformanceFrequency(&freq);
        QueryPerformanceCounter(&a);
        check.Start(entries, probe::ProbeRequest("tester.example/e/?"), kBoundMs);
        while (check.Running()) base::WaitForMessages(100);
        QueryPerformanceCounter(&b);
        const double used = ThreadCpuSeconds() - cpu;
        int answered = 0, silentOnes = 0;
        for (int i = 0; i < kEntries; ++i) {
            answered += check.ResultOf(i).outcome == probe::Outcome::Answered;
            silentOnes += check.ResultOf(i).outcome == probe::Outcome::NoAnswer;
        }
        EXPECT_EQ(answered, kEntries / 2);
        EXPECT_EQ(silentOnes, kEntries / 2);
        // Each silent proxy holds one of the 16 places for the whole bound.
        const int waves = (kEntries / 2 + ProxyCheck::kMaxInFlight - 1) / ProxyCheck::kMaxInFlight;
        std::printf("BENCH check200_s %.3f\nBENCH check200_floor_s %.1f\nBENCH check200_cpu_s %.3f\n",
                    static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(freq.QuadPart),
                    waves * kBoundMs / 1000.0, used);
    }
};

const bool kRegistered = [] {
    const char* on = std::getenv("QB_BENCH_CHECK");
    if (!on || !*on) return false;
    testing::RegisterTest("CheckBench", "TwoHundredHalfSilent", nullptr, nullptr, __FILE__, __LINE__,
                          []() -> testing::Test* { return new CheckTwoHundred; });
    return true;
}();

}  // namespace
