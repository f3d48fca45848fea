#include "browsers/Browse.h"

#include <windows.h>

#include "browsers/CommandLine.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/ProgramCheck.h"
#include "base/Handles.h"
#include "base/Text.h"

std::string Browse::ProgramPath(int kind) const {
    if (kind == 0) return defaults::IEProgramPath;
    const TextSetting* key = ProgramPathSetting(kind);
    if (!key) return {};
    return LocateProgram(settings_, kind, search_).value_or(settings_.Read(*key));
}

std::optional<std::string> Browse::CommandLine(int kind, const std::string& address) const {
    return ComposeCommandLine(ProgramPath(kind), address);
}

bool Browse::Launch(int kind, const std::string& address) {
    std::optional<std::string> line = CommandLine(kind, address);
    if (!line) return false;
    // CreateProcessW may write into the command line, so it needs its own copy.
    std::wstring commandLine = base::Widen(*line);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESIZE;
    startup.dwXSize = 800;
    startup.dwYSize = 600;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &process)) {
        return false;
    }
    // The browser runs on its own; nothing waits for it or watches it.
    base::UniqueHandle thread(process.hThread);
    base::UniqueHandle child(process.hProcess);
    return true;
}
