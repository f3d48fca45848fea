#include "settings/ProgramSearch.h"

#include <windows.h>
#include <shlobj.h>

#include "settings/ProgramCheck.h"
#include "base/Handles.h"
#include "base/Text.h"

namespace {

// An App Paths value is one path; a value far longer is no program path.
constexpr DWORD kMaxValueChars = 1024;

struct RawValue {
    std::string text;
    bool expand = false;
};

// The default value of root\key, read-only; nothing when the key or the
// value is missing, is not text, or is too long.
std::optional<RawValue> DefaultValue(ProgramSearch::Root root, const std::string& key) {
    HKEY hive = root == ProgramSearch::Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    // A 64-bit installer registers in the one view, a 32-bit one in the other.
    REGSAM view = root == ProgramSearch::Root::Machine64   ? KEY_WOW64_64KEY
                  : root == ProgramSearch::Root::Machine32 ? KEY_WOW64_32KEY
                                                           : 0;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(hive, base::Widen(key).c_str(), 0, KEY_QUERY_VALUE | view, &raw) != ERROR_SUCCESS)
        return std::nullopt;
    base::UniqueHkey owned(raw);
    std::wstring data(kMaxValueChars + 1, L'\0');
    DWORD type = 0;
    DWORD size = kMaxValueChars * sizeof(wchar_t);
    if (RegQueryValueExW(owned.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    // The stored bytes need not end in a NUL.
    data.resize(size / sizeof(wchar_t));
    if (size_t nul = data.find(L'\0'); nul != data.npos) data.resize(nul);
    return RawValue{base::Narrow(data), type == REG_EXPAND_SZ};
}

std::string KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return base::Narrow(path);
}

std::optional<std::string> EnvironmentVariable(const std::string& name) {
    std::wstring wide = base::Widen(name);
    DWORD size = GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring value(size, L'\0');
    DWORD n = GetEnvironmentVariableW(wide.c_str(), value.data(), size);
    if (n == 0 || n >= size) return std::nullopt;
    value.resize(n);
    return base::Narrow(value);
}

std::string ProgramKey(const ProgramSearch::AppPathsKey& place, const programs::Program& program) {
    return place.key + "\\" + program.exe;
}

}  // namespace

ProgramSearch::Places ProgramSearch::SystemPlaces() {
    Places places;
    places.appPaths = {
        {Root::CurrentUser, kAppPaths}, {Root::Machine64, kAppPaths}, {Root::Machine32, kAppPaths}};
    places.folders.programFiles = KnownFolder(CSIDL_PROGRAM_FILES);
    places.folders.programFilesX86 = KnownFolder(CSIDL_PROGRAM_FILESX86);
    places.folders.localAppData = KnownFolder(CSIDL_LOCAL_APPDATA);
    places.environment = EnvironmentVariable;
    return places;
}

std::optional<std::string> ProgramSearch::Find(int kind) const {
    const programs::Program* program = programs::ProgramOf(kind);
    if (!program) return std::nullopt;
    const Places places = Current();
    for (const AppPathsKey& place : places.appPaths) {
        std::optional<RawValue> value = DefaultValue(place.root, ProgramKey(place, *program));
        if (!value) continue;
        std::optional<std::string> path =
            programs::PathFromAppPaths(value->text, value->expand, places.environment);
        // An entry left behind by an uninstaller names a file that is gone.
        if (path && IsFile(*path)) return path;
    }
    for (const std::string& path : programs::FolderCandidates(*program, places.folders)) {
        if (IsFile(path)) return path;
    }
    return std::nullopt;
}

std::vector<std::string> ProgramSearch::Searched(int kind) const {
    const programs::Program* program = programs::ProgramOf(kind);
    if (!program) return {};
    const Places places = Current();
    std::vector<std::string> lines;
    for (const AppPathsKey& place : places.appPaths) {
        std::string line =
            (place.root == Root::CurrentUser ? "HKEY_CURRENT_USER\\" : "HKEY_LOCAL_MACHINE\\") +
            ProgramKey(place, *program);
        if (place.root == Root::Machine64) line += " (64-bit view)";
        if (place.root == Root::Machine32) line += " (32-bit view)";
        lines.push_back(line);
    }
    for (std::string& path : programs::FolderCandidates(*program, places.folders))
        lines.push_back(std::move(path));
    return lines;
}
