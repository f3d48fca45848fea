// Log-off and shut-down end the program as closing it does: at once, once,
// whatever waits.
#include <gtest/gtest.h>

#include "app/AppFixture.h"
#include "base/Notice.h"
#include "base/Text.h"
#include "list/ProxyCheck.h"
#include "list/ProxyWatch.h"
#include "net/HttpClient.h"
#include "support/LoopbackServer.h"
#include "support/StandInProxy.h"

using qbtest::HttpResponse;
using qbtest::LoopbackServer;
using qbtest::Reply;

namespace {

using SessionEnd = AppTest;

void EndTheSession(HWND window) { SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF); }

}  // namespace

// The position and the program's end are pinned end to end.
TEST_F(SessionEnd, TrueEndsAsClosingDoesAndFalseDoesNothing) {
    Reg().SetDword("ProxyEnable", 1);
    TfrmMain& f = Start();
    HWND hwnd = f.Handle();
    SendMessageW(EditOf(f.cmbProxyList), EM_SETSEL, 0, -1);
    Type(f.cmbProxyList, L"192.0.2.9:3128");
    auto state = [&] { return Switch() + (IsWindow(hwnd) ? " shown" : " gone"); };
    EXPECT_EQ(SendMessageW(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageW(hwnd, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);  // the log-off was cancelled
    EXPECT_EQ(state(), " on shown");
    // The waiting edit, then the termination choice.
    EndTheSession(hwnd);
    EXPECT_EQ(state(), "192.0.2.9:3128 off gone");
}

// The session ends inside a fetch from a silent server, during the check of
// the listed proxies and an ask of the watch, and while a notice is open: the
// termination choice is applied at once and only once, and the window ends
// without a box.
TEST_F(SessionEnd, EndsAtOnceWhateverWaits) {
    Reg().SetString("ProxyServer", "192.0.2.1:80");
    Ini().WriteString("TIMEOUT", "PROXY", "60");
    qbtest::StandInProxy silent(qbtest::StandInProxy::Kind::Silent);
    LoopbackServer pages(
        {Reply().Stall(),
         Reply().Send(HttpResponse(
             "200 OK", {}, "<tr><th>hour</th></tr><a class=\"xA\">" + silent.Entry() + "</a><!-- end -->"))});
    Ini().WriteString("URL", "ANONYMOUS", "127.0.0.1:" + std::to_string(pages.Port()) + "/pla5.html");
    {
        SCOPED_TRACE("a fetch from a silent server");
        Reg().SetDword("ProxyEnable", 1);
        TfrmMain& f = Start();
        HWND hwnd = f.Handle();
        std::string inside;
        During end(20, [&] {
            if (!inside.empty() || !f.Fetching()) return;
            EndTheSession(hwnd);
            inside = Switch();
            // Whatever comes after applies nothing again.
            Reg().SetDword("ProxyEnable", 1);
            SendMessageW(hwnd, WM_CLOSE, 0, 0);
            EndTheSession(hwnd);
        });
        Click(f.cmdGetList);
        EXPECT_EQ(inside + (IsWindow(hwnd) ? ", shown, " : ", gone, ") + Switch(),
                  "192.0.2.1:80 off, gone, 192.0.2.1:80 on");
        EXPECT_FALSE(f.Inet->IsTimedOut());
        form.reset();
        DrainQuit();
    }
    {
        SCOPED_TRACE("the check of the list, and an ask of the watch on its first entry");
        checkListedProxies = true;
        Ini().WriteString("CHECK", "WATCH", "60");
        watchIntervalMs = 1;
        Reg().SetDword("ProxyEnable", 1);
        TfrmMain& f = Start();
        Click(f.cmdGetList);
        ASSERT_TRUE(RunUntil([&] { return silent.Open() == 2; }));
        EndTheSession(f.Handle());
        EXPECT_EQ(std::string(f.ListCheck->Running() ? "checking, " : "") +
                      (f.InUseWatch->Running() ? "watching, " : "") + Switch(),
                  silent.Entry() + " off");
        EXPECT_TRUE(RunUntil([&] { return silent.Open() == 0; }));
        EXPECT_EQ(silent.Accepted(), 2);
        form.reset();
        DrainQuit();
    }
    {
        SCOPED_TRACE("a notice open");
        DeleteFileW(base::Widen(IniPath()).c_str());
        RunFirefox("");
        testing_support::ErrorBoxes().clear();
        static int shown;
        shown = 0;
        // Yes, once the session has ended, changes nothing.
        base::SetQuestionHook([](HWND owner, const std::string&) {
            ++shown;
            EndTheSession(owner);
            return true;
        });
        HWND window = Start().Handle();
        SendMessageW(form->cmdUseProxy.Handle(), BM_CLICK, 0, 0);
        base::ProcessMessages();
        testing_support::InstallErrorBoxRecorder();
        EXPECT_EQ(std::to_string(shown) + (IsWindow(window) ? " shown" : " gone") + ", top " +
                      Ini().ReadString("POSITION", "M_TOP", "-") + ", follow " +
                      Ini().ReadString("FIREFOX", "FOLLOW_WINDOWS", "-") + ", boxes " +
                      std::to_string(testing_support::ErrorBoxes().size()),
                  "1 gone, top 300, follow -, boxes 0");
    }
}
