// The watch on the proxy in use against stand-in proxies on 127.0.0.1 that
// answer and then stop, at the shortest interval a test may set: no case
// waits on the wall clock for the watch.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/MessageLoop.h"
#include "list/ProxyWatch.h"
#include "support/StandInProxy.h"

namespace {

using probe::Outcome;
using qbtest::StandInProxy;
using Kind = qbtest::StandInProxy::Kind;

const char kRequest[] = "HEAD http://tester.example/ HTTP/1.0\r\nHost: tester.example\r\n\r\n";
// Long enough that an answering stand-in always makes it on a loaded machine.
constexpr uint32_t kBoundMs = 10000;

// Runs the message loop until done() (the bound only catches a hang).
bool RunUntil(const std::function<bool()>& done, ULONGLONG ms = 30000) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        base::WaitForMessages(static_cast<DWORD>(std::min<ULONGLONG>(end - now, 50)));
    }
    return true;
}

const char* Said(Outcome outcome) {
    switch (outcome) {
        case Outcome::Answered: return "answered";
        case Outcome::NoAnswer: return "no answer";
        case Outcome::Refused: return "refused";
        default: return "?";
    }
}

TEST(ProxyWatch, TheSecondFailureInARowIsReportedOnceAndASuccessResetsTheCount) {
    auto proxy = std::make_unique<StandInProxy>(Kind::Answers);
    const std::string address = proxy->Entry();
    ProxyWatch watch;
    std::vector<std::string> said;
    std::vector<std::string> requests;
    // How the stand-in behaves for each next ask: it answers, stops, answers
    // again, then stops for good (the last ones find nothing listening).
    const std::function<void()> next[] = {
        [&] { proxy->SetKind(Kind::ClosesAtOnce); },
        [&] { proxy->SetKind(Kind::Answers); },
        [&] { proxy->SetKind(Kind::ClosesAtOnce); },
        [&] {
            requests = proxy->Requests();
            proxy.reset();
        },
        [] {},
        [] {},
        [&] { watch.Stop(); },
    };
    watch.onAnswer = [&](const std::string& from, const ProxyCheck::Result& result) {
        EXPECT_EQ(from, address);
        said.push_back(Said(result.outcome));
        if (const uint64_t n = watch.Asks(); n <= std::size(next)) next[n - 1]();
    };
    watch.onStopped = [&](const std::string& from) {
        EXPECT_EQ(from, address);
        said.push_back("stopped");
    };
    ASSERT_TRUE(watch.Start(address, kRequest, kBoundMs, 1));
    ASSERT_TRUE(RunUntil([&] { return !watch.Running(); }));

    const std::vector<std::string> expected = {"answered", "no answer", "answered", "no answer",
                                               "refused",  "stopped",   "refused",  "refused"};
    EXPECT_EQ(said, expected);
    EXPECT_EQ(watch.FailuresInARow(), 4);
    EXPECT_EQ(watch.Asks(), 7u);
    // Each ask was the check's one request on a connection of its own.
    EXPECT_EQ(requests, std::vector<std::string>(4, kRequest));
}

TEST(ProxyWatch, AStopOrARestartLeavesTheAskUnderWayUnsaid) {
    StandInProxy slow(Kind::Answers, 300), gone(Kind::ClosesAtOnce);
    ProxyWatch watch;
    EXPECT_FALSE(watch.Start("1", kRequest, kBoundMs, 1));  // not host:port
    EXPECT_FALSE(watch.Start(slow.Entry(), kRequest, kBoundMs, 0));
    EXPECT_FALSE(watch.Running());

    std::vector<std::string> said;
    watch.onAnswer = [&](const std::string& from, const ProxyCheck::Result& result) {
        said.push_back(from + " " + Said(result.outcome));
    };
    ASSERT_TRUE(watch.Start(slow.Entry(), kRequest, kBoundMs, 1));
    ASSERT_TRUE(RunUntil([&] { return slow.Accepted() == 1; }));
    watch.Stop();
    ASSERT_TRUE(RunUntil([&] { return slow.Open() == 0; }));  // its connection closed at once
    EXPECT_EQ(said, std::vector<std::string>{});

    // Restarted on another address while the slow one's ask is under way:
    // the slow answer, due any moment, is never taken for the new address's.
    ASSERT_TRUE(watch.Start(slow.Entry(), kRequest, kBoundMs, 1));
    ASSERT_TRUE(RunUntil([&] { return slow.Accepted() == 2; }));
    ASSERT_TRUE(watch.Start(gone.Entry(), kRequest, kBoundMs, 1));
    ASSERT_TRUE(RunUntil([&] { return slow.Open() == 0 && said.size() >= 2; }));
    watch.Stop();
    for (const std::string& s : said) EXPECT_EQ(s, gone.Entry() + " no answer");
    EXPECT_EQ(slow.Accepted(), 2);
}

}  // namespace
