// What Chrome on Windows would see after the program's switches: WinHTTP's
// view of the current user's proxy configuration, read from the real user
// key of this run's throwaway prefix, and a WinHTTP request sent the way
// Chrome sends it, through the proxy that view names.
#include <windows.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/Remote.h"
#include "settings/RegFile.h"
#include "support/StandInProxy.h"
#include "base/Text.h"

using namespace e2e;

namespace {

constexpr char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

std::string Taken(LPWSTR text) {
    std::string out = text ? base::Narrow(text) : "<null>";
    if (text) GlobalFree(text);
    return out;
}

// Auto-detect, auto-configuration URL, proxy and bypass list, as WinHTTP
// reports them.
std::string WinHttpView(std::string* proxy = nullptr, std::string* bypass = nullptr) {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG c{};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&c)) return "<failed>";
    std::string view = std::string(c.fAutoDetect ? "auto " : "manual ") + Taken(c.lpszAutoConfigUrl);
    std::string p = Taken(c.lpszProxy), b = Taken(c.lpszProxyBypass);
    if (proxy) *proxy = p, *bypass = b;
    return view + " " + p + " " + b;
}

// A GET for http://127.0.0.1:9/through-proxy (where nothing listens) sent as
// Chrome sends it, with the proxy and bypass list that WinHTTP reports: only
// the proxy can answer it.
DWORD StatusThroughTheReportedProxy() {
    std::string proxy, bypass;
    WinHttpView(&proxy, &bypass);
    HINTERNET session = WinHttpOpen(L"e2e", WINHTTP_ACCESS_TYPE_NAMED_PROXY, base::Widen(proxy).c_str(),
                                    base::Widen(bypass).c_str(), 0);
    HINTERNET connection = session ? WinHttpConnect(session, L"127.0.0.1", 9, 0) : nullptr;
    HINTERNET request = connection ? WinHttpOpenRequest(connection, L"GET", L"/through-proxy", nullptr,
                                                        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0)
                                   : nullptr;
    DWORD status = 0, size = sizeof status;
    if (request && WinHttpSetTimeouts(request, 10000, 10000, 10000, 10000) &&
        WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
        WinHttpReceiveResponse(request, nullptr)) {
        WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
    }
    for (HINTERNET h : {request, connection, session})
        if (h) WinHttpCloseHandle(h);
    return status;
}

}  // namespace

TEST(WinHttp, SeesTheSwitchesAndSendsThroughTheWrittenProxy) {
    qbtest::StandInProxy proxy(qbtest::StandInProxy::Kind::Answers);
    // As Windows leaves it: auto-detect and a script on, a bypass list kept
    // for the manual proxy, and its tail of zeros.
    const std::string script = "http://127.0.0.1:9/proxy.pac", bypass = "*.example;<local>";
    RegFile(std::string(kInternetSettings) + "\\Connections")
        .SetBinary("DefaultConnectionSettings",
                   std::string("\x46\0\0\0\x05\0\0\0\x0D\0\0\0\x05\0\0\0old:1\x11\0\0\0", 25) + bypass +
                       std::string("\x1C\0\0\0", 4) + script + std::string(32, '\0'));
    RegFile(kInternetSettings).SetDword("ProxyEnable", 0);
    RegFile(kInternetSettings).SetString("ProxyServer", proxy.Entry());

    ProgramCopy program(CopyProgramTo("winhttp"));
    HWND w = program.MainWindow();
    HWND use = w ? Child(w, L"Button", L"Use Proxy (&P)") : nullptr;
    if (use) {
        Click(use);
        EXPECT_TRUE(WaitFor([&] { return TextOf(use) == L"Direct (&P)"; }, 10000));
        EXPECT_EQ(WinHttpView(), "auto " + script + " " + proxy.Entry() + " " + bypass);
        EXPECT_EQ(StatusThroughTheReportedProxy(), 200u);
        // Wine's WinHTTP names only the path in the request line, even to a
        // proxy; the Host line names the server that was asked for.
        ASSERT_EQ(proxy.Requests().size(), 1u);
        EXPECT_NE(proxy.Requests()[0].find("\r\nHost: 127.0.0.1:9\r\n"), std::string::npos)
            << proxy.Requests()[0];

        Click(use);
        EXPECT_TRUE(WaitFor([&] { return TextOf(use) == L"Use Proxy (&P)"; }, 10000));
        EXPECT_EQ(WinHttpView(), "auto " + script + " <null> <null>");
        PostMessageW(w, WM_CLOSE, 0, 0);
    }
    program.ExitCode();  // the close, or 30 s before the copy is ended by force
    ASSERT_TRUE(use) << "the main window or its Use Proxy button did not appear";
}
