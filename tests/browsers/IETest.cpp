#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "browsers/ConnectionSettings.h"
#include "browsers/IE.h"
#include "browsers/Proxy.h"
#include "settings/RegFile.h"
#include "support/Scratch.h"
#include "base/Text.h"

namespace {

std::string Stored(const scratch::RegistryKey& key) {
    std::string value = "<none>";
    RegFile(key.Path()).GetString("ProxyServer", value);
    return value;
}

}  // namespace

TEST(IE, SingleAddressIsReplacedWhole) {
    scratch::RegistryKey key;
    RegFile(key.Path()).SetDword("ProxyEnable", 1);
    RegFile(key.Path()).SetString("ProxyServer", "192.0.2.7:80");
    IE ie(key.Path());
    EXPECT_EQ(ie.GetEnabled(), 1);
    std::string server;
    ie.GetServer(server);
    EXPECT_EQ(server, "192.0.2.7:80");
    ie.SetServer("192.0.2.9:81");
    EXPECT_EQ(Stored(key), "192.0.2.9:81");
}

TEST(IE, OtherProtocolsSurviveAChangeOfTheHttpProxy) {
    struct Case {
        const char* before;
        const char* after;
    } cases[] = {
        {"http=192.0.2.2:80", "http=192.0.2.9:81"},
        {"ftp=192.0.2.1:21;http=192.0.2.2:80", "ftp=192.0.2.1:21;http=192.0.2.9:81"},
        {"ftp=192.0.2.1:21;http=192.0.2.2:80;https=192.0.2.3:443",
         "ftp=192.0.2.1:21;http=192.0.2.9:81;https=192.0.2.3:443"},
        {"https=192.0.2.3:443", "192.0.2.9:81"},
    };
    for (const Case& c : cases) {
        scratch::RegistryKey key;
        RegFile(key.Path()).SetString("ProxyServer", c.before);
        IE ie(key.Path());
        std::string server;
        ie.GetServer(server);
        ie.SetServer("192.0.2.9:81");
        EXPECT_EQ(Stored(key), c.after) << c.before;
    }
}

TEST(IE, MissingKeyAndValueReadAsDirect) {
    scratch::RegistryKey key;
    IE ie(key.Path());
    std::string server = "stale";
    EXPECT_EQ(ie.GetEnabled(), 0);
    ie.GetServer(server);
    EXPECT_EQ(server, "");
    EXPECT_EQ(ie.ServerPrefix(), "");
    EXPECT_EQ(ie.ServerSuffix(), "");

    // A write creates the key; a server read left no stale parts behind.
    ie.SetEnabled(1);
    EXPECT_EQ(ie.GetEnabled(), 1);
    ie.SetServer("192.0.2.4:8080");
    EXPECT_EQ(Stored(key), "192.0.2.4:8080");
}

TEST(IE, SwitchingOffKeepsTheServer) {
    scratch::RegistryKey key;
    RegFile(key.Path()).SetString("ProxyServer", "ftp=192.0.2.1:21;http=192.0.2.2:80");
    IE ie(key.Path());
    ie.SetEnabled(1);
    ie.SetEnabled(0);
    EXPECT_EQ(ie.GetEnabled(), 0);
    EXPECT_EQ(Stored(key), "ftp=192.0.2.1:21;http=192.0.2.2:80");
    ie.SetEnabled(1);
    std::string server;
    ie.GetServer(server);
    EXPECT_EQ(server, "192.0.2.2:80");
}

TEST(IE, UnreadableValuesReadAsDirectAndAreNotOverwritten) {
    scratch::RegistryKey key;
    const std::string longValue = "ftp=192.0.2.1:21;http=192.0.2.2:80;" + std::string(270, 'x');
    RegFile(key.Path()).SetString("ProxyServer", longValue);
    RegFile(key.Path()).SetString("ProxyEnable", "1");  // a string where a DWORD belongs
    IE ie(key.Path());
    EXPECT_EQ(ie.GetEnabled(), 0);
    std::string server = "stale";
    ie.GetServer(server);
    EXPECT_EQ(server, "");
    // Writing the new address alone would silently drop the other entries.
    ie.SetServer("192.0.2.9:81");
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, base::Widen(key.Path()).c_str(), 0, KEY_READ, &h),
              ERROR_SUCCESS);
    wchar_t data[400] = {};
    DWORD size = sizeof data;
    RegQueryValueExW(h, L"ProxyServer", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(h);
    EXPECT_EQ(base::Narrow(data), longValue);

    // Once a readable value is back, changes go through again.
    RegFile(key.Path()).SetString("ProxyServer", "192.0.2.2:80");
    ie.GetServer(server);
    ie.SetServer("192.0.2.9:81");
    EXPECT_EQ(Stored(key), "192.0.2.9:81");
}

