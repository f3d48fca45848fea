#pragma once
// Access to one INI file through the Windows profile functions. The object
// holds only the path: every read goes to the file and every write reaches it
// before the call returns.
#include <cstdint>
#include <string>

#include "base/Error.h"
#include "settings/Defaults.h"

// Raised when the file system refuses a write: "<path> に書き込めません"; and
// before a value with a line break or another control character is written.
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

// Whose file it is decides the form it is kept in.
enum class IniOwner {
    // The settings file. The profile functions write a file without a
    // byte-order mark in the ANSI code page, so "?" would replace whatever the
    // user typed outside it (Japanese on a Western system, accents on a
    // Japanese one); a file that starts with the UTF-16 mark they keep as
    // UTF-16. So a new file is made with that mark, and an old one gets it
    // before its first write; a file saved as UTF-8 (with or without a mark,
    // as Notepad saves) is brought to UTF-16 before it is read, since the
    // profile functions would take it in the code page.
    Ours,
    // A browser's file (Opera's operaprefs.ini): left in the form its browser
    // reads.
    Foreign,
};

class IniFile {
public:
    explicit IniFile(std::string path, IniOwner owner = IniOwner::Ours)
        : path_(std::move(path)), owner_(owner) {}

    const std::string& FileName() const { return path_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const;
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);

    // The keys of the settings file, by name.
    std::string Read(const TextSetting& s) const { return ReadString(s.section, s.key, s.fallback); }
    int32_t Read(const IntSetting& s) const { return ReadInteger(s.section, s.key, s.fallback); }
    // A switch kept as a number: 1 is on; 0, any other number and any text are off.
    bool IsOn(const IntSetting& s) const { return Read(s) == 1; }
    // A number kept as text: what is not a whole number reads as the number
    // that the fallback text holds.
    int32_t ReadNumber(const TextSetting& s) const;
    void Write(const TextSetting& s, const std::string& value) { WriteString(s.section, s.key, value); }
    void Write(const IntSetting& s, int32_t value) { WriteInteger(s.section, s.key, value); }

private:
    void KeepUnicode(bool writing) const;

    std::string path_;
    IniOwner owner_;
};

// The folder of the running program file, with its trailing separator.
std::string ProgramFolder();

// The settings file path: folder (the program's own when empty) + IniFileName.
std::string SettingsFilePath(const std::string& folder = {});
