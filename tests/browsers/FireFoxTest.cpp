#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "browsers/FireFox.h"
#include "browsers/PrefsText.h"
#include "browsers/Proxy.h"
#include "settings/IniFile.h"
#include "settings/RegFile.h"
#include "settings/SettingDialog.h"
#include "settings/WholeFile.h"
#include "support/LockHolder.h"
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
    EXPECT_FALSE(adapter.FollowWindows(true));  // no user.js there
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
    EXPECT_FALSE(firefox.FollowWindows(true));
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

TEST_F(FirefoxProfileFixture, UserJsLineWrittenKeptReplacedAndRemovedWhileFirefoxRuns) {
    const std::string s = "user_pref(\"network.proxy.type\", 5);";
    const std::string big(5 * 1024 * 1024, 'b');
    // Text in the ANSI code page of a Japanese system, not UTF-8.
    const std::string sjis = "// \x83\x76\x83\x8D\x83\x4E\x83\x56\r\nuser_pref(\"x\", \"\xff\xfe\");";
    const std::string commented =
        "// " + kType1 + "\n/* " + kType1 + " */\n/*\n" + kType1 + "\n" + s + "\n*/\n";
    const std::string kC = "user_pref(\"u\", \"a/*\"); // b /*";
    const std::string kGone = "<gone>";
    struct Row {
        const char* what;
        std::optional<std::string> before;  // nothing: no user.js
        std::string on, off;                // off: after on, then off
    } rows[] = {
        {"missing", std::nullopt, s + "\r\n", kGone},
        {"empty", "", s + "\r\n", kGone},
        {"blank", " \r\n\r\n", " \r\n\r\n" + s + "\r\n", kGone},
        {"no final line end", kA + "\n" + kB, kA + "\n" + kB + "\n" + s + "\n", kA + "\n" + kB + "\n"},
        {"CR LF", kA + "\r\n" + kB + "\r\n", kA + "\r\n" + kB + "\r\n" + s + "\r\n",
         kA + "\r\n" + kB + "\r\n"},
        {"type twice", kType1 + "\r\n" + kA + "\r\n" + kType4 + "\r\n", s + "\r\n" + kA + "\r\n",
         kA + "\r\n"},
        {"spaced, single quotes", " user_pref ( 'network.proxy.type' , 1 ) ;\n" + kA + "\n",
         s + "\n" + kA + "\n", kA + "\n"},
        {"in comments", commented, commented + s + "\n", commented},
        {"opens a comment", kType1 + " /*\n" + kB + "\n*/\n", kType1 + " /*\n" + kB + "\n*/\n" + s + "\n",
         kType1 + " /*\n" + kB + "\n*/\n"},
        {"/* in a string and a // comment", kC + "\n" + kType1 + "\n", kC + "\n" + s + "\n", kC + "\n"},
        {"ends inside a comment", kA + "\n/* " + kType1 + "\n", kA + "\n/* " + kType1 + "\n*/\n" + s + "\n",
         kA + "\n/* " + kType1 + "\n*/\n"},
        {"ours already", kA + "\n" + s + "\n", kA + "\n" + s + "\n", kA + "\n"},
        {"10 MiB", big + "\n" + kType1 + "\n" + big + "\n", big + "\n" + s + "\n" + big + "\n",
         big + "\n" + big + "\n"},
        {"not UTF-8", sjis, sjis + "\r\n" + s + "\r\n", sjis + "\r\n"},
    };
    const std::string userJs = profile_ + "\\user.js";
    scratch::LockHolder firefox(profile_ + "\\parent.lock");
    ASSERT_TRUE(firefox.Holding());
    FireFox adapter = Make();
    ASSERT_EQ(adapter.UserJsPath(), userJs);
    auto now = [&] { return scratch::Exists(userJs) ? scratch::ReadBytes(userJs) : kGone; };
    for (const Row& row : rows) {
        DeleteFileW(base::Widen(userJs).c_str());
        if (row.before) scratch::WriteBytes(userJs, *row.before);
        EXPECT_TRUE(adapter.FollowWindows(true)) << row.what;
        EXPECT_EQ(now(), row.on) << row.what;
        EXPECT_TRUE(adapter.FollowWindows(true)) << row.what;
        EXPECT_EQ(now(), row.on) << row.what << " (kept)";
        EXPECT_TRUE(adapter.FollowWindows(false)) << row.what;
        EXPECT_EQ(now(), row.off) << row.what << " (removed)";
    }
    EXPECT_FALSE(scratch::Exists(prefs_));
    EXPECT_EQ(ProfileFileCount(), 1 + scratch::Exists(userJs));  // parent.lock, and no scratch file left
}

TEST_F(FirefoxProfileFixture, UserJsThatCannotBeWrittenIsLeftAlone) {
    const std::string userJs = profile_ + "\\user.js";
    scratch::WriteBytes(userJs, kA + "\r\n");
    scratch::SetReadOnly(userJs, true);
    EXPECT_FALSE(Make().FollowWindows(true));
    EXPECT_EQ(scratch::ReadBytes(userJs), kA + "\r\n");
    scratch::SetReadOnly(userJs, false);
}

TEST_F(FirefoxProfileFixture, FirefoxFollowsTheWindowsSettingsOnlyWhenTheSettingIsOne) {
    scratch::RegistryKey key;
    RegFile(key.Path()).SetDword("ProxyEnable", 1);
    scratch::WriteBytes(prefs_, kA + "\r\n");  // direct
    Proxy proxy({key.Path(), settings_ / "Quillbarrow.ini", appData_.Path()});
    for (auto [stored, enabled] : {std::pair{"1", 1}, {"0", 0}, {"2", 0}, {"-1", 0}, {"on", 0}}) {
        IniFile(settings_ / "Quillbarrow.ini").WriteString("FIREFOX", "FOLLOW_WINDOWS", stored);
        proxy.SelectBrowser(2);
        EXPECT_EQ(proxy.GetEnabled(), enabled) << stored;
    }
}
