#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/ProgramSearch.h"
#include "support/Scratch.h"
#include "base/Text.h"

namespace {

// Three scratch keys under HKCU stand for the user's App Paths and the
// machine's in its 64-bit and 32-bit views, in the order they are asked.
struct Value {
    int place;          // 0 user, 1 machine 64-bit, 2 machine 32-bit
    std::string value;  // "$" stands for the scratch folder; "-": the key has no default value
    DWORD type = REG_SZ;
};

struct Row {
    const char* what;
    int kind;
    std::vector<Value> registry;
    std::vector<std::string> files;  // under the scratch folder; a trailing "\" makes a folder
    std::string found;               // "$..." or "" for nothing
};

std::string Filled(std::string text, const std::string& folder) {
    for (size_t at; (at = text.find('$')) != text.npos;) text.replace(at, 1, folder);
    return text;
}

void SetDefaultValue(const std::string& key, const std::string& value, DWORD type) {
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, base::Widen(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    std::wstring wide = base::Widen(value);
    const wchar_t* name = nullptr;
    if (value == "-") {  // only a named value, as some installers leave the key
        name = L"Path";
        wide = L"C:\\";
    }
    RegSetValueExW(raw, name, 0, type, reinterpret_cast<const BYTE*>(wide.c_str()),
                   static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(raw);
}

const char kChrome[] = "Google\\Chrome\\Application\\chrome.exe";

}  // namespace

TEST(ProgramSearch, FindsTheFirstPlaceThatNamesAFileThatIsThere) {
    const std::string pf = std::string("$\\PF\\") + kChrome, pf86 = std::string("$\\PF86\\") + kChrome,
                      local = std::string("$\\Local\\") + kChrome, other = "$\\other dir\\chrome.exe";
    const Row rows[] = {
        {"nowhere", 1, {}, {}, ""},
        {"local application data", 1, {}, {local}, local},
        {"Program Files (x86) before local", 1, {}, {pf86, local}, pf86},
        {"Program Files before (x86)", 1, {}, {pf, pf86}, pf},
        {"a folder of that name is no program", 1, {}, {pf + "\\", local}, local},
        {"machine 32-bit App Paths before the folders", 1, {{2, other}}, {other, pf}, other},
        {"machine 64-bit before 32-bit", 1, {{1, other}, {2, local}}, {other, local}, other},
        {"user before machine", 1, {{0, local}, {1, other}}, {other, local}, local},
        {"quoted, with blanks and an argument", 1, {{0, "\"" + other + "\" --flag"}}, {other}, other},
        {"blanks without quotes", 1, {{0, " " + other + " "}}, {other}, other},
        {"empty: the next place", 1, {{0, ""}, {1, other}}, {other}, other},
        {"no default value: the next place", 1, {{0, "-"}, {2, other}}, {other}, other},
        {"a missing file: the next place", 1, {{0, "$\\gone\\chrome.exe"}}, {pf86}, pf86},
        {"a relative name: the next place", 1, {{0, "chrome.exe"}}, {local}, local},
        {"not text: the next place", 1, {{0, other, REG_BINARY}}, {other, pf}, pf},
        {"too long: the next place",
         1,
         {{0, "$\\" + std::string(300, 'x') + "\\chrome.exe"}},
         {local},
         local},
        {"a variable in REG_EXPAND_SZ", 1, {{0, "%QBDIR%\\chrome.exe", REG_EXPAND_SZ}}, {other}, other},
        {"a variable in REG_SZ is text", 1, {{0, "%QBDIR%\\chrome.exe"}}, {other, local}, local},
        {"an unset LOCALAPPDATA: the next place",
         1,
         {{0, std::string("%LOCALAPPDATA%\\") + kChrome, REG_EXPAND_SZ}},
         {pf86},
         pf86},
        {"Opera today, for one user",
         3,
         {},
         {"$\\Local\\Programs\\Opera\\launcher.exe"},
         "$\\Local\\Programs\\Opera\\launcher.exe"},
        {"Opera 12 and older", 3, {}, {"$\\PF\\Opera\\opera.exe"}, "$\\PF\\Opera\\opera.exe"},
        {"Opera's launcher before its old program",
         3,
         {},
         {"$\\PF86\\Opera\\opera.exe", "$\\PF86\\Opera\\launcher.exe"},
         "$\\PF86\\Opera\\launcher.exe"},
        {"Microsoft Edge",
         4,
         {},
         {"$\\PF86\\Microsoft\\Edge\\Application\\msedge.exe"},
         "$\\PF86\\Microsoft\\Edge\\Application\\msedge.exe"},
        {"Firefox by its App Paths entry",
         2,
         {{1, "$\\FF\\firefox.exe"}},
         {"$\\FF\\firefox.exe"},
         "$\\FF\\firefox.exe"},
    };
    for (const Row& row : rows) {
        scratch::Folder folder;
        scratch::RegistryKey keys[3];
        ProgramSearch::Places places;
        for (const scratch::RegistryKey& key : keys)
            places.appPaths.push_back({ProgramSearch::Root::CurrentUser, key.Path()});
        places.folders = {folder / "PF", folder / "PF86", folder / "Local"};
        places.environment = [&](const std::string& name) -> std::optional<std::string> {
            if (name == "QBDIR") return folder / "other dir";
            return std::nullopt;
        };
        const std::string exe = programs::ProgramOf(row.kind)->exe;
        for (const Value& v : row.registry)
            SetDefaultValue(keys[v.place].Path() + "\\" + exe, Filled(v.value, folder.Path()), v.type);
        for (const std::string& file : row.files) {
            std::string path = Filled(file, folder.Path());
            if (path.back() == '\\') {
                scratch::MakeFolders(path.substr(0, path.size() - 1));
            } else {
                scratch::MakeFolders(path.substr(0, path.rfind('\\')));
                scratch::WriteBytes(path, "MZ");
            }
        }
        EXPECT_EQ(ProgramSearch(places).Find(row.kind).value_or(""), Filled(row.found, folder.Path()))
            << row.what;
    }
}

TEST(ProgramSearch, NamesEveryPlaceInTheOrderItLooks) {
    ProgramSearch::Places places;
    places.appPaths = {{ProgramSearch::Root::CurrentUser, "Software\\A"},
                       {ProgramSearch::Root::Machine64, "Software\\A"},
                       {ProgramSearch::Root::Machine32, "Software\\A"}};
    places.folders = {"C:\\PF", "C:\\PF86", ""};
    EXPECT_EQ(ProgramSearch(places).Searched(4),
              (std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\A\\msedge.exe",
                                        "HKEY_LOCAL_MACHINE\\Software\\A\\msedge.exe (64-bit view)",
                                        "HKEY_LOCAL_MACHINE\\Software\\A\\msedge.exe (32-bit view)",
                                        "C:\\PF\\Microsoft\\Edge\\Application\\msedge.exe",
                                        "C:\\PF86\\Microsoft\\Edge\\Application\\msedge.exe"}));
    EXPECT_TRUE(ProgramSearch(places).Searched(0).empty());
    // This system's places: App Paths of the user, then the machine's.
    ProgramSearch::Places system = ProgramSearch::SystemPlaces();
    ASSERT_EQ(system.appPaths.size(), 3u);
    EXPECT_EQ(system.appPaths[0].key, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths");
    EXPECT_EQ(system.folders.programFiles, "C:\\Program Files");
    EXPECT_EQ(system.folders.programFilesX86, "C:\\Program Files (x86)");
}
