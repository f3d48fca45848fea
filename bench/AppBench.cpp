// Figures for `make bench`, which prints them next to their targets. Each
// prints "BENCH <name> <value>".
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/AppFixture.h"
#include "net/HttpClient.h"
#include "support/SampleProvider.h"

namespace {

double Ms(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The window's own part of a start: construct, show, first paint. Wine's
// process start comes on top. The first run pays for what a real start pays
// once (class registration, fonts, the image list); later ones show the rest.
class StartUp : public AppTest {
public:
    void TestBody() override {
        std::vector<double> times;
        for (int i = 0; i < 7; ++i) {
            LARGE_INTEGER a, b;
            QueryPerformanceCounter(&a);
            UpdateWindow(Start().Handle());
            QueryPerformanceCounter(&b);
            times.push_back(Ms(a, b));
            form.reset();
            DrainQuit();
        }
        std::printf("BENCH start_first_ms %.1f\nBENCH start_median_ms %.1f\n", times.front(), Median(times));
    }
};

// From the end of the body (the server's close) to the 5,000 entries in the list.
class FiveThousandEntries : public AppTest {
public:
    void TestBody() override {
        qbtest::SampleProvider provider;
        provider.SetCredentials("", "");
        provider.SetEntries(5000);
        Ini().WriteString("URL", "ANONYMOUS", provider.Address("/pla5.html"));
        Ini().WriteInteger("SERVER", "ANYOPTION", 0);
        TfrmMain& f = Start();
        LARGE_INTEGER received{}, shown;
        f.Inet->OnDisconnect = [&] { QueryPerformanceCounter(&received); };
        std::vector<double> times;
        for (int i = 0; i < 5; ++i) {
            SendMessageW(f.cmdGetList.Handle(), BM_CLICK, 0, 0);
            QueryPerformanceCounter(&shown);
            ASSERT_EQ(f.cmbProxyList.Count(), 5000);
            times.push_back(Ms(received, shown));
        }
        std::printf("BENCH list5000_median_ms %.1f\nBENCH list5000_best_ms %.1f\n", Median(times),
                    *std::min_element(times.begin(), times.end()));
    }
};

const bool kRegistered = [] {
    testing::RegisterTest("AppBench", "StartUp", nullptr, nullptr, __FILE__, __LINE__,
                          []() -> testing::Test* { return new StartUp; });
    testing::RegisterTest("AppBench", "FiveThousandEntries", nullptr, nullptr, __FILE__, __LINE__,
                          []() -> testing::Test* { return new FiveThousandEntries; });
    return true;
}();

}  // namespace
