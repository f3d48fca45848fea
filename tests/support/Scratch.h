#pragma once
// Scratch places for tests, so that no test touches the user's own settings:
// a folder under %TEMP% and a key under HKCU\Software\QuillbarrowTest, each
// unique to the test and deleted with everything in it afterwards.
#include <string>

#include "settings/ProgramSearch.h"

namespace scratch {

class Folder {
public:
    Folder();
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    // UTF-8 path without a trailing separator.
    const std::string& Path() const { return path_; }
    // Path() + "\" + relative.
    std::string operator/(const std::string& relative) const;

private:
    std::string path_;
};

class RegistryKey {
public:
    RegistryKey();
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Relative to HKEY_CURRENT_USER. The key itself is not created.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Makes a folder with its parents.
void MakeFolders(const std::string& path);
// Writes bytes exactly (binary), creating or replacing the file.
void WriteBytes(const std::string& path, const std::string& bytes);
// The file's bytes; empty when it cannot be read.
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);
void SetReadOnly(const std::string& path, bool readOnly);

// A helper program built beside the running test executable.
std::string HelperProgram(const std::string& exeName);
// The file's bytes once it exists and has some (polled for up to ms); empty
// when they never came.
std::string WaitForFile(const std::string& path, int ms = 10000);
// A Firefox profile under appData: Profiles.ini naming Profiles/<name> as
// Profile0, and the profile's folder. Returns the path of its prefs.js (not
// created).
std::string MakeFirefoxProfile(const std::string& appData, const std::string& name = "x.default");

// Where the program search looks in a test: no App Paths keys, and the
// install folders <folder>\PF, <folder>\PF86 and <folder>\Local (not made).
ProgramSearch::Places ProgramPlaces(const Folder& folder);
// A copy of the stand-in browser at path, its folders made.
void PlaceStandInBrowser(const std::string& path);

// Changes the current directory for its lifetime.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& path);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::wstring old_;
};

}  // namespace scratch
