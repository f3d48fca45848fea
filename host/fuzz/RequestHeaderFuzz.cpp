// The request header block from header settings the server can influence
// (cookie, referer after a redirection) and the user's credentials.
#include <string>

#include "FuzzInput.h"
#include "net/RequestHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    uint8_t flags = in.Byte();
    std::string_view path = in.Next();
    std::string_view host = in.Next();
    net::THeaderInfo info;
    info.LocalProgram = in.Next();
    info.LocalMailAddress = in.Next();
    info.Cookie = in.Next();
    info.Referer = in.Next();
    info.UserId = in.Next();
    info.Password = in.Next();
    net::RequestTarget target{"GET", path, host, (flags & 1) != 0, (flags & 2) != 0};

    net::TExStringList lines;
    lines.Add("X-Stale: left from the last request");
    net::BuildRequestLines(target, info, lines);
    FUZZ_CHECK(lines.Count() >= 1);
    FUZZ_CHECK(lines[0].rfind("GET ", 0) == 0);
    FUZZ_CHECK(lines.FindHeader("x-stale") < 0);
    if (!target.withAuthorization || info.UserId.empty() || info.Password.empty())
        FUZZ_CHECK(lines.FindHeader("Authorization") < 0);
    if (!target.withCookie || info.Cookie.empty()) FUZZ_CHECK(lines.FindHeader("Cookie") < 0);

    std::string text = lines.Text();
    size_t ends = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++ends;
    bool clean = true;
    for (std::string_view v :
         {path, host, std::string_view(info.LocalProgram), std::string_view(info.LocalMailAddress),
          std::string_view(info.Cookie), std::string_view(info.Referer)})
        if (v.find_first_of("\r\n") != std::string_view::npos) clean = false;
    if (clean) FUZZ_CHECK(ends == static_cast<size_t>(lines.Count()));

    // The list's own rules: a set header is found again; an empty value
    // removes the first line of that name (the two Accept lines share one).
    std::string_view name = in.Next();
    std::string_view value = in.Rest();
    if (!name.empty() && name.find(':') == std::string_view::npos) {
        int before = lines.Count();
        bool had = lines.FindHeader(name) >= 0;
        lines.SetHeader(name, value);
        if (value.empty()) {
            FUZZ_CHECK(lines.Count() == before - (had ? 1 : 0));
        } else {
            FUZZ_CHECK(lines.FindHeader(name) >= 0);
            FUZZ_CHECK(lines.Count() == before + (had ? 0 : 1));
        }
    }
    return 0;
}
