#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/ProgramSearch.h"
#include "support/Scratch.h"
#include "base/Text.h"

namespace {

// An App Paths entry: place 0, 1, 2 are three scratch keys under HKCU that
// stand for the user's and the machine's 64-bit and 32-bit App Paths, in the
// order they are asked. "$" stands for the scratch folder; "-" makes a key
// without a default value.
struct Entry {
    int place;
    std::string value;
    DWORD type = REG_SZ;
};

std::string Filled(std::string text, const std::string& folder) {
    for (size_t at; (at = text.find('$')) != text.npos;) text.replace(at, 1, folder);
    return text;
}

void SetDefaultValue(const std::string& key, const std::string& value, DWORD type) {
    const std::wstring wide = base::Widen(value == "-" ? "C:\\" : value);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, base::Widen(key).c_str(), value == "-" ? L"Path" : nullptr,
                              type, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

}  // namespace

TEST(ProgramSearch, FindsChromeAtTheFirstPlaceThatNamesAFileThatIsThere) {
    const std::string app = "Google\\Chrome\\Application\\chrome.exe";
    const std::string pf = "$\\PF\\" + app, pf86 = "$\\PF86\\" + app, local = "$\\Local\\" + app;
    const std::string other = "$\\other dir\\chrome.exe",
                      tooLong = "$\\" + std::string(300, 'x') + "\\chrome.exe";
    const struct Row {
        const char* what;
        std::vector<Entry> registry;
        std::vector<std::string> files;  // a trailing "\" makes a folder
        std::string found;               // "" for nothing
    } rows[] = {
        {"nowhere", {}, {}, ""},
        {"local application data", {}, {local}, local},
        {"Program Files (x86) before local", {}, {pf86, local}, pf86},
        {"Program Files before (x86)", {}, {pf, pf86}, pf},
        {"a folder of that name is no program", {}, {pf + "\\", local}, local},
        {"machine 32-bit App Paths before the folders", {{2, other}}, {other, pf}, other},
        {"machine 64-bit before 32-bit", {{1, other}, {2, local}}, {other, local}, other},
        {"user before machine", {{0, local}, {1, other}}, {other, local}, local},
        {"quoted, with blanks and an argument", {{0, "\"" + other + "\" --flag"}}, {other}, other},
        {"blanks without quotes", {{0, " " + other + " "}}, {other}, other},
        {"empty: the next place", {{0, ""}, {1, other}}, {other}, other},
        {"no default value: the next place", {{0, "-"}, {2, other}}, {other}, other},
        {"a missing file: the next place", {{0, "$\\gone\\chrome.exe"}}, {pf86}, pf86},
        {"not text: the next place", {{0, other, REG_BINARY}}, {other, pf}, pf},
        {"longer than MAX_PATH: the next place", {{0, tooLong}}, {local}, local},
        {"a variable in REG_EXPAND_SZ", {{0, "%QBDIR%\\chrome.exe", REG_EXPAND_SZ}}, {other}, other},
        {"a variable in REG_SZ is text", {{0, "%QBDIR%\\chrome.exe"}}, {other, local}, local},
        {"LOCALAPPDATA unset: the next place", {{0, "%LOCALAPPDATA%\\" + app, REG_EXPAND_SZ}}, {pf86}, pf86},
    };
    for (const Row& row : rows) {
        scratch::Folder folder;
        scratch::RegistryKey keys[3];
        ProgramSearch::Places places = scratch::ProgramPlaces(folder);
        for (const scratch::RegistryKey& key : keys)
            places.appPaths.push_back({ProgramSearch::Root::CurrentUser, key.Path()});
        places.environment = [&](const std::string& name) -> std::optional<std::string> {
            if (name == "QBDIR") return folder / "other dir";
            return std::nullopt;
        };
        for (const Entry& e : row.registry)
            SetDefaultValue(keys[e.place].Path() + "\\chrome.exe", Filled(e.value, folder.Path()), e.type);
        for (const std::string& file : row.files) {
            std::string path = Filled(file, folder.Path());
            scratch::MakeFolders(path.substr(0, path.rfind('\\')));
            if (path.back() != '\\') scratch::WriteBytes(path, "MZ");
        }
        EXPECT_EQ(ProgramSearch(places).Find(1).value_or(""), Filled(row.found, folder.Path())) << row.what;
    }
}
