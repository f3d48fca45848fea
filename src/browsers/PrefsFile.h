#pragma once
// Whole-file reading and safe replacement of a browser's preference file.
#include <string>

enum class PrefsRead {
    Ok,
    Missing,  // no such file (or no path): a change may create it
    Failed,   // exists but cannot be read: leave it alone
};

PrefsRead ReadPrefsFile(const std::string& path, std::string& content);

// Replaces the file with content, or leaves it exactly as it was. The new
// content goes to a scratch file in the same folder, is flushed, and then
// takes the file's place in one rename, so a failure at any point (a full
// disk, a read-only file or folder, a crash) never leaves a truncated file.
// A read-only file is left alone. Returns whether the file was replaced.
bool ReplacePrefsFile(const std::string& path, const std::string& content);
