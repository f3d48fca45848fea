#include <gtest/gtest.h>

#include "browsers/Opera.h"
#include "browsers/Proxy.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/RegFile.h"
#include "support/Scratch.h"

namespace {

class OperaFixture : public ::testing::Test {
protected:
    void UsePrefs(const std::string& path) {
        scratch::WriteBytes(folder_ / "Quillbarrow.ini", "[OPERA]\r\nINIFILE=" + path + "\r\n");
    }
    Opera Make() { return Opera(folder_ / "Quillbarrow.ini"); }

    scratch::Folder folder_;
};

}  // namespace

TEST_F(OperaFixture, DefaultPathKeepsUserPlaceholderAndRefusesWrites) {
    Opera opera = Make();
    EXPECT_EQ(opera.PrefsPath(), defaults::OperaIniTemplate);
    EXPECT_FALSE(opera.HasPrefsFile());
    EXPECT_EQ(opera.GetEnabled(), 0);
    std::string server;
    opera.GetServer(server);
    EXPECT_EQ(server, "0");
    try {
        opera.SetServer("192.0.2.4:80");
        FAIL() << "no write error";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), std::string(defaults::OperaIniTemplate) + " に書き込めません");
    }
}

TEST_F(OperaFixture, WithoutItsFileOperaFollowsTheInternetSettings) {
    scratch::RegistryKey key;
    Proxy proxy({key.Path(), folder_ / "Quillbarrow.ini", folder_.Path()});
    // The default path, with "%USER%" in it, names no file: today's Opera.
    EXPECT_EQ(proxy.SelectBrowser(3), "Quillbarrow2012 for Opera");
    proxy.SetEnabled(1);
    EXPECT_EQ(RegFile(key.Path()).GetDword("ProxyEnable"), 1u);

    // Opera 12's file, once named and there, is used from the next selection on.
    const std::string prefs = folder_ / "operaprefs.ini";
    scratch::WriteBytes(prefs, "[Proxy]\r\nUse HTTP=0\r\nHTTP Server=192.0.2.4:80\r\n");
    UsePrefs(prefs);
    EXPECT_EQ(proxy.GetEnabled(), 1);
    proxy.PrepareBrowser();
    EXPECT_EQ(proxy.GetEnabled(), 0);
    proxy.SetEnabled(1);
    EXPECT_EQ(IniFile(prefs).ReadString("Proxy", "Use HTTP", ""), "1");
    proxy.SetEnabled(0);
    EXPECT_EQ(RegFile(key.Path()).GetDword("ProxyEnable"), 1u);
}

TEST_F(OperaFixture, ReadsAndWritesTheProxySection) {
    const std::string prefs = folder_ / "operaprefs.ini";
    scratch::WriteBytes(prefs,
                        "[User Prefs]\r\nLanguage=ja\r\n[Proxy]\r\nUse HTTP=1\r\n"
                        "HTTP Server=192.0.2.4:80\r\n");
    UsePrefs(prefs);
    Opera opera = Make();
    EXPECT_EQ(opera.GetEnabled(), 1);
    std::string server;
    opera.GetServer(server);
    EXPECT_EQ(server, "192.0.2.4:80");

    opera.SetEnabled(0);
    EXPECT_EQ(opera.GetEnabled(), 0);
    opera.GetServer(server);
    EXPECT_EQ(server, "192.0.2.4:80");
    opera.SetServer("192.0.2.5:81");
    opera.GetServer(server);
    EXPECT_EQ(server, "192.0.2.5:81");
    // DEL counts as a control character: such an address is not written.
    opera.SetServer("192.0.2.6\x7F:81");
    opera.GetServer(server);
    EXPECT_EQ(server, "192.0.2.5:81");
    EXPECT_EQ(IniFile(prefs).ReadString("User Prefs", "Language", ""), "ja");
}

TEST_F(OperaFixture, MissingProxySectionIsAddedBesideTheOthers) {
    const std::string prefs = folder_ / "operaprefs.ini";
    scratch::WriteBytes(prefs, "[User Prefs]\r\nLanguage=ja\r\n[Network]\r\nMax Connections=8\r\n");
    UsePrefs(prefs);
    Opera opera = Make();
    opera.SetServer("192.0.2.5:81");
    opera.SetEnabled(1);
    // Opera's own file stays in the form Opera wrote, without a byte-order mark.
    EXPECT_EQ(scratch::ReadBytes(prefs),
              "[User Prefs]\r\nLanguage=ja\r\n[Network]\r\nMax Connections=8\r\n"
              "[Proxy]\r\nHTTP Server=192.0.2.5:81\r\nUse HTTP=1\r\n");
    IniFile ini(prefs);
    EXPECT_EQ(ini.ReadString("Proxy", "HTTP Server", ""), "192.0.2.5:81");
    EXPECT_EQ(ini.ReadString("Proxy", "Use HTTP", ""), "1");
    EXPECT_EQ(ini.ReadString("User Prefs", "Language", ""), "ja");
    EXPECT_EQ(ini.ReadString("Network", "Max Connections", ""), "8");
}

TEST_F(OperaFixture, PathIsReadAgainOnSelection) {
    const std::string first = folder_ / "first.ini";
    const std::string second = folder_ / "second.ini";
    scratch::WriteBytes(first, "[Proxy]\r\nUse HTTP=1\r\n");
    scratch::WriteBytes(second, "[Proxy]\r\nUse HTTP=0x0\r\n");
    UsePrefs(first);
    Proxy proxy({"", folder_ / "Quillbarrow.ini", folder_.Path()});
    proxy.SelectBrowser(3);
    EXPECT_EQ(proxy.GetEnabled(), 1);
    UsePrefs(second);
    EXPECT_EQ(proxy.GetEnabled(), 1);  // taken only on selection
    proxy.PrepareBrowser();
    EXPECT_EQ(proxy.GetEnabled(), 0);
}
