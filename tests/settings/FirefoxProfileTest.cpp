#include <gtest/gtest.h>

#include "settings/FirefoxProfile.h"
#include "support/Scratch.h"

TEST(FirefoxProfile, ComposeTurnsOnlyTheFirstSlash) {
    EXPECT_EQ(ComposeProfilePrefsPath("C:\\AD\\Mozilla\\Firefox", "Profiles/abcd1234.default"),
              "C:\\AD\\Mozilla\\Firefox\\Profiles\\abcd1234.default\\prefs.js");
    EXPECT_EQ(ComposeProfilePrefsPath("F", "a/b/c"), "F\\a\\b/c\\prefs.js");
    EXPECT_EQ(ComposeProfilePrefsPath("F", "0"), "");
    EXPECT_EQ(ComposeProfilePrefsPath("F", "Profiles\\x.default"), "");
    EXPECT_EQ(ComposeProfilePrefsPath("F", ""), "");
}

TEST(FirefoxProfile, FindsTheFirstProfileOfProfilesIni) {
    scratch::Folder appData;
    EXPECT_EQ(FindProfilePrefsFile(appData.Path()), "");  // no Profiles.ini

    scratch::MakeFolders(appData / "Mozilla\\Firefox");
    scratch::WriteBytes(appData / "Mozilla\\Firefox\\Profiles.ini",
                        "[General]\r\nStartWithLastProfile=1\r\n\r\n"
                        "[Profile1]\r\nName=other\r\nPath=Profiles/other.default\r\n\r\n"
                        "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/x.default\r\n");
    EXPECT_EQ(FindProfilePrefsFile(appData.Path()),
              appData.Path() + "\\Mozilla\\Firefox\\Profiles\\x.default\\prefs.js");

    scratch::WriteBytes(appData / "Mozilla\\Firefox\\Profiles.ini", "[Profile0]\r\nPath=x.default\r\n");
    EXPECT_EQ(FindProfilePrefsFile(appData.Path()), "");
}

TEST(FirefoxProfile, AppDataFolderIsTheShellFolder) {
    std::string folder = AppDataFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(scratch::Exists(folder));
}
