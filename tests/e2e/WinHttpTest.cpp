// What Chrome on Windows would see after the program's switches: WinHTTP's
// view of the current user's proxy configuration, read from the real user
// key of this run's throwaway prefix, and a WinHTTP request sent the way
// Chrome sends it, through the proxy that view names.
#include <windows.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/Remote.h"
#include "support/Scratch.h"
#include "support/StandInProxy.h"
#include "base/Text.h"

using namespace e2e;

namespace {

constexpr wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

std::wstring Taken(LPWSTR text) {
    std::wstring out = text ? text : L"<null>";
    if (text) GlobalFree(text);
    return out;
}

// Auto-detect, auto-configuration URL, proxy and bypass list, as WinHTTP reports them.
std::wstring WinHttpView() {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG c{};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&c)) return L"<failed>";
    std::wstring view = c.fAutoDetect ? L"auto " : L"manual ";
    view += Taken(c.lpszAutoConfigUrl) + L" ";
    view += Taken(c.lpszProxy) + L" ";
    return view + Taken(c.lpszProxyBypass);
}

void SetValue(const wchar_t* subkey, const wchar_t* name, DWORD type, const void* data, size_t size) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, subkey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
    RegCloseKey(key);
}

// A GET for http://127.0.0.1:9/through-proxy (where nothing listens) sent as
// Chrome sends it, with the proxy and bypass list that WinHTTP reports: only
// the proxy can answer it.
DWORD StatusThroughTheReportedProxy() {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG c{};
    WinHttpGetIEProxyConfigForCurrentUser(&c);
    Taken(c.lpszAutoConfigUrl);
    const std::wstring proxy = Taken(c.lpszProxy), bypass = Taken(c.lpszProxyBypass);
    HINTERNET session =
        WinHttpOpen(L"e2e", WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.c_str(), bypass.c_str(), 0);
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
    const std::wstring entry = base::Widen(proxy.Entry());
    // As Windows leaves it: auto-detect and a script on, a bypass list kept
    // for the manual proxy, and its tail of zeros.
    const std::string bypass = "*.example;<local>", script = "http://127.0.0.1:9/proxy.pac";
    std::string value("\x46\0\0\0\x05\0\0\0\x0D\0\0\0\x05\0\0\0old:1", 21);
    value += std::string(1, char(bypass.size())) + std::string(3, '\0') + bypass;
    value += std::string(1, char(script.size())) + std::string(3, '\0') + script + std::string(32, '\0');
    SetValue((std::wstring(kInternetSettings) + L"\\Connections").c_str(), L"DefaultConnectionSettings",
             REG_BINARY, value.data(), value.size());
    const DWORD off = 0;
    SetValue(kInternetSettings, L"ProxyEnable", REG_DWORD, &off, sizeof off);
    SetValue(kInternetSettings, L"ProxyServer", REG_SZ, entry.c_str(), (entry.size() + 1) * sizeof(wchar_t));

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring build = self;
    build.resize(build.find_last_of(L'\\'));
    const std::wstring folder = build + L"\\e2e-scratch\\winhttp";
    scratch::MakeFolders(base::Narrow(folder));
    DeleteFileW((folder + L"\\Quillbarrow.ini").c_str());
    const std::wstring exe = folder + L"\\Quillbarrow.exe";
    CopyFileW((build + L"\\Quillbarrow.exe").c_str(), exe.c_str(), FALSE);
    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                               &si, &pi));
    HWND w = WaitTopLevel(pi.dwProcessId, L"Quillbarrow2012 for", 30000);
    HWND use = w ? Child(w, L"Button", L"Use Proxy (&P)") : nullptr;
    if (use) {
        Click(use);
        EXPECT_TRUE(WaitFor([&] { return TextOf(use) == L"Direct (&P)"; }, 10000));
        EXPECT_EQ(WinHttpView(), L"auto " + base::Widen(script) + L" " + entry + L" " + base::Widen(bypass));
        EXPECT_EQ(StatusThroughTheReportedProxy(), 200u);
        ASSERT_EQ(proxy.Requests().size(), 1u);
        // Wine's WinHTTP names only the path in the request line, even to a
        // proxy; the Host line names the server that was asked for.
        const std::string request = proxy.Requests()[0];
        EXPECT_EQ(request.rfind("GET ", 0), 0u) << request;
        EXPECT_NE(request.find("\r\nHost: 127.0.0.1:9\r\n"), std::string::npos) << request;

        Click(use);
        EXPECT_TRUE(WaitFor([&] { return TextOf(use) == L"Use Proxy (&P)"; }, 10000));
        EXPECT_EQ(WinHttpView(), L"auto " + base::Widen(script) + L" <null> <null>");
        PostMessageW(w, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(use) << "the main window or its Use Proxy button did not appear";
}
