// The check of the listed proxies against stand-in proxies on 127.0.0.1:
// every kind of answer, the cap on what is read, 256 at a time at a steady
// pace, and cancelling with connections and lookups under way. Then the watch
// on the proxy in use, which asks as the check does, against stand-ins that
// answer and then stop, at the shortest interval: no case waits on the clock
// for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "list/ProxyCheck.h"
#include "list/ProxyWatch.h"
#include "support/LoopbackServer.h"
#include "support/StandInProxy.h"
#include "support/TcpServer.h"
#include "base/MessageLoop.h"

namespace {

using probe::Outcome;
using qbtest::StandInProxy;
using Kind = qbtest::StandInProxy::Kind;

const char kRequest[] = "HEAD http://tester.example/ HTTP/1.0\r\nHost: tester.example\r\n\r\n";

// Runs the message loop until done() or ms pass (the bound only catches a hang).
bool RunUntil(const std::function<bool()>& done, ULONGLONG ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        base::WaitForMessages(static_cast<DWORD>(std::min<ULONGLONG>(end - now, 50)));
    }
    return true;
}

void RunFor(ULONGLONG ms) {
    RunUntil([] { return false; }, ms);
}

TEST(ProxyCheck, TellsEveryKindOfProxyApartReadingAtMostFourKiB) {
    StandInProxy answers(Kind::Answers, 30), silent(Kind::Silent), endless(Kind::EndlessLine),
        garbage(Kind::Garbage), tenMiB(Kind::TenMiB), closes(Kind::ClosesAtOnce);
    const std::string port = std::to_string(answers.Port());
    const std::vector<std::string> entries = {
        answers.Entry(),     "127.0.0.1:" + std::to_string(qbtest::LoopbackServer::UnusedPort()),
        silent.Entry(),      endless.Entry(),
        garbage.Entry(),     tenMiB.Entry(),
        closes.Entry(),      "1",
        "localhost:" + port,
    };
    ProxyCheck check;
    std::vector<int> reported;
    check.onResult = [&](int index) { reported.push_back(index); };
    check.Start(entries, kRequest, 1000, probe::ListSource::Local);
    ASSERT_TRUE(RunUntil([&] { return !check.Running(); }, 30000));

    const Outcome expected[] = {Outcome::Answered, Outcome::Refused,      Outcome::NoAnswer,
                                Outcome::NoAnswer, Outcome::NoAnswer,     Outcome::NoAnswer,
                                Outcome::NoAnswer, Outcome::NotCheckable, Outcome::Answered};
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(entries[static_cast<size_t>(i)]);
        EXPECT_EQ(check.ResultOf(i).outcome, expected[i]);
        EXPECT_LE(check.ResultOf(i).bytesRead, 4096u);
    }
    EXPECT_GE(check.ResultOf(0).ms, 30u);
    EXPECT_GE(check.ResultOf(2).ms, 1000u);  // the silent one waited its whole bound
    EXPECT_EQ(check.ResultOf(3).bytesRead, 4096u);
    // An answer heard by the watch takes the entry's place.
    EXPECT_TRUE(check.Note(1, {Outcome::Answered, 42}));
    EXPECT_EQ(check.ResultOf(1).outcome, Outcome::Answered);
    EXPECT_EQ(check.ResultOf(1).ms, 42u);
    EXPECT_FALSE(check.Note(9, {Outcome::Answered, 42}));
    std::sort(reported.begin(), reported.end());
    EXPECT_EQ(reported, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));

    // One connection per entry, carrying the request and nothing more.
    EXPECT_EQ(answers.Accepted(), 2);
    EXPECT_EQ(answers.Requests()[0], kRequest);
    for (const StandInProxy* p : {&silent, &endless, &garbage, &tenMiB, &closes}) EXPECT_EQ(p->Accepted(), 1);
}

TEST(ProxyCheck, AListFromTheInternetGetsNoConnectionToThisMachine) {
    StandInProxy answers(Kind::Answers);
    ProxyCheck check;
    // Dotted, and by a name that the lookup makes local.
    check.Start({answers.Entry(), "localhost:" + std::to_string(answers.Port())}, kRequest, 1000,
                probe::ListSource::Internet);
    ASSERT_TRUE(RunUntil([&] { return !check.Running(); }, 30000));
    EXPECT_EQ(check.ResultOf(0).outcome, Outcome::NotCheckable);
    EXPECT_EQ(check.ResultOf(1).outcome, Outcome::NotCheckable);
    EXPECT_EQ(answers.Accepted(), 0);
}

