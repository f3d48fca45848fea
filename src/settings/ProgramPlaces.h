#pragma once
// Where each browser's program file is looked for, as rules on plain text:
// its name under App Paths, its folders under the install folders, and how
// an App Paths value becomes a program path. ProgramSearch reads the registry
// and the disk by these rules.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace programs {

// The program path field holds 199 characters; a longer path is refused
// rather than cut into the name of some other file.
inline constexpr size_t kMaxProgramPath = 199;

struct Program {
    const char* name;  // as the browser lists show it
    const char* exe;   // its key under App Paths
    // Under Program Files and Program Files (x86), in this order.
    std::vector<const char*> forAllUsers;
    // Under the user's local application data folder.
    std::vector<const char*> forOneUser;
};

// The program of a browser kind (1 Chrome, 2 Firefox, 3 Opera, 4 Edge);
// nothing for Internet Explorer, whose path is fixed, nor for an unknown kind.
const Program* ProgramOf(int kind);

// The install folders, without a trailing separator. An empty one (a folder
// the system does not name) is not searched.
struct InstallFolders {
    std::string programFiles;
    std::string programFilesX86;
    std::string localAppData;
};

// The files the folder search tries, in order: Program Files, Program Files
// (x86) (unless it is the same folder), then the local application data
// folder. A path longer than kMaxProgramPath is left out.
std::vector<std::string> FolderCandidates(const Program& program, const InstallFolders& folders);

// An environment variable's value; nothing when it is not set.
using Environment = std::function<std::optional<std::string>(const std::string& name)>;

// The program path an App Paths default value names. With expand (the value
// is a REG_EXPAND_SZ), each %NAME% is first replaced by its variable. Blanks
// around the value go; a path in quotes is taken without them, and what
// follows the closing quote (arguments) is dropped. Nothing when the value is
// empty, names a variable that is not set, has an unclosed quote, is not an
// absolute path, or is longer than kMaxProgramPath.
std::optional<std::string> PathFromAppPaths(std::string_view value, bool expand,
                                            const Environment& environment);

}  // namespace programs
