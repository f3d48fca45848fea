#include <gtest/gtest.h>

#include <string>

#include "settings/ProgramPlaces.h"

using programs::FolderCandidates;
using programs::PathFromAppPaths;

TEST(ProgramPlaces, EachBrowserIsLookedForInItsInstallersFolders) {
    // Program Files (x86) comes between these two, as the search table shows.
    const programs::InstallFolders folders{"P", "", "L"};
    struct Row {
        int kind;
        const char* exe;
        std::vector<std::string> paths;
    } rows[] = {
        {1,
         "chrome.exe",
         {"P\\Google\\Chrome\\Application\\chrome.exe", "L\\Google\\Chrome\\Application\\chrome.exe"}},
        {2, "firefox.exe", {"P\\Mozilla Firefox\\firefox.exe", "L\\Mozilla Firefox\\firefox.exe"}},
        {3,
         "opera.exe",
         {"P\\Opera\\launcher.exe", "P\\Opera\\opera.exe", "L\\Programs\\Opera\\launcher.exe"}},
        {4,
         "msedge.exe",
         {"P\\Microsoft\\Edge\\Application\\msedge.exe", "L\\Microsoft\\Edge\\Application\\msedge.exe"}},
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
    // trailing separator is not doubled; a path too long for the program
    // path field is left out.
    const programs::Program& edge = *programs::ProgramOf(4);
    EXPECT_EQ(FolderCandidates(edge, {"C:\\PF\\", "C:\\PF\\", ""}),
              std::vector<std::string>{"C:\\PF\\Microsoft\\Edge\\Application\\msedge.exe"});
    const std::string deep = "C:\\" + std::string(158, 'd');  // 199 characters with Edge's 38
    EXPECT_EQ(FolderCandidates(edge, {"", deep, deep + "x"}),
              std::vector<std::string>{deep + "\\Microsoft\\Edge\\Application\\msedge.exe"});
}

// The rules the search table (ProgramSearchTest) leaves to this one.
TEST(ProgramPlaces, AppPathsValueBecomesAnAbsolutePathThatFitsOrNothing) {
    const programs::Environment environment = [](const std::string& name) -> std::optional<std::string> {
        return name == "X" ? std::optional<std::string>("C:\\100%") : std::nullopt;
    };
    const std::string long199 = "C:\\" + std::string(196, 'p');
    const struct Row {
        std::string value;
        bool expand;
        std::optional<std::string> path;
    } rows[] = {
        {"\\\\server\\share\\chrome.exe", false, "\\\\server\\share\\chrome.exe"},
        {"c:/apps/chrome.exe", false, "c:/apps/chrome.exe"},
        // A lone "%" is a character of the name; a variable's value is not expanded again.
        {"%X%\\a%b.exe", true, "C:\\100%\\a%b.exe"},
        {"\"%X%\\b.exe\"", true, "C:\\100%\\b.exe"},
        {long199, false, long199},
        {long199 + "p", false, std::nullopt},
        {"\"\"", false, std::nullopt},
        {"\"C:\\Apps\\chrome.exe", false, std::nullopt},
        {"chrome.exe", false, std::nullopt},
        {"\\Apps\\chrome.exe", false, std::nullopt},
        {"C:\\%%\\chrome.exe", true, std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(PathFromAppPaths(row.value, row.expand, environment), row.path) << row.value;
    EXPECT_EQ(PathFromAppPaths("%X%\\x.exe", true, nullptr), std::nullopt);  // no environment at all
}
