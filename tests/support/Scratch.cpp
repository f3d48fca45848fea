#include "support/Scratch.h"

#include <windows.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base/Text.h"

namespace scratch {

namespace {

std::string UniqueName() {
    static std::atomic<unsigned> counter{0};
    return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64()) + "-" +
           std::to_string(++counter);
}

void DeleteTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}

constexpr wchar_t kTestRoot[] = L"Software\\QuillbarrowTest";

}  // namespace

Folder::Folder() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    std::wstring path = temp;
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    path += L"\\qbtest-" + base::Widen(UniqueName());
    if (!CreateDirectoryW(path.c_str(), nullptr)) {
        throw std::runtime_error("cannot create scratch folder " + base::Narrow(path));
    }
    path_ = base::Narrow(path);
}

Folder::~Folder() { DeleteTree(base::Widen(path_)); }

std::string Folder::operator/(const std::string& relative) const { return path_ + "\\" + relative; }

RegistryKey::RegistryKey() : path_(base::Narrow(kTestRoot) + "\\" + UniqueName()) {}

RegistryKey::~RegistryKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, base::Widen(path_).c_str());
    // Succeeds only when no other test's key is left under it.
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestRoot);
}

void MakeFolders(const std::string& path) {
    std::wstring wide = base::Widen(path);
    for (size_t i = 0; (i = wide.find(L'\\', i + 1)) != std::wstring::npos;) {
        CreateDirectoryW(wide.substr(0, i).c_str(), nullptr);
    }
    CreateDirectoryW(wide.c_str(), nullptr);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(base::Widen(path).c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(base::Widen(path).c_str(), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(base::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void SetReadOnly(const std::string& path, bool readOnly) {
    std::wstring wide = base::Widen(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    attributes =
        readOnly ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    SetFileAttributesW(wide.c_str(), attributes);
}

std::string HelperProgram(const std::string& exeName) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return base::Narrow(path.substr(0, path.find_last_of(L'\\') + 1)) + exeName;
}

std::string WaitForFile(const std::string& path, int ms) {
    for (int waited = 0; waited < ms; waited += 50) {
        // Under load the file was seen to exist while a read still got
        // nothing from it: try again until it has some bytes.
        if (Exists(path)) {
            std::string bytes = ReadBytes(path);
            if (!bytes.empty()) return bytes;
        }
        Sleep(50);
    }
    return {};
}

std::string MakeFirefoxProfile(const std::string& appData, const std::string& name) {
    std::string firefox = appData + "\\Mozilla\\Firefox";
    std::string profile = firefox + "\\Profiles\\" + name;
    MakeFolders(profile);
    WriteBytes(firefox + "\\Profiles.ini",
               "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/" + name + "\r\n");
    return profile + "\\prefs.js";
}

ProgramSearch::Places ProgramPlaces(const Folder& folder) {
    ProgramSearch::Places places;
    places.folders = {folder / "PF", folder / "PF86", folder / "Local"};
    return places;
}

void PlaceStandInBrowser(const std::string& path) {
    MakeFolders(path.substr(0, path.rfind('\\')));
    if (!CopyFileW(base::Widen(HelperProgram("StandInBrowser.exe")).c_str(), base::Widen(path).c_str(),
                   FALSE))
        throw std::runtime_error("cannot copy the stand-in browser to " + path);
}

CurrentDirectory::CurrentDirectory(const std::string& path) {
    wchar_t old[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, old);
    old_ = old;
    SetCurrentDirectoryW(base::Widen(path).c_str());
}

CurrentDirectory::~CurrentDirectory() { SetCurrentDirectoryW(old_.c_str()); }

}  // namespace scratch
