// Reads the proxy exactly as a running Firefox in its "system" mode
// (network.proxy.type 5) does for each new connection: the default
// connection's per-connection options from WinINet, asked again every 100 ms
// with nothing kept in between. It runs until it is ended.
//
//   SystemProxyReader.exe <report file>
//
// Each time the answer differs from the one before, one line is appended to
// the report file: "direct", "proxy <server>", or "failed".
#include <windows.h>
#include <wininet.h>

#include <string>

#include "base/Handles.h"
#include "base/Text.h"

namespace {

std::string AskLikeFirefox() {
    INTERNET_PER_CONN_OPTIONW options[2] = {};
    options[0].dwOption = INTERNET_PER_CONN_FLAGS_UI;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    INTERNET_PER_CONN_OPTION_LISTW list{};
    list.dwSize = sizeof list;
    list.pszConnection = nullptr;  // the default connection
    list.dwOptionCount = 2;
    list.pOptions = options;
    DWORD size = sizeof list;
    if (!InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size)) {
        // Systems before Internet Explorer 8 know only the plain flags.
        options[0].dwOption = INTERNET_PER_CONN_FLAGS;
        size = sizeof list;
        if (!InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size))
            return "failed";
    }
    std::string server = options[1].Value.pszValue ? base::Narrow(options[1].Value.pszValue) : "";
    if (options[1].Value.pszValue) GlobalFree(options[1].Value.pszValue);
    return options[0].Value.dwValue & PROXY_TYPE_PROXY ? "proxy " + server : "direct";
}

void Append(const std::wstring& path, const std::string& line) {
    // Shared, so the test can read the report while this process runs.
    HANDLE h =
        CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    base::UniqueHandle file(h);
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    std::string last;
    for (;;) {
        std::string seen = AskLikeFirefox();
        if (seen != last) Append(argv[1], seen);
        last = std::move(seen);
        Sleep(100);
    }
}