TEST(IE, ExpandableValueIsReadUnexpandedAndRewrittenAsPlainText) {
    scratch::RegistryKey key;
    RegFile(key.Path()).SetString("ProxyServer", "");  // creates the key
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, base::Widen(key.Path()).c_str(), 0, KEY_ALL_ACCESS, &h),
              ERROR_SUCCESS);
    const wchar_t value[] = L"ftp=%COMPUTERNAME%:21;http=192.0.2.2:80";
    RegSetValueExW(h, L"ProxyServer", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
    IE ie(key.Path());
    std::string server;
    ie.GetServer(server);
    EXPECT_EQ(server, "192.0.2.2:80");
    EXPECT_EQ(ie.ServerPrefix(), "ftp=%COMPUTERNAME%:21;http=");
    ie.SetServer("192.0.2.9:81");
    DWORD type = REG_NONE;
    RegQueryValueExW(h, L"ProxyServer", nullptr, &type, nullptr, nullptr);
    RegCloseKey(h);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Stored(key), "ftp=%COMPUTERNAME%:21;http=192.0.2.9:81");
}

TEST(IE, ValueThatWouldNotReadBackIsNotWritten) {
    scratch::RegistryKey key;
    const std::string prefix = "ftp=" + std::string(200, 'f') + ":21;http=";
    RegFile(key.Path()).SetString("ProxyServer", prefix + "192.0.2.2:80");
    IE ie(key.Path());
    std::string server;
    ie.GetServer(server);
    ie.SetServer(std::string(60, 'h') + ":80");
    EXPECT_EQ(Stored(key), prefix + "192.0.2.2:80");
}

TEST(Proxy, InternetExplorerAndChromeShareOneStore) {
    scratch::RegistryKey key;
    scratch::Folder folder;
    Proxy proxy({key.Path(), folder / "Quillbarrow.ini", folder.Path()});
    EXPECT_EQ(proxy.SelectBrowser(0), "Quillbarrow2012 for Internet Explorer");
    proxy.SetServer("192.0.2.5:80");
    proxy.SetEnabled(1);
    EXPECT_EQ(proxy.SelectBrowser(1), "Quillbarrow2012 for Google Chrome");
    std::string server;
    proxy.GetServer(server);
    EXPECT_EQ(server, "192.0.2.5:80");
    EXPECT_EQ(proxy.GetEnabled(), 1);
    proxy.SetEnabled(0);
    proxy.SelectBrowser(0);
    EXPECT_EQ(proxy.GetEnabled(), 0);
}

TEST(Proxy, UnknownKindReadsDirectAndWritesNothing) {
    scratch::RegistryKey key;
    scratch::Folder folder;
    Proxy proxy({key.Path(), folder / "Quillbarrow.ini", folder.Path()});
    for (int kind : {9, -1}) {
        EXPECT_EQ(proxy.SelectBrowser(kind), "Quillbarrow2012 ");
        EXPECT_EQ(proxy.GetEnabled(), 0);
        std::string server = "unchanged";
        proxy.GetServer(server);
        EXPECT_EQ(server, "unchanged");
        proxy.SetEnabled(1);
        proxy.SetServer("192.0.2.5:80");
    }
    EXPECT_EQ(Stored(key), "<none>");
    EXPECT_EQ(RegFile(key.Path()).GetDword("ProxyEnable"), 0u);
}

TEST(Proxy, LongAddressIsCutToTheProxyField) {
    scratch::RegistryKey key;
    scratch::Folder folder;
    Proxy proxy({key.Path(), folder / "Quillbarrow.ini", folder.Path()});
    proxy.SelectBrowser(0);
    std::string server;
    proxy.GetServer(server);
    proxy.SetServer(std::string(120, 'a'));
    EXPECT_EQ(Stored(key), std::string(kMaxProxyText, 'a'));
    // Never cut inside a character: 33 three-byte characters are 99 bytes.
    std::string wide;
    for (int i = 0; i < 34; ++i) wide += "あ";
    proxy.SetServer("x" + wide);
    EXPECT_EQ(Stored(key), "x" + wide.substr(0, 96));
    proxy.GetServer(server);
    EXPECT_EQ(server, "x" + wide.substr(0, 96));
}

