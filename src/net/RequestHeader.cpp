#include "net/RequestHeader.h"

#include "net/Base64.h"
#include "net/HttpText.h"

namespace net {

int TExStringList::FindHeader(std::string_view name) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        size_t colon = lines_[i].find(':');
        if (colon != std::string::npos &&
            SameTextIgnoringCase(std::string_view(lines_[i]).substr(0, colon), name))
            return static_cast<int>(i);
    }
    return -1;
}

void TExStringList::SetHeader(std::string_view name, std::string_view value) {
    int index = FindHeader(name);
    if (value.empty()) {
        if (index >= 0) Delete(index);
        return;
    }
    std::string line = std::string(name) + ": " + std::string(value);
    if (index >= 0) {
        lines_[static_cast<size_t>(index)] = std::move(line);
    } else {
        lines_.push_back(std::move(line));
    }
}

std::string TExStringList::Text() const {
    std::string text;
    for (const auto& line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void BuildRequestLines(const RequestTarget& target, const THeaderInfo& info, TExStringList& lines) {
    lines.Clear();
    const std::string method(target.method);
    if (target.proxyUrl.empty()) {
        lines.Add(method + " " + std::string(target.path) + " HTTP/1.0");
    } else {
        // A proxy needs the whole address to know where to go.
        lines.Add(method + " " + std::string(target.proxyUrl) + " HTTP/1.0");
        lines.Add("Proxy-Connection: Keep-Alive");
        lines.Add("Host: " + std::string(target.host));
    }
    lines.SetHeader("Host", target.host);
    lines.Add("Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff");
    lines.Add("Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript");
    if (!info.LocalProgram.empty()) lines.SetHeader("User-Agent", info.LocalProgram);
    if (!info.LocalMailAddress.empty()) lines.SetHeader("From", info.LocalMailAddress);
    if (target.withCookie && !info.Cookie.empty()) lines.SetHeader("Cookie", info.Cookie);
    if (!info.Referer.empty()) lines.SetHeader("Referer", info.Referer);
    if (target.withAuthorization && !info.UserId.empty() && !info.Password.empty()) {
        lines.SetHeader("Authorization", "Basic " + EncodeBase64(info.UserId + ":" + info.Password));
    }
    lines.Add("Content-type: application/x-www-form-urlencoded");
}

}  // namespace net
