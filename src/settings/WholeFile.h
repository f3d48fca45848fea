#pragma once
// Whole-file reading and safe replacement, for the files edited as a whole:
// a browser's preference file, and the settings file when it changes form.
#include <string>

enum class FileRead {
    Ok,
    Missing,  // no such file (or no path): a change may create it
    Failed,   // exists but cannot be read (or is larger than maxSize): leave it alone
};

// prefs.js is some hundred kilobytes; anything far beyond is not one.
inline constexpr long long kMaxWholeFileSize = 64LL * 1024 * 1024;

FileRead ReadWholeFile(const std::string& path, std::string& content, long long maxSize = kMaxWholeFileSize);

// Replaces the file with content, or leaves it exactly as it was. The new
// content goes to a scratch file in the same folder, is flushed, and then
// takes the file's place in one rename, so a failure at any point (a full
// disk, a read-only file or folder, a crash) never leaves a truncated file.
// A read-only file is left alone. Returns whether the file was replaced.
bool ReplaceWholeFile(const std::string& path, const std::string& content);

// Deletes the file; a read-only one is left alone. Returns whether it is gone.
bool DeleteWholeFile(const std::string& path);

// Whether another process holds the file open without sharing it: the file is
// opened for reading with full sharing and closed at once. A missing file, or
// any refusal but a sharing violation, is no holder. Never creates the file
// nor changes its time stamp.
bool FileHeldWithoutSharing(const std::string& path);