// The binary value's fields after Use Proxy, then after a new address and Direct.
TEST(IE, ConnectionSettingsFollowEverySwitchAndThePlainValuesStayAsTheyWere) {
    // Longer than any other text value may be, and still taken whole.
    const std::string longBypass = "*.example;" + std::string(4000, 'b');
    struct Case {
        const char* what;
        DWORD type;  // REG_NONE: no value at all
        std::string before;
        uint32_t counter, flags;
        std::string bypass;
        std::string proxyOverride = "<local>";
    } cases[] = {
        {"missing", REG_NONE, "", 1, 11, "<local>"},
        {"text", REG_SZ, "a", 1, 11, "<local>"},
        {"missing, long bypass list", REG_NONE, "", 1, 11, longBypass, longBypass},
        {"wraps", REG_BINARY,
         std::string("\x46\0\0\0\xFF\xFF\xFF\xFF\x09\0\0\0\0\0\0\0\x02\0\0\0*.\0\0\0\0", 26), 0, 11, "*."},
    };
    for (const Case& c : cases) {
        scratch::RegistryKey key;
        RegFile plain(key.Path()), connections(key.Path() + "\\Connections");
        plain.SetString("ProxyServer", "ftp=192.0.2.1:21;http=192.0.2.2:80");
        plain.SetString("ProxyOverride", c.proxyOverride);
        if (c.type == REG_SZ) connections.SetString("DefaultConnectionSettings", c.before);
        if (c.type == REG_BINARY) connections.SetBinary("DefaultConnectionSettings", c.before);
        IE ie(key.Path());
        std::string server;
        ie.GetServer(server);
        ie.SetEnabled(1);
        auto s = ParseConnectionSettings(connections.GetBinary("DefaultConnectionSettings").value_or(""));
        ASSERT_TRUE(s) << c.what;
        EXPECT_EQ(s->counter, c.counter) << c.what;
        EXPECT_EQ(s->flags, c.flags) << c.what;
        EXPECT_EQ(s->proxyServer, "ftp=192.0.2.1:21;http=192.0.2.2:80") << c.what;
        EXPECT_EQ(s->bypassList, c.bypass) << c.what;

        ie.SetServer("192.0.2.9:81");
        ie.SetEnabled(0);
        s = ParseConnectionSettings(connections.GetBinary("DefaultConnectionSettings").value_or(""));
        ASSERT_TRUE(s) << c.what;
        EXPECT_EQ(s->counter, c.counter + 2) << c.what;
        EXPECT_EQ(s->flags, c.flags - 2) << c.what;
        EXPECT_EQ(s->proxyServer, "ftp=192.0.2.1:21;http=192.0.2.9:81") << c.what;
        EXPECT_EQ(Stored(key), "ftp=192.0.2.1:21;http=192.0.2.9:81");
        EXPECT_EQ(plain.GetDword("ProxyEnable"), 0u);
    }
}

// A Connections key that refuses writes: the switch itself still happens, in silence.
TEST(IE, RefusedConnectionSettingsLeaveThePlainValuesWritten) {
    scratch::RegistryKey key;
    RegFile connections(key.Path() + "\\Connections");
    connections.SetBinary("DefaultConnectionSettings", "old");
    HKEY h = nullptr;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_CURRENT_USER, base::Widen(connections.KeyPath()).c_str(), 0, KEY_ALL_ACCESS, &h),
        ERROR_SUCCESS);
    auto setDacl = [h](const wchar_t* dacl) {
        PSECURITY_DESCRIPTOR sd = nullptr;
        ASSERT_TRUE(
            ConvertStringSecurityDescriptorToSecurityDescriptorW(dacl, SDDL_REVISION_1, &sd, nullptr));
        ASSERT_EQ(RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
        LocalFree(sd);
    };
    setDacl(L"D:P(A;;KR;;;WD)");  // everyone may read, nobody may change
    IE(key.Path()).SetEnabled(1);
    setDacl(L"D:P(A;;KA;;;WD)");  // given back, so that the scratch key can be deleted
    RegCloseKey(h);
    EXPECT_EQ(RegFile(key.Path()).GetDword("ProxyEnable"), 1u);
    EXPECT_EQ(connections.GetBinary("DefaultConnectionSettings"), "old");
}
