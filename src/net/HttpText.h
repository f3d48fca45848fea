#pragma once
// Text helpers of the HTTP client: field splitting and the parsing of status
// and header lines. Pure functions; no Win32 types.
#include <cstdint>
#include <string>
#include <string_view>

namespace net {

// The characters between the (n-1)-th and the n-th delimiter; field 1 starts
// the text and the last field runs to its end. Empty when there are fewer
// than n-1 delimiters (or n < 1).
std::string FieldOf(std::string_view text, char delimiter, int n);

// 1-based position of the n-th occurrence of c, or text.size() + 1.
size_t NthPos(std::string_view text, char c, int n);

// ASCII upper/lower case; other bytes (UTF-8 included) are left alone.
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

// A strict decimal integer: optional sign, digits, nothing else, within int32.
// Throws EConvertError "'<text>' is not a valid integer value" otherwise.
int32_t StrToInt(std::string_view text);
// Same, but false instead of the exception.
bool TryStrToInt(std::string_view text, int32_t& value);

// The text without its line terminator (LF, or CR LF).
std::string_view WithoutTerminator(std::string_view line);

// The reply number of a status line (the second blank-separated field), or 0
// when that field is not an integer that fits 16 bits.
int16_t StatusCodeOf(std::string_view statusLine);

// What a response header line means to the client. A Location whose value
// holds a byte below 0x21 (a bare CR, a NUL, a blank) is BadLocation: taken as
// the next address it would carry that byte into the next request line. A
// Set-Cookie whose value holds a byte below 0x20 is Other, for the same reason.
struct HeaderLineInfo {
    enum Kind { Other, SetCookie, Location, BadLocation, ContentLength } kind = Other;
    std::string value;  // cookie or location text, at most kMaxHeaderValue bytes
    int32_t contentLength = 0;
};
constexpr size_t kMaxHeaderValue = 256;
HeaderLineInfo ClassifyHeaderLine(std::string_view line);

// The empty line that ends a header block: "", LF, or CR LF.
bool IsHeaderEnd(std::string_view line);

// Bounds of a response header, as Python's http.client keeps them: at most
// kMaxHeaderLines lines after the status line (the closing empty line not
// counted), and kMaxHeaderBytes in all, status and empty line included.
inline constexpr size_t kMaxHeaderLines = 100;
inline constexpr size_t kMaxHeaderBytes = 65536;
// Why a header of `lines` header lines and `bytes` bytes so far must be given
// up, or empty while it is within both bounds.
std::string HeaderOverLimit(size_t lines, size_t bytes);

}  // namespace net
