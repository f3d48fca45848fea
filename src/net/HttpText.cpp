#include "net/HttpText.h"

#include <algorithm>
#include <limits>

#include "net/SockErrors.h"

namespace net {

std::string FieldOf(std::string_view text, char delimiter, int n) {
    if (n < 1) return {};
    size_t start = 0;
    for (int i = 1; i < n; ++i) {
        size_t next = text.find(delimiter, start);
        if (next == std::string_view::npos) return {};
        start = next + 1;
    }
    size_t end = text.find(delimiter, start);
    return std::string(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
}

size_t NthPos(std::string_view text, char c, int n) {
    int seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == c && ++seen == n) return i + 1;
    }
    return text.size() + 1;
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    }
    return out;
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    return out;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

bool TryStrToInt(std::string_view text, int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
        if (v > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min()) return false;
    value = static_cast<int32_t>(v);
    return true;
}

int32_t StrToInt(std::string_view text) {
    int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}

std::string_view WithoutTerminator(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

int16_t StatusCodeOf(std::string_view statusLine) {
    // The terminator is cut first, so "HTTP/1.0 404" alone on its line still
    // reads as 404 and not as the 0 that would count as success.
    int32_t code = 0;
    if (!TryStrToInt(FieldOf(WithoutTerminator(statusLine), ' ', 2), code)) return 0;
    if (code < std::numeric_limits<int16_t>::min() || code > std::numeric_limits<int16_t>::max()) return 0;
    return static_cast<int16_t>(code);
}

namespace {
std::string ValueFrom(std::string_view line, size_t offset) {
    std::string_view rest = WithoutTerminator(line);
    rest = offset < rest.size() ? rest.substr(offset) : std::string_view();
    return std::string(rest.substr(0, kMaxHeaderValue));
}
}  // namespace

HeaderLineInfo ClassifyHeaderLine(std::string_view line) {
    HeaderLineInfo info;
    std::string first = FieldOf(UpperCase(line), ' ', 1);
    if (first == "SET-COOKIE:") {
        // A cookie with a control byte (a bare CR, a NUL) would carry it
        // into the Cookie line of the next request: it is dropped.
        std::string value = ValueFrom(line, 12);
        if (std::none_of(value.begin(), value.end(),
                         [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
            info.kind = HeaderLineInfo::SetCookie;
            info.value = std::move(value);
        }
    } else if (first == "LOCATION:") {
        info.value = ValueFrom(line, 10);
        const bool clean = std::none_of(info.value.begin(), info.value.end(),
                                        [](char c) { return static_cast<unsigned char>(c) < 0x21; });
        info.kind = clean ? HeaderLineInfo::Location : HeaderLineInfo::BadLocation;
    } else if (first == "CONTENT-LENGTH:") {
        info.kind = HeaderLineInfo::ContentLength;
        std::string_view rest = WithoutTerminator(line).substr(first.size());
        size_t i = rest.find_first_not_of(" \t");
        int64_t v = 0;
        for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
            v = v * 10 + (rest[i] - '0');
            if (v > std::numeric_limits<int32_t>::max()) {
                v = 0;
                break;
            }
        }
        info.contentLength = static_cast<int32_t>(v);
    }
    return info;
}

bool IsHeaderEnd(std::string_view line) { return line.empty() || line == "\n" || line == "\r\n"; }

std::string HeaderOverLimit(size_t lines, size_t bytes) {
    if (lines > kMaxHeaderLines) return "More than " + std::to_string(kMaxHeaderLines) + " header lines";
    if (bytes > kMaxHeaderBytes) return "Header longer than 64 KiB";
    return {};
}

}  // namespace net
