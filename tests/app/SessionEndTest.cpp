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

TEST_F(SessionEnd, TrueEndsAsClosingDoesAndFalseDoesNothing) {
    Reg().SetDword("ProxyEnable", 1);
    TfrmMain& f = Start();
    HWND hwnd = f.Handle();
    SetWindowPos(hwnd, nullptr, 210, 220, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(SendMessageW(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageW(hwnd, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);  // the log-off was cancelled
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 1u);
    EXPECT_FALSE(scratch::Exists(IniPath()));

    // The waiting edit, the termination choice, the position, and the end.
    SendMessageW(EditOf(f.cmbProxyList), EM_SETSEL, 0, -1);
    Type(f.cmbProxyList, L"192.0.2.9:3128");
    EndTheSession(hwnd);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(ProxyServer(), "192.0.2.9:3128");
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 0u);
    EXPECT_EQ(Ini().ReadInteger("POSITION", "M_LEFT", 0), 210);
    EXPECT_EQ(Ini().ReadInteger("POSITION", "M_TOP", 0), 220);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

// The session ends inside a fetch from a silent server, during the check of
// the listed proxies, and while a notice is open: the termination choice is
// applied at once and only once, and the window ends without a box.
TEST_F(SessionEnd, EndsAtOnceWhateverWaits) {
    Ini().WriteString("TIMEOUT", "PROXY", "60");
    qbtest::StandInProxy silentProxy(qbtest::StandInProxy::Kind::Silent);
    LoopbackServer pages(
        {Reply().Stall(), Reply().Send(HttpResponse("200 OK", {},
                                                    "<tr><th>hour</th></tr><a class=\"xA\">" +
                                                        silentProxy.Entry() + "</a><!-- end -->"))});
    Ini().WriteString("URL", "ANONYMOUS", "127.0.0.1:" + std::to_string(pages.Port()) + "/pla5.html");
    {
        SCOPED_TRACE("a fetch from a silent server");
        Reg().SetDword("ProxyEnable", 1);
        TfrmMain& f = Start();
        HWND hwnd = f.Handle();
        bool ended = false, appliedInside = false;
        {
            During end(20, [&] {
                if (ended || !f.Fetching()) return;
                ended = true;
                EndTheSession(hwnd);
                appliedInside = Reg().GetDword("ProxyEnable") == 0;
                // Whatever comes after applies nothing again.
                Reg().SetDword("ProxyEnable", 1);
                SendMessageW(hwnd, WM_CLOSE, 0, 0);
                EndTheSession(hwnd);
            });
            SendMessageW(f.cmdGetList.Handle(), BM_CLICK, 0, 0);
        }
        EXPECT_TRUE(appliedInside);
        EXPECT_FALSE(f.Inet->IsTimedOut());
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(Reg().GetDword("ProxyEnable"), 1u);
        form.reset();
        DrainQuit();
    }
    {
        SCOPED_TRACE("the check of the list");
        checkListedProxies = true;
        Reg().SetDword("ProxyEnable", 1);
        TfrmMain& f = Start();
        SendMessageW(f.cmdGetList.Handle(), BM_CLICK, 0, 0);
        ASSERT_TRUE(f.ListCheck && f.ListCheck->Running());
        EndTheSession(f.Handle());
        EXPECT_FALSE(IsWindow(f.Handle()));
        EXPECT_FALSE(f.ListCheck->Running());
        EXPECT_EQ(Reg().GetDword("ProxyEnable"), 0u);
        form.reset();
        DrainQuit();
    }
    {
        SCOPED_TRACE("an ask of the watch on the proxy in use");
        qbtest::StandInProxy inUse(qbtest::StandInProxy::Kind::Silent);
        Reg().SetString("ProxyServer", inUse.Entry());
        Reg().SetDword("ProxyEnable", 1);
        Ini().WriteString("CHECK", "WATCH", "60");
        checkListedProxies = true;
        watchIntervalMs = 1;
        TfrmMain& f = Start();
        ASSERT_TRUE(PumpUntil([&] { return inUse.Open() == 1; }));
        EndTheSession(f.Handle());
        EXPECT_FALSE(IsWindow(f.Handle()));
        EXPECT_FALSE(f.InUseWatch->Running());
        EXPECT_EQ(Reg().GetDword("ProxyEnable"), 0u);
        EXPECT_TRUE(PumpUntil([&] { return inUse.Open() == 0; }));
        EXPECT_EQ(inUse.Accepted(), 1);
        form.reset();
        DrainQuit();
    }
    {
        SCOPED_TRACE("a notice open");
        DeleteFileW(base::Widen(IniPath()).c_str());
        RunFirefox("");
        testing_support::ErrorBoxes().clear();
        static HWND window;
        static int shown;
        shown = 0;
        // Yes, once the session has ended, changes nothing.
        base::SetQuestionHook([](HWND, const std::string&) {
            ++shown;
            EndTheSession(window);
            return true;
        });
        window = Start().Handle();
        SendMessageW(form->cmdUseProxy.Handle(), BM_CLICK, 0, 0);
        base::ProcessMessages();
        testing_support::InstallErrorBoxRecorder();
        EXPECT_EQ(shown, 1);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(Ini().ReadInteger("POSITION", "M_TOP", 0), 300);
        EXPECT_EQ(Ini().ReadInteger("FIREFOX", "FOLLOW_WINDOWS", -1), -1);
        EXPECT_TRUE(testing_support::ErrorBoxes().empty());
    }
}
