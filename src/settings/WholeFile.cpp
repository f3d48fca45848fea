#include "settings/WholeFile.h"

#include <windows.h>

#include <algorithm>

#include "base/Handles.h"
#include "base/Text.h"

namespace {

base::UniqueHandle OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD creation) {
    HANDLE h = CreateFileW(path.c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    return base::UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

bool WriteAll(HANDLE file, const std::string& content) {
    size_t done = 0;
    while (done < content.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, content.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 0 || path[slash - 1] == L':') return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

}  // namespace

bool FileHeldWithoutSharing(const std::string& path) {
    base::UniqueHandle file = OpenFile(base::Widen(path), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    return !file && GetLastError() == ERROR_SHARING_VIOLATION;
}

FileRead ReadWholeFile(const std::string& path, std::string& content, long long maxSize) {
    content.clear();
    if (path.empty()) return FileRead::Missing;
    // A browser may hold the file open; share everything so the read still works.
    base::UniqueHandle file = OpenFile(base::Widen(path), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (!file) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRead::Missing
                                                                              : FileRead::Failed;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > maxSize) return FileRead::Failed;
    content.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < content.size()) {
        DWORD got = 0;
        if (!ReadFile(file.get(), content.data() + done, static_cast<DWORD>(content.size() - done), &got,
                      nullptr)) {
            content.clear();
            return FileRead::Failed;
        }
        if (got == 0) break;  // the file shrank under us
        done += got;
    }
    content.resize(done);
    return FileRead::Ok;
}

bool ReplaceWholeFile(const std::string& path, const std::string& content) {
    if (path.empty()) return false;
    std::wstring target = base::Widen(path);
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        return false;
    }
    // The scratch file must be in the same folder: a rename across volumes is
    // a copy, and a copy can be cut short.
    wchar_t scratch[MAX_PATH] = {};
    if (!GetTempFileNameW(FolderOf(target).c_str(), L"qbp", 0, scratch)) return false;
    bool written = false;
    {
        base::UniqueHandle file = OpenFile(scratch, GENERIC_WRITE, 0, TRUNCATE_EXISTING);
        written = file && WriteAll(file.get(), content) && FlushFileBuffers(file.get());
    }
    if (written && MoveFileExW(scratch, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileW(scratch);
    return false;
}

bool DeleteWholeFile(const std::string& path) {
    std::wstring target = base::Widen(path);
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    // Left alone as ReplaceWholeFile leaves it, whatever the file system would allow.
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    return DeleteFileW(target.c_str()) != FALSE;
}
