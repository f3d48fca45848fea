#include <gtest/gtest.h>

#include <map>
#include <string>

#include "settings/ProgramPlaces.h"

using programs::FolderCandidates;
using programs::PathFromAppPaths;

TEST(ProgramPlaces, EachBrowserIsLookedForInItsInstallersFolders) {
    const programs::InstallFolders folders{"C:\\PF", "C:\\PF86\\", "C:\\L"};
    struct Row {
        int kind;
        const char* exe;
        std::vector<std::string> paths;
    } rows[] = {
        {1,
         "chrome.exe",
         {"C:\\PF\\Google\\Chrome\\Application\\chrome.exe",
          "C:\\PF86\\Google\\Chrome\\Application\\chrome.exe",
          "C:\\L\\Google\\Chrome\\Application\\chrome.exe"}},
        {2,
         "firefox.exe",
         {"C:\\PF\\Mozilla Firefox\\firefox.exe", "C:\\PF86\\Mozilla Firefox\\firefox.exe",
          "C:\\L\\Mozilla Firefox\\firefox.exe"}},
        {3,
         "opera.exe",
         {"C:\\PF\\Opera\\launcher.exe", "C:\\PF\\Opera\\opera.exe", "C:\\PF86\\Opera\\launcher.exe",
          "C:\\PF86\\Opera\\opera.exe", "C:\\L\\Programs\\Opera\\launcher.exe"}},
        {4,
         "msedge.exe",
         {"C:\\PF\\Microsoft\\Edge\\Application\\msedge.exe",
          "C:\\PF86\\Microsoft\\Edge\\Application\\msedge.exe",
          "C:\\L\\Microsoft\\Edge\\Application\\msedge.exe"}},
    };
    for (const Row& row : rows) {
        const programs::Program* program = programs::ProgramOf(row.kind);
        ASSERT_TRUE(program) << row.kind;
        EXPECT_STREQ(program->exe, row.exe);
        EXPECT_EQ(FolderCandidates(*program, folders), row.paths) << row.kind;
    }
    EXPECT_FALSE(programs::ProgramOf(0));  // Internet Explorer's path is fixed
    EXPECT_FALSE(programs::ProgramOf(5));

    // A folder the system does not name is skipped, not taken as the drive's
    // root; one Program Files folder (32-bit Windows) is searched once; a
    // path too long for the program path field is left out.
    const programs::Program& edge = *programs::ProgramOf(4);
    EXPECT_EQ(FolderCandidates(edge, {"C:\\PF", "C:\\PF", ""}),
              std::vector<std::string>{"C:\\PF\\Microsoft\\Edge\\Application\\msedge.exe"});
    const std::string deep = "C:\\" + std::string(158, 'd');  // 199 characters with Edge's 38
    EXPECT_EQ(FolderCandidates(edge, {"", deep, deep + "x"}),
              std::vector<std::string>{deep + "\\Microsoft\\Edge\\Application\\msedge.exe"});
}

TEST(ProgramPlaces, AppPathsValueBecomesAProgramPathOrNothing) {
    const std::map<std::string, std::string> variables = {{"LOCALAPPDATA", "C:\\Users\\u\\AppData\\Local"},
                                                          {"X", "C:\\100%"}};
    const programs::Environment environment = [&](const std::string& name) -> std::optional<std::string> {
        auto it = variables.find(name);
        return it == variables.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    const std::string long199 = "C:\\" + std::string(196, 'p');
    struct Row {
        std::string value;
        bool expand;
        std::optional<std::string> path;
    } rows[] = {
        {"C:\\Apps\\chrome.exe", false, "C:\\Apps\\chrome.exe"},
        {"  C:\\Program Files\\Google\\chrome.exe \t", false, "C:\\Program Files\\Google\\chrome.exe"},
        {"\"C:\\Program Files\\Opera\\launcher.exe\"", false, "C:\\Program Files\\Opera\\launcher.exe"},
        {"\"C:\\Program Files\\Opera\\launcher.exe\" --x", false, "C:\\Program Files\\Opera\\launcher.exe"},
        {"\\\\server\\share\\chrome.exe", false, "\\\\server\\share\\chrome.exe"},
        {"c:/apps/chrome.exe", false, "c:/apps/chrome.exe"},
        {"%LOCALAPPDATA%\\Google\\chrome.exe", true, "C:\\Users\\u\\AppData\\Local\\Google\\chrome.exe"},
        {"\"%LOCALAPPDATA%\\Programs\\Opera\\launcher.exe\"", true,
         "C:\\Users\\u\\AppData\\Local\\Programs\\Opera\\launcher.exe"},
        // A lone "%" is a character of the name; the variable's own is not
        // looked at again.
        {"%X%\\a%b.exe", true, "C:\\100%\\a%b.exe"},
        {"C:\\50%\\chrome.exe", false, "C:\\50%\\chrome.exe"},
        {long199, false, long199},
        // Skipped to the next place.
        {"", false, std::nullopt},
        {"   ", false, std::nullopt},
        {"\"\"", false, std::nullopt},
        {"\"C:\\Apps\\chrome.exe", false, std::nullopt},
        {"chrome.exe", false, std::nullopt},
        {"\\Apps\\chrome.exe", false, std::nullopt},
        {"%LOCALAPPDATA%\\Google\\chrome.exe", false, std::nullopt},  // REG_SZ: not expanded
        {"%UNSET%\\Google\\chrome.exe", true, std::nullopt},
        {"C:\\%%\\chrome.exe", true, std::nullopt},
        {long199 + "p", false, std::nullopt},
        {"C:\\" + std::string(300, 'p') + "\\chrome.exe", false, std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PathFromAppPaths(row.value, row.expand, environment), row.path) << row.value;
    }
    // No environment at all: a variable is unset.
    EXPECT_EQ(PathFromAppPaths("%LOCALAPPDATA%\\x.exe", true, nullptr), std::nullopt);
}
