#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/FirefoxProfile.h"
#include "support/Scratch.h"
#include "base/Text.h"

using namespace std::string_literals;

namespace {

// "<AD>" in a case stands for the scratch application data folder.
std::string Expand(std::string text, const std::string& appData) {
    for (size_t at; (at = text.find("<AD>")) != std::string::npos;) text.replace(at, 4, appData);
    return text;
}

// prefs.js written at a fixed time: 2024-01-01 plus `minutes`.
void WritePrefs(const std::string& folder, int minutes) {
    const std::string path = folder + "\\prefs.js";
    scratch::WriteBytes(path, "// prefs\n");
    ULARGE_INTEGER t{};
    t.QuadPart = 133485408000000000ULL + static_cast<unsigned long long>(minutes) * 600000000ULL;
    FILETIME ft{t.LowPart, t.HighPart};
    HANDLE h =
        CreateFileW(base::Widen(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

const std::string kRel = "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/a.default\r\n";
const std::string kUpgraded =
    "[Install308046B0AF4A39CB]\r\nDefault=Profiles/b.default-release\r\nLocked=1\r\n\r\n"
    "[Profile1]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/b.default-release\r\n\r\n"
    "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/a.default\r\nDefault=1\r\n";
const std::string kJapanese = "Profiles/\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E caf\xC3\xA9.default";

}  // namespace

TEST(FirefoxProfile, ChoosesTheProfileFirefoxUses) {
    struct Case {
        const char* layout;
        std::vector<std::string> folders;                // below the Firefox folder, or "<AD>..."
        std::vector<std::pair<std::string, int>> prefs;  // folder, minutes after 2024-01-01
        std::string ini;
        std::string expected;  // below the Firefox folder, or "<AD>..."; "" for none
    } cases[] = {
        {"the old single Profile0", {"Profiles\\a.default"}, {}, kRel, "Profiles\\a.default"},
        {"its folder need not exist, as before", {}, {}, kRel, "Profiles\\a.default"},
        {"an Install section names Profile1 while Profile0 has Default=1",
         {"Profiles\\a.default", "Profiles\\b.default-release"},
         {{"Profiles\\a.default", 60}},
         kUpgraded,
         "Profiles\\b.default-release"},
        {"Default=1 on Profile1, no Install section",
         {"Profiles\\a.default", "Profiles\\b"},
         {},
         kRel + "[Profile1]\r\nName=b\r\nPath=Profiles/b\r\nDefault=1\r\n",
         "Profiles\\b"},
        {"IsRelative=0 with an absolute path",
         {"<AD>\\Elsewhere\\Own Profile"},
         {},
         "[Profile0]\r\nIsRelative=0\r\nPath=<AD>\\Elsewhere\\Own Profile\r\n"
         "[InstallE7CF176E110C211B]\r\nDefault=<AD>\\Elsewhere\\Own Profile\r\n",
         "<AD>\\Elsewhere\\Own Profile"},
        {"a Japanese folder name in UTF-8",
         {"Profiles\\\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E caf\xC3\xA9.default"},
         {},
         "[Install1]\nDefault=" + kJapanese + "\n[Profile0]\nPath=Profiles/a.default\n",
         "Profiles\\\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E caf\xC3\xA9.default"},
        {"two Install sections: the newer prefs.js wins",
         {"Profiles\\old", "Profiles\\new"},
         {{"Profiles\\old", 10}, {"Profiles\\new", 20}},
         "[InstallA]\nDefault=Profiles/old\n[InstallB]\nDefault=Profiles/new\n[Profile0]\nPath=Profiles/"
         "old\n",
         "Profiles\\new"},
        {"... whichever section comes first",
         {"Profiles\\old", "Profiles\\new"},
         {{"Profiles\\old", 30}, {"Profiles\\new", 20}},
         "[InstallA]\nDefault=Profiles/new\n[InstallB]\nDefault=Profiles/old\n[Profile0]\nPath=Profiles/"
         "new\n",
         "Profiles\\old"},
        {"... and a profile with no prefs.js yet loses",
         {"Profiles\\fresh", "Profiles\\used"},
         {{"Profiles\\used", 0}},
         "[InstallA]\nDefault=Profiles/fresh\n[InstallB]\nDefault=Profiles/used\n",
         "Profiles\\used"},
        {"an Install section naming a missing folder",
         {"Profiles\\a.default"},
         {},
         kUpgraded,
         "Profiles\\a.default"},
        {"Default=1 naming a missing folder",
         {"Profiles\\a.default"},
         {},
         kRel + "[Profile1]\r\nPath=Profiles/b\r\nDefault=1\r\n",
         "Profiles\\a.default"},
        {"neither folder exists: Profile0", {}, {}, kUpgraded, "Profiles\\a.default"},
        {"no Path anywhere", {"Profiles\\a.default"}, {}, "[Profile0]\r\nName=default\r\n[Install1]\r\n", ""},
        {"a relative Path without \"/\"", {"x.default"}, {}, "[Profile0]\r\nPath=x.default\r\n", ""},
        {"a Path of 5,000 characters",
         {"Profiles\\b"},
         {},
         "[Install1]\nDefault=Profiles/" + std::string(5000, 'p') +
             "\n[Profile1]\nPath=Profiles/b\nDefault=1\n" + "[Profile0]\nPath=Profiles/" +
             std::string(5000, 'q') + "\n",
         "Profiles\\b"},
        {"... and only such a Profile0",
         {},
         {},
         "[Profile0]\nPath=Profiles/" + std::string(5000, 'q') + "\n",
         ""},
        {"garbage and NUL bytes",
         {"Profiles\\a.default"},
         {},
         "\0\xFF\xFE[Profile0\0]\nPath=Profiles/a.default\0\n\x01\x02"s,
         ""},
        {"CR-only line ends",
         {"Profiles\\b"},
         {},
         "[Install1]\rDefault=Profiles/b\r[Profile0]\rPath=Profiles/a\r",
         "Profiles\\b"},
    };
    for (const Case& c : cases) {
        scratch::Folder appData;
        const std::string firefox = appData / "Mozilla\\Firefox";
        auto place = [&](const std::string& rel) {
            return rel.rfind("<AD>", 0) == 0 ? Expand(rel, appData.Path()) : firefox + "\\" + rel;
        };
        scratch::MakeFolders(firefox);
        for (const std::string& f : c.folders) scratch::MakeFolders(place(f));
        for (const auto& [f, minutes] : c.prefs) WritePrefs(place(f), minutes);
        scratch::WriteBytes(firefox + "\\Profiles.ini", Expand(c.ini, appData.Path()));
        EXPECT_EQ(FindProfilePrefsFile(appData.Path()),
                  c.expected.empty() ? "" : place(c.expected) + "\\prefs.js")
            << c.layout;
    }
}

TEST(FirefoxProfile, NoProfilesIniNoFile) {
    scratch::Folder appData;
    EXPECT_EQ(FindProfilePrefsFile(appData.Path()), "");
    scratch::MakeFolders(appData / "Mozilla\\Firefox\\Profiles.ini");  // a folder by that name
    EXPECT_EQ(FindProfilePrefsFile(appData.Path()), "");
}

TEST(FirefoxProfile, AppDataFolderIsTheRoamingOne) {
    // Not the local or the temporary folder: the roaming one, which the
    // system also gives every process as %APPDATA%.
    std::string folder = AppDataFolder();
    wchar_t env[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"APPDATA", env, MAX_PATH), 0u);
    EXPECT_EQ(folder, base::Narrow(env));
    const std::string tail = "\\AppData\\Roaming";
    ASSERT_GT(folder.size(), tail.size());
    EXPECT_EQ(folder.substr(folder.size() - tail.size()), tail);
    EXPECT_TRUE(scratch::Exists(folder));
}
