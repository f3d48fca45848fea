#pragma once
// Firefox's Profiles.ini as bytes. Firefox writes it in UTF-8 whatever the
// system code page, so it is read here rather than through the profile
// functions, which take a file without a byte-order mark in the ANSI code page
// and turn a Japanese user name into "?" on a Western system.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace profiles {

// A profile folder as Profiles.ini names it.
struct Place {
    std::string path;      // as written: "Profiles/x.default" or "C:\Firefox\x.default"
    bool relative = true;  // IsRelative=1 or absent: below the Firefox folder
};

struct ProfilesIni {
    // Default= of each [Install...] section, in file order. Since Firefox 67
    // each installation keeps its own default profile there.
    std::vector<Place> installDefaults;
    // The [ProfileN] sections marked Default=1, in file order.
    std::vector<Place> markedDefaults;
    // [Profile0], when it has a Path.
    std::optional<Place> profile0;
};

// Lines may end in CR LF, LF or CR alone; section and key names match without
// regard to case; blanks around names and values do not count; the first of
// two equal keys or sections wins, as with the profile functions. A value
// holding a control character (a NUL, say) is taken as absent: cut at the NUL,
// it could name some other, existing folder.
ProfilesIni Parse(std::string_view bytes);

// The Windows path of the place's folder, without a trailing separator:
// - relative: firefoxFolder + "\" + path with its first "/" turned into "\".
//   A relative path without "/" is not one Firefox writes and gives nothing.
// - absolute: the path itself, which must start with a drive ("C:\") or a
//   server ("\\server\").
// Empty when the path cannot name a profile folder: empty, a ".." step, or a
// character Windows does not allow in a file name.
std::string Folder(std::string_view firefoxFolder, const Place& place);

}  // namespace profiles
