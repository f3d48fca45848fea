#include "settings/IniFile.h"

#include <windows.h>

#include <vector>

#include "settings/Defaults.h"
#include "settings/IniRules.h"
#include "settings/WholeFile.h"
#include "base/Handles.h"
#include "base/Text.h"

namespace {

constexpr char kUtf16Mark[] = "\xFF\xFE";
// The settings file is a few kilobytes; one far larger is left as it is.
constexpr long long kMaxSettingsSize = 1024 * 1024;

std::wstring Decode(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

// The file as UTF-16LE with its byte-order mark.
std::string Utf16File(const std::wstring& text) {
    std::string bytes = kUtf16Mark;
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

}  // namespace

void IniFile::KeepUnicode(bool writing) const {
    if (owner_ != IniOwner::Ours) return;
    std::string bytes;
    FileRead read = ReadWholeFile(path_, bytes, kMaxSettingsSize);
    if (read == FileRead::Missing) {
        if (!writing) return;
        // CREATE_NEW: a file made meanwhile by another writer is not emptied.
        // Should this fail, the write that follows fails too and says so.
        HANDLE h = CreateFileW(base::Widen(path_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        base::UniqueHandle file(h == INVALID_HANDLE_VALUE ? nullptr : h);
        DWORD written = 0;
        if (file) WriteFile(file.get(), kUtf16Mark, 2, &written, nullptr);
        return;
    }
    if (read != FileRead::Ok) return;  // held open or unreadable: the profile functions decide
    std::wstring text;
    switch (ini::DetectTextForm(bytes)) {
        case ini::TextForm::Utf16: return;
        case ini::TextForm::Utf8Bom: text = Decode(std::string_view(bytes).substr(3), CP_UTF8); break;
        case ini::TextForm::Utf8: text = Decode(bytes, CP_UTF8); break;
        case ini::TextForm::CodePage:
            // Read as it stands (Shift-JIS on a Japanese system); changed
            // only when a write is about to add to it.
            if (!writing) return;
            text = Decode(bytes, CP_ACP);
            break;
    }
    // A read-only file or folder refuses this; the write then fails and says so.
    ReplaceWholeFile(path_, Utf16File(text));
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& fallback) const {
    // The profile functions return a missing key as the default we pass; to tell
    // a missing key from a stored value equal to it we ask with a marker first.
    static const wchar_t kAbsent[] = L"\x01\x02<absent>\x02\x01";
    KeepUnicode(false);
    std::vector<wchar_t> buf(ini::kMaxValueLength + 1);
    std::wstring wpath = base::Widen(path_);
    DWORD n = GetPrivateProfileStringW(base::Widen(section).c_str(), base::Widen(key).c_str(), kAbsent,
                                       buf.data(), static_cast<DWORD>(buf.size()), wpath.c_str());
    std::wstring value(buf.data(), n);
    if (value == kAbsent) return fallback;
    return base::Narrow(value);
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    // The one place every value reaches the file: a list entry or a pasted
    // text with a line break must not plant a section or key of its own.
    if (!ini::IsOneLineText(section) || !ini::IsOneLineText(key) || !ini::IsOneLineText(value))
        throw EIniFileException(section + "/" + key +
                                ": a line break or another control character cannot be stored in " + path_);
    KeepUnicode(true);
    if (!WritePrivateProfileStringW(base::Widen(section).c_str(), base::Widen(key).c_str(),
                                    base::Widen(value).c_str(), base::Widen(path_).c_str())) {
        throw EIniFileException(path_ + " に書き込めません");
    }
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const {
    return ini::ParseInteger(ReadString(section, key, ""), fallback);
}

int32_t IniFile::ReadNumber(const TextSetting& s) const {
    return ini::ParseInteger(ReadString(s.section, s.key, ""), ini::ParseInteger(s.fallback, 0));
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
    return base::Narrow(buf.substr(0, slash + 1));
}

std::string SettingsFilePath(const std::string& folder) {
    std::string dir = folder.empty() ? ProgramFolder() : folder;
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
    return dir + defaults::IniFileName;
}
