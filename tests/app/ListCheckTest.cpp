// The check of the listed proxies in the real main window, against a list
// page and stand-in proxies on 127.0.0.1.
#include <gtest/gtest.h>

#include <functional>

#include "app/AppFixture.h"
#include "list/ProxyCheck.h"
#include "list/ProxyWatch.h"
#include "support/LoopbackServer.h"
#include "support/StandInProxy.h"

using qbtest::HttpResponse;
using qbtest::LoopbackServer;
using qbtest::Reply;
using qbtest::StandInProxy;
using Kind = qbtest::StandInProxy::Kind;

namespace {

std::string Page(const std::vector<std::string>& entries) {
    std::string page = "<html><table><tr><th>hour</th></tr>";
    for (const auto& e : entries) page += "<tr><td><a class=\"xA\">" + e + "</a></td></tr>";
    return HttpResponse("200 OK", {}, page + "</table><!-- end --></html>");
}

class ListCheck : public AppTest {
protected:
    ListCheck() { checkListedProxies = true; }
    void UseList(const LoopbackServer& server) {
        Ini().WriteString("URL", "ANONYMOUS", "127.0.0.1:" + std::to_string(server.Port()) + "/pla5.html");
    }
    std::vector<std::string> Items(TfrmMain& f) {
        std::vector<std::string> v;
        for (int i = 0; i < f.cmbProxyList.Count(); ++i) v.push_back(f.cmbProxyList.Item(i));
        return v;
    }
    void GetProxy(TfrmMain& f) { SendMessageW(f.cmdGetList.Handle(), BM_CLICK, 0, 0); }
    // Get Proxy, and the check of the list to its end.
    bool GetProxyChecked(TfrmMain& f) {
        GetProxy(f);
        return RunUntil([&] { return !f.ListCheck->Running(); }, 20000);
    }
    // The window with the watch on at the shortest interval, its balloons recorded.
    TfrmMain& StartWatched(std::function<void()> atBalloon = {}) {
        Ini().WriteString("CHECK", "WATCH", "60");
        watchIntervalMs = 1;
        return StartRecordingBalloons(std::move(atBalloon));
    }
    // Ctrl+N as the keyboard sends it to the list's edit field, where the
    // user types; the message loop turns it into the window's command.
    static void PressCtrlN(TfrmMain& f) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        PostMessageW(EditOf(f.cmbProxyList), WM_KEYDOWN, 'N', 1);
        base::ProcessMessages();
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }
};

}  // namespace

