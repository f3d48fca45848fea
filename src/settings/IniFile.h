#pragma once
// Access to one INI file through the Windows profile functions. The object
// holds only the path: every read goes to the file and every write reaches it
// before the call returns.
#include <cstdint>
#include <string>

#include "ui/Error.h"

// Raised when the file system refuses a write: "<path> に書き込めません".
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

class IniFile {
public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string& FileName() const { return path_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const;
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);

private:
    std::string path_;
};

// The folder of the running program file, with its trailing separator.
std::string ProgramFolder();

// The settings file path: folder (the program's own when empty) + IniFileName.
std::string SettingsFilePath(const std::string& folder = {});
