#pragma once
// The request header lines of the HTTP client. Pure; no Win32 types.
#include <string>
#include <string_view>
#include <vector>

namespace net {

// An unsorted list of header lines "Name: value".
class TExStringList {
public:
    // Index of the first line whose text before its first ":" equals name,
    // compared without regard to case; -1 when there is none.
    int FindHeader(std::string_view name) const;
    // Sets (or appends) the line "name: value"; an empty value deletes the line.
    void SetHeader(std::string_view name, std::string_view value);

    void Add(std::string line) { lines_.push_back(std::move(line)); }
    void Clear() { lines_.clear(); }
    void Delete(int index) { lines_.erase(lines_.begin() + index); }
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& operator[](int index) const { return lines_[static_cast<size_t>(index)]; }
    // Every line followed by CR LF.
    std::string Text() const;

private:
    std::vector<std::string> lines_;
};

// Request header settings; they keep their values from one request to the next.
struct THeaderInfo {
    std::string LocalMailAddress;
    std::string LocalProgram;
    std::string Cookie;
    std::string Referer;
    std::string UserId;
    std::string Password;
};

// What the request carries besides the header settings. The client clears
// withAuthorization and withCookie when a redirection leaves the host (and
// port) that they belong to.
struct RequestTarget {
    std::string_view method;  // "GET"
    std::string_view path;
    std::string_view host;
    bool withAuthorization = true;
    bool withCookie = true;
    // The whole address, for a request sent through a proxy; empty for a
    // request sent to the host itself.
    std::string_view proxyUrl = {};
};

// Fills lines with the request line and header lines of a request.
void BuildRequestLines(const RequestTarget& target, const THeaderInfo& info, TExStringList& lines);

}  // namespace net
