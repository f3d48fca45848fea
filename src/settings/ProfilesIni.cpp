#include "settings/ProfilesIni.h"

#include <utility>

namespace profiles {

namespace {

using Entries = std::vector<std::pair<std::string_view, std::string_view>>;

struct Section {
    std::string_view name;
    Entries entries;
};

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

bool StartsWithName(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && SameName(s.substr(0, prefix.size()), prefix);
}

bool HasControl(std::string_view s) {
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) return true;
    }
    return false;
}

std::vector<Section> Sections(std::string_view text) {
    std::vector<Section> sections;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = Trim(text.substr(at, end - at));
        at = end;
        if (at < text.size() && text[at] == '\r') ++at;
        if (at < text.size() && text[at] == '\n') ++at;

        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            if (close == std::string_view::npos) continue;
            sections.push_back({Trim(line.substr(1, close - 1)), {}});
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string_view::npos || sections.empty()) continue;
        sections.back().entries.emplace_back(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
    return sections;
}

std::optional<std::string_view> Value(const Section& section, std::string_view key) {
    for (const auto& [k, v] : section.entries) {
        if (!SameName(k, key)) continue;
        if (HasControl(v)) return std::nullopt;
        return v;
    }
    return std::nullopt;
}

bool IsProfileSection(std::string_view name) {
    if (!StartsWithName(name, "Profile") || name.size() == 7) return false;
    for (char c : name.substr(7)) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

bool LooksAbsolute(std::string_view path) {
    bool drive = path.size() >= 3 &&
                 ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                 path[1] == ':' && path[2] == '\\';
    return drive || path.substr(0, 2) == "\\\\";
}

std::optional<Place> ProfilePlace(const Section& section) {
    std::optional<std::string_view> path = Value(section, "Path");
    if (!path || path->empty()) return std::nullopt;
    return Place{std::string(*path), Value(section, "IsRelative").value_or("1") != "0"};
}

}  // namespace

ProfilesIni Parse(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::vector<Section> sections = Sections(bytes);

    ProfilesIni ini;
    std::vector<Place> profiles;
    bool seenProfile0 = false;
    for (const Section& section : sections) {
        if (!IsProfileSection(section.name)) continue;
        std::optional<Place> place = ProfilePlace(section);
        if (SameName(section.name, "Profile0") && !seenProfile0) {
            seenProfile0 = true;
            ini.profile0 = place;
        }
        if (!place) continue;
        profiles.push_back(*place);
        if (Value(section, "Default").value_or("") == "1") ini.markedDefaults.push_back(*place);
    }
    for (const Section& section : sections) {
        if (!StartsWithName(section.name, "Install") || section.name.size() == 7) continue;
        std::optional<std::string_view> path = Value(section, "Default");
        if (!path || path->empty()) continue;
        // Firefox writes the profile's Path here as it stands in the profile's
        // own section, so that section says how to read it.
        Place place{std::string(*path), !LooksAbsolute(*path)};
        for (const Place& profile : profiles) {
            if (profile.path == place.path) {
                place.relative = profile.relative;
                break;
            }
        }
        ini.installDefaults.push_back(std::move(place));
    }
    return ini;
}

std::string Folder(std::string_view firefoxFolder, const Place& place) {
    std::string_view path = place.path;
    if (path.empty() || HasControl(path)) return {};
    if (path.find_first_of("<>\"|?*") != std::string_view::npos) return {};
    // A ".." step would leave the folder Profiles.ini speaks for.
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/' && path[i] != '\\') continue;
        if (path.substr(start, i - start) == "..") return {};
        start = i + 1;
    }

    std::string folder;
    if (place.relative) {
        size_t slash = path.find('/');
        if (slash == 0 || slash == std::string_view::npos || path.find(':') != std::string_view::npos)
            return {};
        std::string_view rest = path.substr(slash + 1);
        if (rest.find_first_not_of("/\\") == std::string_view::npos) return {};
        folder.append(firefoxFolder).append("\\");
        folder.append(path.substr(0, slash)).append("\\").append(rest);
    } else {
        if (!LooksAbsolute(path) || path.find(':', 2) != std::string_view::npos) return {};
        folder = path;
    }
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    // A bare drive or server is no profile folder.
    if (folder.size() <= 2) return {};
    if (folder[0] == '\\' && folder.find('\\', 2) == std::string::npos) return {};
    return folder;
}

}  // namespace profiles