TEST(ProxyCheck, TwoHundredFiftySixAtATimeOpenedAtAPaceAndCancellingClosesThemAll) {
    qbtest::tcp::SilentListener silent;
    ProxyCheck check;
    check.Start(std::vector<std::string>(300, silent.Entry()), kRequest, 10000, probe::ListSource::Local);
    ASSERT_TRUE(RunUntil([&] { return silent.Accept() >= 256; }, 10000));
    RunFor(300);  // room for one more, were one allowed
    EXPECT_EQ(silent.Accept(), 256);
    EXPECT_EQ(check.InFlight(), 256);
    // No more than 64 opened in any 100 ms, on the check's own clock: a busy
    // machine can only spread them further apart.
    std::vector<uint64_t> opened;
    for (int i = 0; i < 256; ++i) opened.push_back(check.ResultOf(i).openedAt);
    std::sort(opened.begin(), opened.end());
    for (size_t i = 0; i + 64 < opened.size(); ++i) ASSERT_GE(opened[i + 64] - opened[i], 100u) << i;

    // An entry under way keeps its own answer to come.
    EXPECT_FALSE(check.Note(0, {Outcome::NoAnswer, 1}));
    EXPECT_EQ(check.ResultOf(0).outcome, Outcome::Checking);

    check.Cancel();
    EXPECT_FALSE(check.Running());
    EXPECT_EQ(check.InFlight(), 0);
    ASSERT_TRUE(RunUntil([&] { return silent.Open() == 0; }, 10000));
    RunFor(100);
    EXPECT_EQ(silent.Accept(), 256);
    for (int i = 0; i < 300; ++i) EXPECT_EQ(check.ResultOf(i).outcome, Outcome::Unchecked);
}

TEST(ProxyCheck, ALongListLetsTheQueueEmptyBetweenRounds) {
    StandInProxy answers(Kind::Answers);
    const std::string refused = "127.0.0.1:" + std::to_string(qbtest::LoopbackServer::UnusedPort());
    std::vector<std::string> entries;
    for (int i = 0; i < 600; ++i) entries.push_back(i % 2 ? refused : answers.Entry());
    ProxyCheck check;
    static int results, atFirstTick;
    results = 0;
    atFirstTick = -1;
    check.onResult = [](int) { ++results; };
    // A timer message is made only when no other message waits, which is
    // when clicks and repaints get their turn too.
    UINT_PTR tick = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, [](HWND, UINT, UINT_PTR, DWORD) {
        if (atFirstTick < 0) atFirstTick = results;
    });
    check.Start(entries, kRequest, 10000, probe::ListSource::Local);
    ASSERT_TRUE(RunUntil([&] { return !check.Running(); }, 60000));
    KillTimer(nullptr, tick);
    EXPECT_GE(atFirstTick, 0);
    EXPECT_LT(atFirstTick, 300) << "the queue never emptied while the check ran";
}

// Seventeen names ahead of a number: the sixteen lookup places are taken, the
// seventeenth name waits aside, the number is asked at once, and every name
// is asked once a place is free, each result at its own entry.
TEST(ProxyCheck, ANameWaitingForALookupDoesNotHoldUpTheNumbersBehindIt) {
    StandInProxy answers(Kind::Answers);
    const std::string refused = "127.0.0.1:" + std::to_string(qbtest::LoopbackServer::UnusedPort());
    std::vector<std::string> entries(17, "localhost:" + std::to_string(answers.Port()));
    entries.push_back(refused);
    entries.push_back(entries[0]);
    ProxyCheck check;
    check.Start(entries, kRequest, 10000, probe::ListSource::Local);
    EXPECT_NE(check.ResultOf(17).openedAt, 0u);
    ASSERT_TRUE(RunUntil([&] { return !check.Running(); }, 30000));
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(check.ResultOf(i).outcome, i == 17 ? Outcome::Refused : Outcome::Answered) << i;
    EXPECT_EQ(answers.Accepted(), 18);
}

