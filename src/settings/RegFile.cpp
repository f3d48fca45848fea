#include "settings/RegFile.h"

#include <windows.h>

#include "settings/IniRules.h"
#include "base/Handles.h"
#include "base/Text.h"

namespace {

// Each call asks only for what it does: a key that policy leaves read-only
// must still be readable. A failed open or create may leave anything in the
// out-parameter, so the handle is owned only after success.
base::UniqueHkey OpenToRead(const std::string& path) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, base::Widen(path).c_str(), 0, KEY_QUERY_VALUE, &raw) !=
        ERROR_SUCCESS)
        return {};
    return base::UniqueHkey(raw);
}

// Opens the key to set values, creating it when it is missing. The right to
// make a key is checked on its parent, so the new key's handle needs no more.
base::UniqueHkey OpenToWrite(const std::string& path) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, base::Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &raw, nullptr) != ERROR_SUCCESS) {
        return {};
    }
    return base::UniqueHkey(raw);
}

}  // namespace

uint32_t RegFile::GetDword(const std::string& name) const {
    base::UniqueHkey key = OpenToRead(keyPath_);
    if (!key) return 0;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    LONG rc = RegQueryValueExW(key.get(), base::Widen(name).c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(&value), &size);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return 0;
    return value;
}

void RegFile::SetDword(const std::string& name, uint32_t value) {
    base::UniqueHkey key = OpenToWrite(keyPath_);
    if (!key) return;
    DWORD data = value;
    RegSetValueExW(key.get(), base::Widen(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                   sizeof data);
}

RegFile::ReadResult RegFile::GetString(const std::string& name, std::string& buffer, size_t maxChars) const {
    base::UniqueHkey key = OpenToRead(keyPath_);
    if (!key) return ReadResult::Missing;
    std::wstring data(maxChars + 1, L'\0');
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    LONG rc = RegQueryValueExW(key.get(), base::Widen(name).c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc == ERROR_FILE_NOT_FOUND) return ReadResult::Missing;
    // ERROR_MORE_DATA leaves the buffer in an undefined state: never use it.
    // REG_EXPAND_SZ is text as well (an administrator's tool may store the
    // value so); RegQueryValueEx hands it over unexpanded, which is what a
    // later SetString writes back, as REG_SZ.
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return ReadResult::Unusable;
    // The stored bytes need not end in a NUL (a writer may leave it out), and
    // an odd byte count cannot be UTF-16 text.
    if (size % sizeof(wchar_t) != 0) return ReadResult::Unusable;
    std::wstring_view text(data.data(), size / sizeof(wchar_t));
    if (size_t nul = text.find(L'\0'); nul != text.npos) text = text.substr(0, nul);
    if (text.size() > maxChars) return ReadResult::Unusable;
    buffer = base::Narrow(text);
    return ReadResult::Ok;
}

bool RegFile::Fits(const std::string& text) { return base::Widen(text).size() <= kMaxString; }

void RegFile::SetString(const std::string& name, const std::string& text) {
    // No value of ours holds a line break or another control character: such
    // a text comes from a hostile page or file, and is not stored.
    if (!ini::IsOneLineText(text)) return;
    base::UniqueHkey key = OpenToWrite(keyPath_);
    if (!key) return;
    std::wstring wide = base::Widen(text);
    // The byte count must include the terminating NUL, or readers that trust
    // REG_SZ to be terminated run past the data.
    RegSetValueExW(key.get(), base::Widen(name).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(wide.c_str()),
                   static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::string> RegFile::GetBinary(const std::string& name) const {
    base::UniqueHkey key = OpenToRead(keyPath_);
    if (!key) return std::nullopt;
    std::wstring wideName = base::Widen(name);
    // Another program may grow the value between asking its size and reading
    // it; ERROR_MORE_DATA then says so, and the next round asks again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        std::string data(size, '\0');
        LONG rc = RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(data.data()), &size);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS || type != REG_BINARY) return std::nullopt;
        data.resize(size);
        return data;
    }
    return std::nullopt;
}

void RegFile::SetBinary(const std::string& name, std::string_view bytes) {
    base::UniqueHkey key = OpenToWrite(keyPath_);
    if (!key) return;
    RegSetValueExW(key.get(), base::Widen(name).c_str(), 0, REG_BINARY,
                   reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
}
