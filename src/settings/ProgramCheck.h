#pragma once
// Whether and where a browser's program file is: the check behind the browser
// choices of the main window and the settings dialog, and the path Test starts.
#include <optional>
#include <string>

#include "settings/IniFile.h"
#include "settings/ProgramSearch.h"

// True when the file can be opened for reading (a relative path is looked up
// from the current directory).
bool CanOpenForReading(const std::string& path);
// True when a file, not a folder, is there.
bool IsFile(const std::string& path);

// The key that holds the program path of a browser kind; nothing for
// Internet Explorer, whose path is fixed, nor for an unknown kind.
const TextSetting* ProgramPathSetting(int kind);

// The stored program path (its default when the key is missing) when it
// names a file that is there, so a path the user gave always wins; otherwise
// where the search finds the program; nothing when neither.
std::optional<std::string> LocateProgram(const IniFile& settings, int kind, const ProgramSearch& search);

// What the user is told when a browser just picked is nowhere: the program
// and every place it was looked for.
std::string ProgramNotFoundText(const IniFile& settings, int kind, const ProgramSearch& search);