TEST(ProxyCheck, LookupsCutShortStartNothingWhenTheyComeBack) {
    StandInProxy answers(Kind::Answers);
    const std::vector<std::string> byName = {"localhost:" + std::to_string(answers.Port())};
    ProxyCheck check;
    check.Start(std::vector<std::string>(20, byName[0]), kRequest, 10000, probe::ListSource::Local);
    EXPECT_EQ(check.InFlight(), 16);  // lookups, sixteen at a time
    check.Cancel();
    auto destroyed = std::make_unique<ProxyCheck>();
    destroyed->Start(byName, kRequest, 10000, probe::ListSource::Local);
    destroyed.reset();
    RunFor(500);  // both lookups complete meanwhile
    EXPECT_EQ(answers.Accepted(), 0);

    check.Start(byName, kRequest, 10000, probe::ListSource::Local);
    ASSERT_TRUE(RunUntil([&] { return !check.Running(); }, 10000));
    EXPECT_EQ(check.ResultOf(0).outcome, Outcome::Answered);
    EXPECT_EQ(answers.Accepted(), 1);
}

TEST(ProxyWatch, TheSecondFailureInARowIsReportedOnceAndASuccessResetsTheCount) {
    using enum Outcome;
    auto proxy = std::make_unique<StandInProxy>(Kind::Answers);
    const std::string address = proxy->Entry();
    ProxyWatch watch;
    std::vector<Outcome> heard;
    std::vector<uint64_t> stoppedAt;  // the asks heard when "stopped answering" was said
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
    watch.onAnswer = [&](const std::string&, const ProxyCheck::Result& result) {
        heard.push_back(result.outcome);
        if (const uint64_t n = watch.Asks(); n <= std::size(next)) next[n - 1]();
    };
    watch.onStopped = [&](const std::string& from) {
        EXPECT_EQ(from, address);
        stoppedAt.push_back(watch.Asks());
    };
    ASSERT_TRUE(watch.Start(address, kRequest, 10000, 1));
    ASSERT_TRUE(RunUntil([&] { return !watch.Running(); }, 30000));

    EXPECT_EQ(heard,
              (std::vector<Outcome>{Answered, NoAnswer, Answered, NoAnswer, Refused, Refused, Refused}));
    EXPECT_EQ(stoppedAt, std::vector<uint64_t>{5});
    // Each ask was the check's one request on a connection of its own.
    EXPECT_EQ(requests, std::vector<std::string>(4, kRequest));
}

TEST(ProxyWatch, AStopOrARestartLeavesTheAskUnderWayUnsaid) {
    StandInProxy slow(Kind::Answers, 300), gone(Kind::ClosesAtOnce);
    ProxyWatch watch;
    EXPECT_FALSE(watch.Start("1", kRequest, 10000, 1));  // not host:port
    EXPECT_FALSE(watch.Start(slow.Entry(), kRequest, 10000, 0));
    EXPECT_FALSE(watch.Running());

    std::vector<std::string> heardFrom;
    watch.onAnswer = [&](const std::string& from, const ProxyCheck::Result& result) {
        EXPECT_EQ(result.outcome, Outcome::NoAnswer);
        heardFrom.push_back(from);
    };
    ASSERT_TRUE(watch.Start(slow.Entry(), kRequest, 10000, 1));
    ASSERT_TRUE(RunUntil([&] { return slow.Accepted() == 1; }, 30000));
    watch.Stop();
    ASSERT_TRUE(RunUntil([&] { return slow.Open() == 0; }, 30000));  // its connection closed at once
    EXPECT_EQ(heardFrom, std::vector<std::string>{});

    // Restarted on another address while the slow one's ask is under way:
    // the slow answer, due any moment, is never taken for the new address's.
    ASSERT_TRUE(watch.Start(slow.Entry(), kRequest, 10000, 1));
    ASSERT_TRUE(RunUntil([&] { return slow.Accepted() == 2; }, 30000));
    ASSERT_TRUE(watch.Start(gone.Entry(), kRequest, 10000, 1));
    ASSERT_TRUE(RunUntil([&] { return slow.Open() == 0 && heardFrom.size() >= 2; }, 30000));
    watch.Stop();
    EXPECT_EQ(heardFrom, std::vector<std::string>(heardFrom.size(), gone.Entry()));
    EXPECT_EQ(slow.Accepted(), 2);
}

}  // namespace
