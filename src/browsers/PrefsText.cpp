#include "browsers/PrefsText.h"

namespace prefs {

namespace {

struct Line {
    std::string_view body;  // without the line end
    std::string_view end;   // "\n", "\r\n" or empty for a last line without one
};

// Walks the text line by line; Next() returns false at the end.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool Next(Line& line) {
        if (pos_ >= text_.size()) return false;
        size_t nl = text_.find('\n', pos_);
        size_t stop = nl == text_.npos ? text_.size() : nl + 1;
        std::string_view whole = text_.substr(pos_, stop - pos_);
        pos_ = stop;
        size_t endLength = 0;
        if (!whole.empty() && whole.back() == '\n') {
            endLength = whole.size() >= 2 && whole[whole.size() - 2] == '\r' ? 2 : 1;
        }
        line.body = whole.substr(0, whole.size() - endLength);
        line.end = whole.substr(whole.size() - endLength);
        return true;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// The preference a line sets: its first quoted string, as Firefox writes
// user_pref("name", value); empty for a line without one.
std::string_view PrefName(std::string_view line) {
    size_t open = line.find('"');
    if (open == line.npos) return {};
    size_t close = line.find('"', open + 1);
    if (close == line.npos) return {};
    return line.substr(open + 1, close - open - 1);
}

// The line end the file itself uses; a file without one gets the Windows end.
std::string_view FileLineEnd(std::string_view text) {
    LineReader reader(text);
    Line line;
    while (reader.Next(line)) {
        if (!line.end.empty()) return line.end;
    }
    return "\r\n";
}

// Appends one new line, first ending an unterminated last line. A last line
// that ends in a CR gets CR LF whatever the file uses: a bare LF would turn its
// CR into part of the line end and so change the line.
void AppendLine(std::string& out, std::string_view body, std::string_view end) {
    if (!out.empty() && out.back() != '\n') out += out.back() == '\r' ? "\r\n" : end;
    out += body;
    out += end;
}

// The characters of a host name or a dotted address, and no other: a host
// of quotes, parentheses or a preference's name could make the line read back
// as another preference.
bool IsUsableHost(std::string_view host) {
    for (char c : host) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '.' || c == '-' || c == '_';
        if (!ok) return false;
    }
    return true;
}

bool IsUsablePort(std::string_view port) {
    if (port.empty() || port.size() > 5) return false;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// The text from `skip` characters after the first "," to `trim` characters
// before the first ")", when the line has both in that order.
std::optional<std::string> Between(std::string_view line, size_t skip, size_t trim) {
    size_t comma = line.find(',');
    size_t paren = line.find(')');
    if (comma == line.npos || paren == line.npos) return std::nullopt;
    size_t start = comma + skip;
    if (paren < trim || start > paren - trim) return std::nullopt;
    return std::string(line.substr(start, paren - trim - start));
}

}  // namespace

bool IsProxyTypeLine(std::string_view line) { return PrefName(line) == "network.proxy.type"; }
bool IsHostLine(std::string_view line) { return PrefName(line) == "network.proxy.http"; }
bool IsPortLine(std::string_view line) { return PrefName(line) == "network.proxy.http_port"; }

bool IsManualProxyLine(std::string_view line) {
    if (!IsProxyTypeLine(line)) return false;
    size_t paren = line.find(')');
    return paren != line.npos && paren > 0 && line[paren - 1] == '1';
}

// Skips ", \"" and leaves out the closing quote.
std::optional<std::string> HostValue(std::string_view line) { return Between(line, 3, 1); }
// Skips ", ".
std::optional<std::string> PortValue(std::string_view line) { return Between(line, 2, 0); }

std::string HostLine(std::string_view host) {
    return "user_pref(\"network.proxy.http\", \"" + std::string(host) + "\");";
}

std::string PortLine(std::string_view port) {
    return "user_pref(\"network.proxy.http_port\", " + std::string(port) + ");";
}

int ReadEnabled(std::string_view text) {
    LineReader reader(text);
    Line line;
    while (reader.Next(line)) {
        if (IsManualProxyLine(line.body)) return 1;
    }
    return 0;
}

std::string ReadServer(std::string_view text) {
    std::string server;
    LineReader reader(text);
    Line line;
    while (reader.Next(line)) {
        if (IsHostLine(line.body)) {
            if (auto host = HostValue(line.body)) server = *host + ":";
        }
        if (IsPortLine(line.body)) {
            if (auto port = PortValue(line.body)) {
                server += *port;
                break;
            }
        }
    }
    return server;
}

std::string RewriteProxyType(std::string_view text, int state) {
    std::string out;
    out.reserve(text.size() + kManualProxyLine.size() + 2);
    LineReader reader(text);
    Line line;
    while (reader.Next(line)) {
        if (state != 1 && IsProxyTypeLine(line.body)) continue;
        out += line.body;
        out += line.end;
    }
    if (state == 1) AppendLine(out, kManualProxyLine, FileLineEnd(text));
    return out;
}

std::optional<std::string> RewriteServer(std::string_view text, std::string_view address) {
    size_t colon = address.find(':');
    if (colon == address.npos) return std::nullopt;
    std::string_view host = address.substr(0, colon);
    std::string_view port = address.substr(colon + 1);
    if (!IsUsableHost(host) || !IsUsablePort(port)) return std::nullopt;

    std::string out;
    out.reserve(text.size() + 100);
    bool hostWritten = false;
    bool portWritten = false;
    LineReader reader(text);
    Line line;
    while (reader.Next(line)) {
        if (IsHostLine(line.body)) {
            out += HostLine(host);
            hostWritten = true;
        } else if (IsPortLine(line.body)) {
            out += PortLine(port);
            portWritten = true;
        } else {
            out += line.body;
        }
        out += line.end;
    }
    std::string_view end = FileLineEnd(text);
    if (!hostWritten) AppendLine(out, HostLine(host), end);
    if (!portWritten) AppendLine(out, PortLine(port), end);
    return out;
}

// --- user.js

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t SkipBlanks(std::string_view line, size_t at) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    return at;
}

