#pragma once
// Starts the browser of a kind on an address (the Test commands' tester pages).
#include <optional>
#include <string>

#include "settings/ProgramSearch.h"

class IniFile;

class Browse {
public:
    // The settings file is lent by the main window, not owned.
    explicit Browse(IniFile& settings, ProgramSearch search = {})
        : settings_(settings), search_(std::move(search)) {}

    // The program path of a kind, looked up afresh: the stored path when its
    // file is there, else where the program is installed, else the stored
    // path (which the start then refuses); kind 0 is always the fixed
    // Internet Explorer path. Empty for an unknown kind.
    std::string ProgramPath(int kind) const;
    // The command line Launch would run, or nothing when it would refuse.
    std::optional<std::string> CommandLine(int kind, const std::string& address) const;
    // True when the process was created. Does not wait for the browser.
    bool Launch(int kind, const std::string& address);

private:
    IniFile& settings_;
    ProgramSearch search_;
};
