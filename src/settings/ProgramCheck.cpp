#include "settings/ProgramCheck.h"

#include <windows.h>

#include <cstdio>

#include "settings/Defaults.h"
#include "base/Text.h"

bool CanOpenForReading(const std::string& path) {
    if (path.empty()) return false;
    FILE* f = _wfopen(base::Widen(path).c_str(), L"rb");
    if (!f) return false;
    fclose(f);
    return true;
}

bool IsFile(const std::string& path) {
    if (path.empty()) return false;
    DWORD attributes = GetFileAttributesW(base::Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

const TextSetting* ProgramPathSetting(int kind) {
    switch (kind) {
        case 1: return &setting::ChromePath;
        case 2: return &setting::FirefoxPath;
        case 3: return &setting::OperaPath;
        case 4: return &setting::EdgePath;
        default: return nullptr;
    }
}

std::optional<std::string> LocateProgram(const IniFile& settings, int kind, const ProgramSearch& search) {
    const TextSetting* key = ProgramPathSetting(kind);
    if (!key) return std::nullopt;
    std::string stored = settings.Read(*key);
    if (stored.size() <= programs::kMaxProgramPath && CanOpenForReading(stored)) return stored;
    return search.Find(kind);
}

std::string ProgramNotFoundText(const IniFile& settings, int kind, const ProgramSearch& search) {
    const programs::Program* program = programs::ProgramOf(kind);
    const TextSetting* key = ProgramPathSetting(kind);
    if (!program || !key) return {};
    std::string text = std::string(program->name) + " (" + program->exe +
                       ") was not found, so Internet Explorer is selected.\n\nLooked in:\n";
    // An empty path in the settings means "search", and names no place.
    if (std::string stored = settings.Read(*key); !stored.empty())
        text += "- " + stored + " (the path in the settings)\n";
    // Marked one by one: the box wraps long paths over several lines.
    for (const std::string& place : search.Searched(kind)) text += "- " + place + "\n";
    return text + "\nIf it is installed elsewhere, give its path in the Setting dialog.";
}