TEST_F(ListCheck, ShowsEachResultAndLeavesTheListAsItWas) {
    StandInProxy answers(Kind::Answers), silent(Kind::Silent);
    const std::string refused = "127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort());
    const std::vector<std::string> entries = {answers.Entry(), refused, silent.Entry(), "1"};
    LoopbackServer list({Reply().Send(Page(entries))});
    UseList(list);
    Ini().WriteString("TIMEOUT", "PROXY", "1");
    Ini().WriteString("URL", "CHECKER1", "tester.example/e/?");
    TfrmMain& f = Start();
    GetProxy(f);
    ASSERT_TRUE(f.ListCheck);
    ASSERT_TRUE(RunUntil([&] { return !f.ListCheck->Running(); }, 20000));

    EXPECT_EQ(Items(f), entries);
    EXPECT_EQ(f.cmbProxyList.Text(), entries[0]);
    std::string written;
    Reg().GetString("ProxyServer", written);
    EXPECT_EQ(written, entries[0]);
    const ui::ItemNote answered = f.cmbProxyList.itemNote(0);
    EXPECT_EQ(answered.text.substr(answered.text.size() - 3), " ms");
    EXPECT_FALSE(answered.dim);
    EXPECT_EQ(f.cmbProxyList.itemNote(1).text, "refused");
    EXPECT_EQ(f.cmbProxyList.itemNote(2).text, "no answer");
    EXPECT_TRUE(f.cmbProxyList.itemNote(2).dim);
    EXPECT_EQ(f.cmbProxyList.itemNote(3).text, "not checkable");
    ASSERT_EQ(answers.Requests().size(), 1u);
    EXPECT_EQ(answers.Requests()[0],
              "HEAD http://tester.example/e/? HTTP/1.0\r\n"
              "Proxy-Connection: Keep-Alive\r\n"
              "Host: tester.example\r\n"
              "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
              "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n"
              "Content-type: application/x-www-form-urlencoded\r\n\r\n");

    // Drawn by the program, the closed box keeps the size and edit field of a plain one.
    EXPECT_EQ(GetWindowLongW(f.cmbProxyList.Handle(), GWL_STYLE) & (CBS_OWNERDRAWFIXED | CBS_HASSTRINGS),
              CBS_OWNERDRAWFIXED | CBS_HASSTRINGS);
    RECT box{}, edit{};
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(f.cmbProxyList.Handle(), &info);
    auto heights = [&] {
        GetWindowRect(f.cmbProxyList.Handle(), &box);
        GetWindowRect(info.hwndItem, &edit);
        return std::to_string(box.bottom - box.top) + " " + std::to_string(edit.left - box.left) + "," +
               std::to_string(edit.top - box.top) + "," + std::to_string(edit.right - edit.left) + "," +
               std::to_string(edit.bottom - edit.top) + " " +
               std::to_string(SendMessageW(f.cmbProxyList.Handle(), CB_GETITEMHEIGHT, 0, 0));
    };
    EXPECT_EQ(heights(), "21 3,3,282,15 13");  // box, edit field, list item
    RECT suggested{0, 0, 700, 400};
    SendMessageW(f.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(heights(), "28 3,3,435,22 20");
}

TEST_F(ListCheck, ANewGetProxyABrowserChangeAndClosingEndIt) {
    StandInProxy silent(Kind::Silent);
    const Reply good = Reply().Send(Page({silent.Entry(), silent.Entry()}));
    LoopbackServer list({good, Reply().Send(HttpResponse("200 OK", {}, "no list here")), good});
    UseList(list);
    TfrmMain& f = Start();
    GetProxy(f);
    ASSERT_TRUE(RunUntil([&] { return silent.Accepted() == 2; }, 10000));
    GetProxy(f);  // fails, and still ends the check of the list it replaced
    EXPECT_EQ(f.stsBar.PanelText(0), "TimeOut");
    EXPECT_FALSE(f.ListCheck->Running());
    ASSERT_TRUE(RunUntil([&] { return silent.Open() == 0; }, 10000));
    GetProxy(f);
    ASSERT_TRUE(RunUntil([&] { return silent.Accepted() == 4 && silent.Open() == 2; }, 10000));

    f.cmbBrowser.SetItemIndex(0);
    f.cmbBrowserClick();
    EXPECT_FALSE(f.ListCheck->Running());
    ASSERT_TRUE(RunUntil([&] { return silent.Open() == 0; }, 10000));

    GetProxy(f);
    ASSERT_TRUE(RunUntil([&] { return silent.Accepted() == 6 && silent.Open() == 2; }, 10000));
    HWND window = f.Handle();
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(f.ListCheck->Running());
    ASSERT_TRUE(RunUntil([&] { return silent.Open() == 0; }, 10000));
    form.reset();
    RunUntil([] { return false; }, 200);  // nothing late may reach the freed check
    EXPECT_EQ(silent.Accepted(), 6);      // one connection per entry and check
}

TEST_F(ListCheck, EnableZeroMakesNoConnection) {
    StandInProxy answers(Kind::Answers);
    LoopbackServer list({Reply().Send(Page({answers.Entry()}))});
    UseList(list);
    Ini().WriteInteger("CHECK", "ENABLE", 0);
    Ini().WriteString("CHECK", "WATCH", "60");  // and no watch either
    watchIntervalMs = 1;
    TfrmMain& f = Start();
    GetProxy(f);
    SendMessageW(f.cmdUseProxy.Handle(), BM_CLICK, 0, 0);
    RunUntil([] { return false; }, 300);
    EXPECT_EQ(Items(f), std::vector<std::string>{answers.Entry()});
    EXPECT_EQ(answers.Accepted(), 0);
    EXPECT_FALSE(f.ListCheck);
    EXPECT_EQ(f.cmbProxyList.itemNote(0).text, "");
}

TEST_F(ListCheck, NextProxyWalksTheAnsweringEntriesAndIsGreyedWithoutOne) {
    StandInProxy a(Kind::Answers), c(Kind::Answers);
    const std::string refused = "127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort());
    LoopbackServer list(
        {Reply().Send(Page({a.Entry(), refused, c.Entry()})), Reply().Send(Page({refused, a.Entry()}))});
    UseList(list);
    TfrmMain& f = Start();
    EXPECT_FALSE(f.PopupMenu.ItemEnabled(f.PM_NextProxy));  // no check yet
    ASSERT_TRUE(GetProxyChecked(f));
    ASSERT_EQ(ProxyServer() + (f.PopupMenu.ItemEnabled(f.PM_NextProxy) ? ", next" : ""),
              a.Entry() + ", next");

    // The other entry that answered, not the next in the list; then the proxy goes on.
    PressCtrlN(f);
    EXPECT_EQ(Switch() + " " + f.cmbProxyList.Text(), c.Entry() + " on " + c.Entry());
    f.PopupMenu.ClickItem(f.PM_NextProxy);  // and round again
    EXPECT_EQ(ProxyServer(), a.Entry());

    // A new list where one entry answers: once it is in use, nothing is
    // left to switch to.
    ASSERT_TRUE(GetProxyChecked(f));
    PressCtrlN(f);
    EXPECT_EQ(ProxyServer(), a.Entry());
    EXPECT_FALSE(f.PopupMenu.ItemEnabled(f.PM_NextProxy));
    PressCtrlN(f);
    EXPECT_EQ(ProxyServer() + " " + f.cmbProxyList.Text(), a.Entry() + " " + a.Entry());
}

TEST_F(ListCheck, TheWatchTellsOfTwoFailuresInARowAndAutoNextSwitches) {
    StandInProxy a(Kind::ClosesAtOnce), c(Kind::ClosesAtOnce);
    // Connection 0 is the check's; the watch's asks follow it.
    a.Script({Kind::Answers, Kind::Answers, Kind::ClosesAtOnce, Kind::Answers, Kind::ClosesAtOnce});
    c.Script({Kind::Answers});
    const std::string refused = "127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort());
    LoopbackServer list({Reply().Send(Page({a.Entry(), refused, c.Entry()}))});
    UseList(list);
    Ini().WriteInteger("TERMINAL", "OPTION", 0);
    int askedAtFirst = 0;
    TfrmMain& f = StartWatched([&] {
        if (balloons.empty()) askedAtFirst = a.Accepted();
    });
    ASSERT_TRUE(GetProxyChecked(f));
    SendMessageW(f.cmdUseProxy.Handle(), BM_CLICK, 0, 0);  // the first entry is in use: watched

    ASSERT_TRUE(RunUntil([&] { return balloons.size() == 1; }, 30000));
    // Answered, failed, answered (the count starts again), failed, failed.
    EXPECT_EQ(askedAtFirst, 6);
    EXPECT_EQ(balloons[0] + " " + ProxyServer() + " " + f.cmbProxyList.itemNote(0).text,
              "Quillbarrow: " + a.Entry() + " stopped answering. " + a.Entry() + " no answer");

    // Direct and Use Proxy watch it afresh; with AUTONEXT=1 two failures switch.
    Ini().WriteInteger("CHECK", "AUTONEXT", 1);
    SendMessageW(f.cmdUseProxy.Handle(), BM_CLICK, 0, 0);
    SendMessageW(f.cmdUseProxy.Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(RunUntil([&] { return balloons.size() == 2; }, 30000));
    EXPECT_EQ(
        balloons[1] + " " + ProxyServer(),
        "Quillbarrow: " + a.Entry() + " stopped answering. Switched to " + c.Entry() + ". " + c.Entry());
    // The first entry has failed since the check: when this one stops too,
    // there is nothing left to switch to.
    ASSERT_TRUE(RunUntil([&] { return balloons.size() == 3; }, 30000));
    EXPECT_EQ(balloons[2] + " " + ProxyServer(),
              "Quillbarrow: " + c.Entry() +
                  " stopped answering. No other listed proxy answered in the last check. " + c.Entry());

    f.cmbBrowserClick();  // the same browser again, still on the proxy: watched afresh
    EXPECT_EQ(f.InUseWatch->FailuresInARow(), 0);
}

// Firefox open, its proxy typed by hand and in no list: the watch asks it,
// switches nothing, and tells it in a balloon, never a box.
TEST_F(ListCheck, TheWatchSwitchesNothingWhileFirefoxIsOpen) {
    StandInProxy inUse(Kind::Answers), other(Kind::Answers);
    RunFirefox(
        "user_pref(\"network.proxy.http\", \"127.0.0.1\");\n"
        "user_pref(\"network.proxy.http_port\", " +
        std::to_string(inUse.Port()) + ");\nuser_pref(\"network.proxy.type\", 1);\n");
    LoopbackServer list({Reply().Send(Page({other.Entry()}))});
    UseList(list);
    Ini().WriteInteger("CHECK", "AUTONEXT", 1);
    ASSERT_TRUE(GetProxyChecked(StartWatched()));
    testing_support::Notices().clear();  // Get Proxy's first entry, refused
    inUse.SetKind(Kind::ClosesAtOnce);
    ASSERT_TRUE(RunUntil([&] { return balloons.size() == 1; }, 30000));
    base::ProcessMessages();
    EXPECT_EQ(balloons[0], "Quillbarrow: " + inUse.Entry() +
                               " stopped answering. Firefox is open, so no other proxy was switched to.");
    EXPECT_TRUE(testing_support::Notices().empty());
    EXPECT_EQ(form->ProxyText, inUse.Entry());
}

// Refused by a running Firefox, Next Proxy asks once, and Yes makes the whole step.
TEST_F(ListCheck, NextProxyRefusedByFirefoxIsMadeWholeByYes) {
    StandInProxy other(Kind::Answers);
    RunFirefox("");
    LoopbackServer list({Reply().Send(Page({other.Entry()}))});
    UseList(list);
    TfrmMain& f = Start();
    ASSERT_TRUE(GetProxyChecked(f));
    testing_support::AnswerYes() = true;
    PressCtrlN(f);
    base::ProcessMessages();
    EXPECT_EQ(Switch(), other.Entry() + " on");
}
