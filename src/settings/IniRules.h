#pragma once
// The number and text rules of the INI access layer, as pure functions.
#include <cstdint>
#include <string_view>

namespace ini {

// Longest value text a read returns; a longer value is cut there.
inline constexpr size_t kMaxValueLength = 2047;

// Text longer than two characters starting "0x"/"0X" is hexadecimal; otherwise a
// decimal whole number with an optional sign. Anything else gives fallback.
int32_t ParseInteger(std::string_view text, int32_t fallback);

// The seconds between two asks of the proxy in use, from [CHECK] WATCH as
// stored and [CHECK] ENABLE: 0 (off) for 0, less, or anything that is not a
// whole number, and for ENABLE 0; 1 to 29 read as 30, more than 3600 as 3600.
int32_t WatchSeconds(std::string_view watchText, int32_t checkEnable);

// How an INI file's bytes are written.
enum class TextForm {
    Utf16,     // a UTF-16 byte-order mark: the profile functions keep the file so
    Utf8Bom,   // the UTF-8 byte-order mark
    Utf8,      // no mark, some bytes beyond ASCII, and all of it well-formed UTF-8
               // (Notepad's way since Windows 10 1903)
    CodePage,  // anything else: ASCII, or text in the ANSI code page
};

// Text in a legacy code page is almost never well-formed UTF-8 once it holds
// a byte beyond ASCII: accented Latin letters and Shift-JIS pairs both break
// UTF-8's lead and continuation pattern.
TextForm DetectTextForm(std::string_view bytes);

// Text that a file of lines can hold as one value: no CR, no LF and no other
// character below 0x20. Written, a line break would make the rest of the value
// a line of its own choosing: a key, or a section that wins a lookup.
bool IsOneLineText(std::string_view text);

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing beyond U+10FFFF.
bool IsUtf8(std::string_view bytes);

}  // namespace ini
