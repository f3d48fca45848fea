#pragma once
// Finds a browser's program where it is installed: its App Paths entry in the
// registry (the user's, then the machine's in both registry views), then the
// install folders. The places are given to the class; the real ones are the
// default, tests give scratch keys and folders.
#include <optional>
#include <string>
#include <vector>

#include "settings/ProgramPlaces.h"

class ProgramSearch {
public:
    enum class Root { CurrentUser, Machine64, Machine32 };
    // An App Paths key; the program's own key is looked for under it.
    struct AppPathsKey {
        Root root;
        std::string key;
    };
    struct Places {
        std::vector<AppPathsKey> appPaths;  // asked in this order
        programs::InstallFolders folders;
        programs::Environment environment;  // expands REG_EXPAND_SZ values
    };

    static constexpr char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";

    // The real places, taken from the system at each search.
    ProgramSearch() = default;
    explicit ProgramSearch(Places places) : places_(std::move(places)) {}

    // The first place that names a file that is there; nothing for Internet
    // Explorer, an unknown kind, or a program that is nowhere.
    std::optional<std::string> Find(int kind) const;
    // Where Find looks, in its order, one place a line, to tell the user.
    std::vector<std::string> Searched(int kind) const;

    // The registry keys and folders of this system, and its environment.
    static Places SystemPlaces();

private:
    Places Current() const { return places_ ? *places_ : SystemPlaces(); }

    std::optional<Places> places_;
};
