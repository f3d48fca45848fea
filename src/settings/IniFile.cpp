#include "settings/IniFile.h"

#include <windows.h>

#include <vector>

#include "settings/Defaults.h"
#include "settings/IniRules.h"
#include "ui/Text.h"

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& fallback) const {
    // The profile functions return a missing key as the default we pass; to tell
    // a missing key from a stored value equal to it we ask with a marker first.
    static const wchar_t kAbsent[] = L"\x01\x02<absent>\x02\x01";
    std::vector<wchar_t> buf(ini::kMaxValueLength + 1);
    std::wstring wpath = ui::Widen(path_);
    DWORD n = GetPrivateProfileStringW(ui::Widen(section).c_str(), ui::Widen(key).c_str(), kAbsent,
                                       buf.data(), static_cast<DWORD>(buf.size()), wpath.c_str());
    std::wstring value(buf.data(), n);
    if (value == kAbsent) return fallback;
    return ui::Narrow(value);
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (!WritePrivateProfileStringW(ui::Widen(section).c_str(), ui::Widen(key).c_str(),
                                    ui::Widen(value).c_str(), ui::Widen(path_).c_str())) {
        throw EIniFileException(path_ + " に書き込めません");
    }
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const {
    return ini::ParseInteger(ReadString(section, key, ""), fallback);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

std::string ProgramFolder() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size()) {
            buf.resize(n);
            break;
        }
        buf.resize(buf.size() * 2);
    }
    size_t slash = buf.find_last_of(L"\\/");
    return ui::Narrow(buf.substr(0, slash + 1));
}

std::string SettingsFilePath(const std::string& folder) {
    std::string dir = folder.empty() ? ProgramFolder() : folder;
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
    return dir + defaults::IniFileName;
}
