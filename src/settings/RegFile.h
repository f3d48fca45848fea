#pragma once
// Single values under one key of HKEY_CURRENT_USER. No handle is kept: every
// call opens the key, makes one access and closes it again, so a value changed
// by a browser or another program between two calls is always seen.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class RegFile {
public:
    // Longest string value a read accepts (the registry value is read into a
    // 250-character place, terminator included).
    static constexpr size_t kMaxString = 249;

    enum class ReadResult {
        Ok,        // a string value was read
        Missing,   // no key, no value, or the key could not be opened
        Unusable,  // the value exists but is too long or not a string
    };

    explicit RegFile(std::string keyPath) : keyPath_(std::move(keyPath)) {}

    const std::string& KeyPath() const { return keyPath_; }

    // The REG_DWORD value; 0 when missing, unreadable or of another type.
    uint32_t GetDword(const std::string& name) const;
    // Creates the key when it is missing. Reports nothing on failure.
    void SetDword(const std::string& name, uint32_t value);
    // Copies a REG_SZ or REG_EXPAND_SZ value (unexpanded) into buffer. buffer keeps its old content unless
    // the result is Ok; a value longer than maxChars is never half-copied.
    ReadResult GetString(const std::string& name, std::string& buffer, size_t maxChars = kMaxString) const;
    // Whether text is short enough for GetString to read it back.
    static bool Fits(const std::string& text);
    // Stores REG_SZ with its terminating NUL; creates the key when missing.
    // A text with a CR, a LF or another character below 0x20 is not stored.
    void SetString(const std::string& name, const std::string& text);
    // The bytes of a REG_BINARY value of any length; nullopt when missing,
    // unreadable or of another type.
    std::optional<std::string> GetBinary(const std::string& name) const;
    // Stores REG_BINARY in one write; creates the key when missing. Reports
    // nothing on failure.
    void SetBinary(const std::string& name, std::string_view bytes);

private:
    std::string keyPath_;
};
