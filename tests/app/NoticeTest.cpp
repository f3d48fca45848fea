// What the main window has to tell opens once the command is done, and where
// the user can see it.
#include <gtest/gtest.h>

#include <tuple>

#include "app/AppFixture.h"
#include "base/Notice.h"
#include "list/ProxyCheck.h"
#include "support/LoopbackServer.h"
#include "support/StandInProxy.h"

using qbtest::HttpResponse;
using qbtest::LoopbackServer;
using qbtest::Reply;

using Notices = AppTest;

// Get Proxy writes its first entry inside the fetch; the notice waits until
// the command has given the button back and started the check.
TEST_F(Notices, GetProxyTellsOnceItIsDone) {
    RunFirefox("");
    checkListedProxies = true;
    qbtest::StandInProxy silent(qbtest::StandInProxy::Kind::Silent);
    LoopbackServer list({Reply().Send(HttpResponse(
        "200 OK", {}, "<tr><th>hour</th></tr><a class=\"xA\">" + silent.Entry() + "</a><!-- end -->"))});
    Ini().WriteString("URL", "ANONYMOUS", "127.0.0.1:" + std::to_string(list.Port()) + "/pla5.html");
    static TfrmMain* f;
    static std::string seen;
    seen.clear();
    base::SetQuestionHook([](HWND, const std::string&) {
        seen += std::string(f->cmdGetList.Enabled() ? "enabled" : "greyed") +
                (f->PopupMenu.ItemEnabled(f->PM_GetProxy) ? " enabled" : " greyed") +
                (f->ListCheck && f->ListCheck->Running() ? " checking;" : " not checking;");
        return false;
    });
    f = &Start();
    SendMessageW(f->cmdGetList.Handle(), BM_CLICK, 0, 0);
    base::ProcessMessages();
    testing_support::InstallErrorBoxRecorder();
    EXPECT_EQ(seen, "enabled enabled checking;");
}

// Hidden in the notification area the window has no taskbar button: the
// icon tells it in a balloon, and no box opens.
TEST_F(Notices, HiddenInTheTrayTheIconTellsIt) {
    RunFirefox("");
    TfrmMain& f = StartRecordingBalloons();
    SendMessageW(f.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    auto& boxes = testing_support::Notices();
    auto told = [&] {
        return std::to_string(balloons.size()) + " balloon, " + std::to_string(boxes.size()) + " box" +
               (boxes.size() == 1 && boxes[0].question ? ", a question" : "");
    };
    f.PopupMenu.ClickItem(f.PM_UseProxy);
    base::ProcessMessages();
    EXPECT_EQ(told(), "1 balloon, 0 box");
    EXPECT_EQ(balloons.at(0).substr(0, 29), "Quillbarrow: Firefox is open.");
    // Shown again, the window asks what the balloon could only tell.
    f.PopupMenu.ClickItem(f.PM_Open);
    base::ProcessMessages();
    EXPECT_EQ(told(), "1 balloon, 1 box, a question");
}

// A switch that the running Firefox kept out asks whether Firefox should
// follow the Windows settings. Two commands before the window gets to it:
// one question, and Yes makes both switches there; Use Proxy alone means the
// proxy the window showed, held in prefs.js.
TEST_F(Notices, YesHasFirefoxFollowTheWindowsSettingsAndMakesTheSwitchNoChangesNothing) {
    RunFirefox(
        "user_pref(\"network.proxy.http\", \"192.0.2.11\");\nuser_pref(\"network.proxy.http_port\", "
        "3128);\n");
    const std::string userJs = prefs.substr(0, prefs.rfind('\\')) + "\\user.js";
    Reg().SetString("ProxyServer", "192.0.2.1:80");
    Ini().WriteString("URL", "DEFAULT", "192.0.2.62:8062");
    TfrmMain& f = Start();
    auto& notices = testing_support::Notices();
    auto state = [&] {
        const bool askedOnce = notices.size() == 1 && notices[0].question;
        notices.clear();
        return (askedOnce ? "asked once, " : "") + Ini().ReadString("FIREFOX", "FOLLOW_WINDOWS", "-") +
               (scratch::Exists(userJs) ? " user.js " : " ") + Switch();
    };
    for (auto [yes, useDefault, after] : {std::tuple{false, true, "asked once, 0 192.0.2.1:80 off"},
                                          {true, true, "asked once, 1 user.js 192.0.2.62:8062 on"},
                                          {true, false, "asked once, 1 user.js 192.0.2.11:3128 on"}}) {
        f.SetFirefoxFollowsWindows(false);  // each row starts from prefs.js
        testing_support::AnswerYes() = yes;
        if (useDefault) SendMessageW(f.cmdUseDefault.Handle(), BM_CLICK, 0, 0);
        SendMessageW(f.cmdUseProxy.Handle(), BM_CLICK, 0, 0);
        base::ProcessMessages();
        EXPECT_EQ(state(), after);
    }
    EXPECT_EQ(f.stsBar.PanelText(1), "Using 192.0.2.11:3128");
}
