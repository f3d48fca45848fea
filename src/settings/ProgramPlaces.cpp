#include "settings/ProgramPlaces.h"

namespace programs {

namespace {

size_t CharacterCount(std::string_view utf8) {
    size_t n = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80) ++n;
    }
    return n;
}

std::string_view Trimmed(std::string_view text) {
    const char* blanks = " \t";
    size_t first = text.find_first_not_of(blanks);
    if (first == text.npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// A drive letter and its root, or a network share: a relative path would be
// looked up from whatever folder the program happens to run in.
bool Absolute(std::string_view path) {
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' &&
        separator(path[2]))
        return true;
    return path.size() >= 3 && separator(path[0]) && separator(path[1]) && !separator(path[2]);
}

std::optional<std::string> Expanded(std::string_view value, const Environment& environment) {
    std::string out;
    for (size_t at = 0; at < value.size();) {
        size_t open = value.find('%', at);
        size_t close = open == value.npos ? value.npos : value.find('%', open + 1);
        // A lone "%" is part of a name, as Windows leaves it.
        if (close == value.npos) {
            out += value.substr(at);
            break;
        }
        out += value.substr(at, open - at);
        std::string name(value.substr(open + 1, close - open - 1));
        std::optional<std::string> variable = name.empty() || !environment ? std::nullopt : environment(name);
        // Left unexpanded it would name a folder called "%NAME%".
        if (!variable) return std::nullopt;
        out += *variable;
        at = close + 1;
    }
    return out;
}

}  // namespace

const Program* ProgramOf(int kind) {
    static const Program kPrograms[] = {
        {"Google Chrome",
         "chrome.exe",
         {"Google\\Chrome\\Application\\chrome.exe"},
         {"Google\\Chrome\\Application\\chrome.exe"}},
        {"Mozilla Firefox",
         "firefox.exe",
         {"Mozilla Firefox\\firefox.exe"},
         {"Mozilla Firefox\\firefox.exe"}},
        // launcher.exe since Opera is built on Chromium; opera.exe up to Opera 12.
        {"Opera",
         "opera.exe",
         {"Opera\\launcher.exe", "Opera\\opera.exe"},
         {"Programs\\Opera\\launcher.exe"}},
        {"Microsoft Edge",
         "msedge.exe",
         {"Microsoft\\Edge\\Application\\msedge.exe"},
         {"Microsoft\\Edge\\Application\\msedge.exe"}},
    };
    return kind >= 1 && kind <= 4 ? &kPrograms[kind - 1] : nullptr;
}

std::vector<std::string> FolderCandidates(const Program& program, const InstallFolders& folders) {
    std::vector<std::string> out;
    auto add = [&](std::string folder, const std::vector<const char*>& places) {
        while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
        if (folder.empty()) return;
        for (const char* place : places) {
            std::string path = folder + "\\" + place;
            if (CharacterCount(path) <= kMaxProgramPath) out.push_back(path);
        }
    };
    add(folders.programFiles, program.forAllUsers);
    // A 32-bit Windows has one Program Files folder, which both names give.
    if (folders.programFilesX86 != folders.programFiles) add(folders.programFilesX86, program.forAllUsers);
    add(folders.localAppData, program.forOneUser);
    return out;
}

std::optional<std::string> PathFromAppPaths(std::string_view value, bool expand,
                                            const Environment& environment) {
    std::string text(value);
    if (expand) {
        std::optional<std::string> expanded = Expanded(value, environment);
        if (!expanded) return std::nullopt;
        text = *expanded;
    }
    std::string_view path = Trimmed(text);
    if (!path.empty() && path[0] == '"') {
        size_t close = path.find('"', 1);
        if (close == path.npos) return std::nullopt;
        path = Trimmed(path.substr(1, close - 1));
    }
    if (!Absolute(path) || CharacterCount(path) > kMaxProgramPath) return std::nullopt;
    return std::string(path);
}

}  // namespace programs
