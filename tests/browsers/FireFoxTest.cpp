#include <windows.h>

#include <gtest/gtest.h>

#include "browsers/FireFox.h"
#include "browsers/PrefsText.h"
#include "browsers/Proxy.h"
#include "settings/IniFile.h"
#include "settings/SettingDialog.h"
#include "settings/WholeFile.h"
#include "support/Scratch.h"
#include "base/Text.h"

namespace {

const std::string kType1 = "user_pref(\"network.proxy.type\", 1);";
const std::string kType4 = "user_pref(\"network.proxy.type\", 4);";
const std::string kA = "user_pref(\"browser.startup.page\", 3);";
const std::string kB = "user_pref(\"network.cookie.cookieBehavior\", 1);";

// A scratch application data folder with one Firefox profile.
class FirefoxProfileFixture : public ::testing::Test {
protected:
    void SetUp() override {
        prefs_ = scratch::MakeFirefoxProfile(appData_.Path());
        profile_ = prefs_.substr(0, prefs_.rfind('\\'));
    }
    FireFox Make() { return FireFox(settings_ / "Quillbarrow.ini", appData_.Path()); }
    std::string Prefs() { return scratch::ReadBytes(prefs_); }
    // Files in the profile folder, to see that no scratch file is left behind.
    int ProfileFileCount() {
        int n = 0;
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW(base::Widen(profile_ + "\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return 0;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
        } while (FindNextFileW(find, &found));
        FindClose(find);
        return n;
    }

    scratch::Folder appData_;
    scratch::Folder settings_;
    std::string profile_;
    std::string prefs_;
};

}  // namespace

TEST_F(FirefoxProfileFixture, PrefsFileFromProfilesIniOrTheConfiguredPath) {
    EXPECT_EQ(Make().PrefsPath(), appData_.Path() + "\\Mozilla\\Firefox\\Profiles\\x.default\\prefs.js");
    const std::string own = settings_ / "elsewhere\\prefs.js";
    scratch::WriteBytes(settings_ / "Quillbarrow.ini", "[FIREFOX]\r\nINIFILE=" + own + "\r\n");
    EXPECT_EQ(Make().PrefsPath(), own);

    // Re-selecting Firefox picks a changed setting up.
    scratch::RegistryKey key;
    Proxy proxy({key.Path(), settings_ / "Quillbarrow.ini", appData_.Path()});
    scratch::WriteBytes(prefs_, kType1 + "\r\n");
    proxy.SelectBrowser(2);
    EXPECT_EQ(proxy.GetEnabled(), 0);  // reads the configured file, which is missing
    scratch::WriteBytes(settings_ / "Quillbarrow.ini", "[FIREFOX]\r\nINIFILE=\r\n");
    proxy.SelectBrowser(2);
    EXPECT_EQ(proxy.GetEnabled(), 1);
}

TEST_F(FirefoxProfileFixture, TheProfileInUseIsSwitchedAndTheAutoButtonAgrees) {
    const std::string firefox = appData_ / "Mozilla\\Firefox";
    const std::string inUse = firefox + "\\Profiles\\y.default-release";
    scratch::MakeFolders(inUse);
    scratch::WriteBytes(firefox + "\\Profiles.ini",
                        "[Install308046B0AF4A39CB]\r\nDefault=Profiles/y.default-release\r\n"
                        "[Profile1]\r\nPath=Profiles/y.default-release\r\n"
                        "[Profile0]\r\nPath=Profiles/x.default\r\nDefault=1\r\n");
    scratch::WriteBytes(prefs_, kA + "\r\n");  // the profile an upgrade left behind
    FireFox adapter = Make();
    EXPECT_EQ(adapter.PrefsPath(), inUse + "\\prefs.js");
    // A new profile has no prefs.js until Firefox first exits; Firefox takes
    // one holding only our lines.
    adapter.SetServer("192.0.2.5:80");
    adapter.SetEnabled(1);
    EXPECT_EQ(scratch::ReadBytes(inUse + "\\prefs.js"),
              prefs::HostLine("192.0.2.5") + "\r\n" + prefs::PortLine("80") + "\r\n" + kType1 + "\r\n");
    EXPECT_EQ(Prefs(), kA + "\r\n");

    IniFile settings(settings_ / "Quillbarrow.ini");
    TfrmSetting dialog(nullptr, settings);
    dialog.appDataFolder = appData_.Path();
    dialog.cmdFirefoxScanClick();
    EXPECT_EQ(dialog.txtFirefoxIni.Text(), adapter.PrefsPath());
}

TEST_F(FirefoxProfileFixture, NoFileOutsideAnExistingProfileFolder) {
    const std::string firefox = appData_ / "Mozilla\\Firefox";
    scratch::WriteBytes(firefox + "\\Profiles.ini",
                        "[Install1]\r\nDefault=Profiles/gone\r\n[Profile0]\r\nPath=Profiles/missing\r\n");
    FireFox adapter = Make();
    EXPECT_EQ(adapter.PrefsPath(), firefox + "\\Profiles\\missing\\prefs.js");
    // Only a lock held without sharing means a running Firefox; a folder that
    // is not there holds none.
    EXPECT_FALSE(adapter.InUse());
    adapter.SetServer("192.0.2.5:80");
    adapter.SetEnabled(1);
    EXPECT_FALSE(scratch::Exists(firefox + "\\Profiles\\missing"));
    EXPECT_FALSE(scratch::Exists(firefox + "\\Profiles\\gone"));
    EXPECT_EQ(ProfileFileCount(), 0);
}

TEST_F(FirefoxProfileFixture, NoProfileMeansDirectAndNoFileTouched) {
    scratch::WriteBytes(appData_ / "Mozilla\\Firefox\\Profiles.ini", "[Profile0]\r\nPath=x.default\r\n");
    FireFox firefox = Make();
    EXPECT_EQ(firefox.PrefsPath(), "");
    firefox.SetEnabled(1);
    firefox.SetServer("192.0.2.5:80");
    EXPECT_EQ(firefox.GetEnabled(), 0);
    EXPECT_EQ(ProfileFileCount(), 0);
}

TEST_F(FirefoxProfileFixture, SwitchingTheProxyType) {
    const std::string onlyType1 = kA + "\r\n" + kType1 + "\r\n" + kB + "\r\n";
    scratch::WriteBytes(prefs_, onlyType1);
    FireFox firefox = Make();
    EXPECT_EQ(firefox.GetEnabled(), 1);
    firefox.SetEnabled(1);
    EXPECT_EQ(Prefs(), onlyType1);
    firefox.SetEnabled(0);
    EXPECT_EQ(Prefs(), kA + "\r\n" + kB + "\r\n");
    EXPECT_EQ(firefox.GetEnabled(), 0);

    scratch::WriteBytes(prefs_, kType4 + "\n" + kA + "\n");
    EXPECT_EQ(firefox.GetEnabled(), 0);
    firefox.SetEnabled(0);  // already direct: nothing to write
    EXPECT_EQ(Prefs(), kType4 + "\n" + kA + "\n");
    firefox.SetEnabled(1);
    EXPECT_EQ(Prefs(), kType4 + "\n" + kA + "\n" + kType1 + "\n");
    EXPECT_EQ(firefox.GetEnabled(), 1);
    EXPECT_EQ(ProfileFileCount(), 1);
}

TEST_F(FirefoxProfileFixture, ServerInPlaceAppendedAndRoundTrip) {
    const std::string host = "user_pref(\"network.proxy.http\", \"192.0.2.1\");";
    const std::string port = "user_pref(\"network.proxy.http_port\", 3128);";
    scratch::WriteBytes(prefs_, kA + "\r\n" + host + "\r\n" + port + "\r\n" + kB + "\r\n");
    FireFox firefox = Make();
    std::string server;
    firefox.GetServer(server);
    EXPECT_EQ(server, "192.0.2.1:3128");
    firefox.SetServer("192.0.2.5:80");
    EXPECT_EQ(Prefs(), kA + "\r\n" + prefs::HostLine("192.0.2.5") + "\r\n" + prefs::PortLine("80") + "\r\n" +
                           kB + "\r\n");
    firefox.GetServer(server);
    EXPECT_EQ(server, "192.0.2.5:80");

    scratch::WriteBytes(prefs_, kA + "\n");
    firefox.SetServer("192.0.2.6:8080");
    EXPECT_EQ(Prefs(), kA + "\n" + prefs::HostLine("192.0.2.6") + "\n" + prefs::PortLine("8080") + "\n");
    firefox.GetServer(server);
    EXPECT_EQ(server, "192.0.2.6:8080");

    // An address without ":" is no change at all.
    firefox.SetServer("192.0.2.7");
    firefox.GetServer(server);
    EXPECT_EQ(server, "192.0.2.6:8080");
    EXPECT_EQ(ProfileFileCount(), 1);
}

TEST_F(FirefoxProfileFixture, MissingPrefsIsCreatedOnlyByAChange) {
    FireFox firefox = Make();
    std::string server = "stale";
    firefox.GetServer(server);
    EXPECT_EQ(server, "");
    firefox.SetEnabled(0);
    EXPECT_FALSE(scratch::Exists(prefs_));
    firefox.SetServer("192.0.2.5:80");
    EXPECT_EQ(Prefs(), prefs::HostLine("192.0.2.5") + "\r\n" + prefs::PortLine("80") + "\r\n");
}

TEST_F(FirefoxProfileFixture, ScratchFilesInTheCurrentDirectoryPlayNoPart) {
    // A stale Temp.cfg in a read-only current directory: neither may reach prefs.js.
    scratch::Folder cwd;
    scratch::WriteBytes(cwd / "Temp.cfg", "stale content\r\n");
    scratch::SetReadOnly(cwd / "Temp.cfg", true);
    scratch::SetReadOnly(cwd.Path(), true);
    scratch::CurrentDirectory inCwd(cwd.Path());
    scratch::WriteBytes(prefs_, kA + "\r\n" + kType1 + "\r\n");
    FireFox firefox = Make();
    firefox.SetEnabled(0);
    EXPECT_EQ(Prefs(), kA + "\r\n");
    firefox.SetServer("192.0.2.5:80");
    EXPECT_EQ(Prefs(), kA + "\r\n" + prefs::HostLine("192.0.2.5") + "\r\n" + prefs::PortLine("80") + "\r\n");
    EXPECT_EQ(scratch::ReadBytes(cwd / "Temp.cfg"), "stale content\r\n");
    scratch::SetReadOnly(cwd.Path(), false);
}

TEST_F(FirefoxProfileFixture, ProtectedPrefsStayByteForByte) {
    const std::string original = kA + "\r\n" + kType1 + "\r\n";
    scratch::WriteBytes(prefs_, original);
    FireFox firefox = Make();

    scratch::SetReadOnly(prefs_, true);
    firefox.SetEnabled(0);
    firefox.SetServer("192.0.2.5:80");
    scratch::SetReadOnly(prefs_, false);
    EXPECT_EQ(Prefs(), original);

    // Held open by another program that lets it be replaced but not read: it
    // must not be replaced by a file holding only our lines.
    HANDLE lock = CreateFileW(base::Widen(prefs_).c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    std::string content;
    EXPECT_EQ(ReadWholeFile(prefs_, content), FileRead::Failed);
    EXPECT_EQ(ReadWholeFile(profile_ + "\\none.js", content), FileRead::Missing);
    firefox.SetServer("192.0.2.5:80");
    firefox.SetEnabled(0);
    CloseHandle(lock);
    EXPECT_EQ(Prefs(), original);
    EXPECT_EQ(ProfileFileCount(), 1);
}

TEST_F(FirefoxProfileFixture, VeryLongLineIsCopiedWhole) {
    const std::string longLine = "user_pref(\"x\", \"" + std::string(5000, 'p') + "\");";
    scratch::WriteBytes(prefs_, longLine + "\n" + kType1 + "\n" + longLine);
    FireFox firefox = Make();
    firefox.SetEnabled(0);
    EXPECT_EQ(Prefs(), longLine + "\n" + longLine);
    firefox.SetEnabled(1);
    EXPECT_EQ(Prefs(), longLine + "\n" + longLine + "\n" + kType1 + "\n");
}
