#pragma once
// Whether a browser's program file is there: the check behind the browser
// choices of the main window and the settings dialog.
#include <string>

#include "settings/IniFile.h"

// The program path field holds 199 characters; a longer stored path is
// refused rather than cut into the name of some other file.
inline constexpr size_t kMaxProgramPath = 199;

// True when the file can be opened for reading (a relative path is looked up
// from the current directory, as the stored default "0" is).
bool CanOpenForReading(const std::string& path);

// The program path as stored (a missing key reads "0") names a program file
// that is there.
bool StoredProgramExists(const IniFile& settings, const TextSetting& programPath);
