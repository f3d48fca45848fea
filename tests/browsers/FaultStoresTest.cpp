// Browser stores under attack: preference files that another program holds
// open with no sharing, and proxy addresses with control characters or a
// 10,000-character host. Every call must return, the files must stay whole,
// and no handle may stay open afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include "browsers/Proxy.h"
#include "settings/IniFile.h"
#include "settings/RegFile.h"
#include "support/Scratch.h"
#include "base/Error.h"
#include "base/Text.h"

namespace {

const std::string kPrefs =
    "user_pref(\"browser.startup.page\", 3);\r\n"
    "user_pref(\"network.proxy.http\", \"192.0.2.1\");\r\n"
    "user_pref(\"network.proxy.http_port\", 8080);\r\n"
    "user_pref(\"network.proxy.type\", 1);\r\n";
const std::string kOperaPrefs =
    "[User Prefs]\r\nLanguage=ja\r\n[Proxy]\r\nUse HTTP=1\r\nHTTP Server=192.0.2.4:80\r\n";

DWORD HandleCount() {
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    return n;
}

// Holds a file open the way a program that wants it to itself does.
class Exclusive {
public:
    explicit Exclusive(const std::string& path)
        : h_(CreateFileW(base::Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~Exclusive() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    bool Held() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

// One scratch world for all three stores: a registry key for Internet
// Explorer and Chrome, a Firefox profile, and an operaprefs.ini named in the
// settings file.
class FaultStores : public ::testing::Test {
protected:
    void SetUp() override {
        prefs_ = scratch::MakeFirefoxProfile(appData_.Path());
        profile_ = prefs_.substr(0, prefs_.rfind('\\'));
        scratch::WriteBytes(prefs_, kPrefs);
        opera_ = folder_ / "operaprefs.ini";
        scratch::WriteBytes(opera_, kOperaPrefs);
        scratch::WriteBytes(folder_ / "Quillbarrow.ini", "[OPERA]\r\nINIFILE=" + opera_ + "\r\n");
        RegFile(key_.Path()).SetString("ProxyServer", "ftp=10.0.0.1:21;http=192.0.2.1:8080");
        RegFile(key_.Path()).SetDword("ProxyEnable", 1);
    }
    BrowserStores Stores() { return {key_.Path(), folder_ / "Quillbarrow.ini", appData_.Path()}; }
    std::string RegServer() {
        std::string value = "<none>";
        RegFile(key_.Path()).GetString("ProxyServer", value);
        return value;
    }
    // Runs fn; the text of an exception it raises, or "" when none.
    template <typename Fn>
    static std::string Raised(Fn&& fn) {
        try {
            fn();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }

    scratch::RegistryKey key_;
    scratch::Folder folder_;
    scratch::Folder appData_;
    std::string profile_, prefs_, opera_;
};

}  // namespace

TEST_F(FaultStores, PrefsJsHeldWithoutSharingReadsDirectAndIsNotTouched) {
    DWORD before = HandleCount();
    {
        Proxy proxy(Stores());
        proxy.SelectBrowser(2);
        Exclusive lock(prefs_);
        ASSERT_TRUE(lock.Held());
        EXPECT_EQ(proxy.GetEnabled(), 0);
        std::string server = "stale";
        proxy.GetServer(server);
        EXPECT_EQ(server, "");
        EXPECT_EQ(Raised([&] { proxy.SetEnabled(0); }), "");
        EXPECT_EQ(Raised([&] { proxy.SetServer("192.0.2.9:3128"); }), "");
    }
    EXPECT_EQ(scratch::ReadBytes(prefs_), kPrefs);
    EXPECT_FALSE(scratch::Exists(profile_ + "\\Temp.cfg"));
    EXPECT_EQ(HandleCount(), before);
}

TEST_F(FaultStores, OperaPrefsHeldWithoutSharingReadsDirectAndRefusesWrites) {
    DWORD before = HandleCount();
    std::string setError;
    {
        Proxy proxy(Stores());
        proxy.SelectBrowser(3);
        Exclusive lock(opera_);
        ASSERT_TRUE(lock.Held());
        EXPECT_EQ(proxy.GetEnabled(), 0);
        std::string server;
        proxy.GetServer(server);
        EXPECT_EQ(server, "0");  // the missing-value text, as for an absent key
        setError = Raised([&] { proxy.SetServer("192.0.2.9:3128"); });
        EXPECT_EQ(Raised([&] { proxy.SetEnabled(0); }), setError);
    }
    // Refused with the settings write error, which the main window shows.
    EXPECT_EQ(setError, opera_ + " に書き込めません");
    EXPECT_EQ(scratch::ReadBytes(opera_), kOperaPrefs);
    EXPECT_EQ(HandleCount(), before);
}

TEST_F(FaultStores, ControlCharactersNeverSplitALineOrASection) {
    const std::string hostile = "evil\r\n[Proxy]\r\nUse HTTP=0\r\nx\t\x01:80";
    DWORD before = HandleCount();
    for (BrowserKind kind : {0, 2, 3}) {
        Proxy proxy(Stores());
        proxy.SelectBrowser(kind);
        std::string server;
        proxy.GetServer(server);  // as the main window does before a change
        EXPECT_EQ(Raised([&] { proxy.SetServer(hostile); }), "") << kind;
        proxy.GetServer(server);
        // Every store refuses it and keeps its address.
        EXPECT_EQ(server, kind == 3 ? "192.0.2.4:80" : "192.0.2.1:8080");
    }
    // prefs.js: refused as a whole, every line as it was.
    EXPECT_EQ(scratch::ReadBytes(prefs_), kPrefs);
    // operaprefs.ini: still one Proxy section whose switch was not turned off.
    IniFile opera(opera_);
    EXPECT_EQ(opera.ReadString("Proxy", "Use HTTP", ""), "1");
    EXPECT_EQ(opera.ReadString("User Prefs", "Language", ""), "ja");
    std::string text = scratch::ReadBytes(opera_);
    EXPECT_EQ(text.find("[Proxy]"), text.rfind("[Proxy]")) << text;
    // The registry: the value as it was, the other protocol's entry included.
    EXPECT_EQ(RegServer(), "ftp=10.0.0.1:21;http=192.0.2.1:8080");
    EXPECT_EQ(HandleCount(), before);
}

TEST_F(FaultStores, TenThousandCharacterHostIsCutToTheProxyField) {
    const std::string longHost = std::string(10000, 'h') + ":8080";
    DWORD before = HandleCount();
    for (BrowserKind kind : {0, 2, 3}) {
        Proxy proxy(Stores());
        proxy.SelectBrowser(kind);
        std::string server;
        proxy.GetServer(server);
        EXPECT_EQ(Raised([&] { proxy.SetServer(longHost); }), "") << kind;
        proxy.GetServer(server);
        // The cut leaves 99 "h" and no port; prefs.js takes no address
        // without one and keeps its own.
        EXPECT_EQ(server, kind == 2 ? "192.0.2.1:8080" : std::string(99, 'h')) << kind;
    }
    EXPECT_EQ(RegServer(), "ftp=10.0.0.1:21;http=" + std::string(99, 'h'));
    EXPECT_EQ(IniFile(opera_).ReadString("Proxy", "HTTP Server", ""), std::string(99, 'h'));
    EXPECT_EQ(IniFile(opera_).ReadString("User Prefs", "Language", ""), "ja");
    EXPECT_EQ(scratch::ReadBytes(prefs_), kPrefs);
    EXPECT_EQ(HandleCount(), before);
}