std::string_view TrimBlanks(std::string_view line) {
    size_t start = SkipBlanks(line, 0);
    size_t stop = line.size();
    while (stop > start && IsBlank(line[stop - 1])) --stop;
    return line.substr(start, stop - start);
}

// Follows a preference file's comments from line to line: a /* */ comment
// may span lines, while a // or # comment and a string end with their line (a
// stray quote must not hide the rest of the file).
class CommentTracker {
public:
    // Whether the line starts outside a /* */ comment; then moves past it.
    bool StartsInCode(std::string_view line) {
        const bool inCode = !inBlock_;
        char quote = 0;
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            const char next = i + 1 < line.size() ? line[i + 1] : '\0';
            if (inBlock_) {
                if (c == '*' && next == '/') inBlock_ = false, ++i;
            } else if (quote) {
                if (c == '\\')
                    ++i;
                else if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '#' || (c == '/' && next == '/')) {
                break;
            } else if (c == '/' && next == '*') {
                inBlock_ = true, ++i;
            }
        }
        return inCode;
    }
    // Whether the last line left a /* */ comment open.
    bool InComment() const { return inBlock_; }

private:
    bool inBlock_ = false;
};

// user_pref ( "network.proxy.type" at the start of the line, blanks allowed
// where Firefox's parser allows them, the name in either kind of quote.
bool SetsProxyType(std::string_view line) {
    constexpr std::string_view kCall = "user_pref", kName = "network.proxy.type";
    size_t at = SkipBlanks(line, 0);
    if (line.substr(at, kCall.size()) != kCall) return false;
    at = SkipBlanks(line, at + kCall.size());
    if (at >= line.size() || line[at] != '(') return false;
    at = SkipBlanks(line, at + 1);
    if (at >= line.size() || (line[at] != '"' && line[at] != '\'')) return false;
    const char quote = line[at];
    const size_t close = at + 1 + kName.size();
    return line.substr(at + 1, kName.size()) == kName && close < line.size() && line[close] == quote;
}

}  // namespace

std::string WithSystemProxyLine(std::string_view text) {
    std::string out;
    out.reserve(text.size() + kSystemProxyLine.size() + 2);
    bool written = false;
    CommentTracker comments;
    LineReader reader(text);
    Line line;
    while (reader.Next(line)) {
        // A line that opens a comment it does not close is kept: without it,
        // the commented-out lines after it would come to life.
        if (comments.StartsInCode(line.body) && !comments.InComment() && SetsProxyType(line.body)) {
            if (written) continue;
            out += kSystemProxyLine;
            written = true;
        } else {
            out += line.body;
        }
        out += line.end;
    }
    if (!written) {
        // Appended after a comment left open, the line would be part of it.
        if (comments.InComment()) AppendLine(out, "*/", FileLineEnd(text));
        AppendLine(out, kSystemProxyLine, FileLineEnd(text));
    }
    return out;
}

std::string WithoutSystemProxyLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    CommentTracker comments;
    LineReader reader(text);
    Line line;
    while (reader.Next(line)) {
        if (comments.StartsInCode(line.body) && TrimBlanks(line.body) == kSystemProxyLine) continue;
        out += line.body;
        out += line.end;
    }
    return out;
}

bool IsBlankText(std::string_view text) {
    for (char c : text) {
        if (!IsBlank(c) && c != '\r' && c != '\n') return false;
    }
    return true;
}

}  // namespace prefs
