#include "net/HttpClient.h"

#include "net/HttpText.h"
#include "net/Url.h"

namespace net {

TNMHTTP::TNMHTTP() = default;
TNMHTTP::~TNMHTTP() = default;

void TNMHTTP::Abort() {
    LookupDone = true;
    Cancel();
}

void TNMHTTP::Get(const std::string& address) {
    // Checked before anything is touched: the request under way still needs
    // Url, Host, Path and the socket as they are.
    if (inRequest_) throw ESockError("Already connected");
    inRequest_ = true;
    OnExitIfAlive done(Alive(), [this] { inRequest_ = false; });
    CurrentCmd = kCmdGet;
    Url = address;
    RunRequest();
}

void TNMHTTP::RunRequest() {
    auto alive = Alive();
    for (int pass = 1;; ++pass) {
        if (pass > kMaxPasses) throw ESockError("Too many redirections");
        ParseUrl();
        if (pass == 1) {
            originHost_ = Host;
            originPort_ = Port;
            if (HeaderInfo.Cookie != carriedCookie_) cookieHost_ = Host;
        }
        BuildRequestHeader();
        Fire(OnAboutToSend);
        try {
            Connect();
            SendRequest();
            StatusCode = 0;
            ReadResponseHeader();
            CaptureString(Body, -1);
            if (StatusCode < 299) {
                Fire(OnSuccess, CurrentCmd);
                ReportStatus(2, "Transaction Completed");
            } else if (StatusCode > 399) {
                Fire(OnFailure, CurrentCmd);
            } else if (StatusCode <= 302 && locationSeen_) {
                if (badLocation_) throw ESockError("Redirection to a malformed address");
                Url = Location;
            }
        } catch (...) {
            // A second error from closing would hide the first, which is the
            // one worth reporting.
            if (*alive) {
                try {
                    Disconnect();
                } catch (...) {
                }
            }
            throw;
        }
        Disconnect();

        bool follow = false;
        if (StatusCode >= 300 && StatusCode <= 398) {
            bool handled = false;
            if (!SetCookieValue.empty()) {
                HeaderInfo.Cookie = SetCookieValue;
                carriedCookie_ = SetCookieValue;
                cookieHost_ = Host;
            }
            Fire(OnRedirect, handled);
            if (handled) return;
            if (StatusCode <= 302 && locationSeen_) {
                if (Url.find('/') == std::string::npos) {
                    // Relative to the current host, on the current port.
                    std::string port = Port == 80 ? "" : ":" + std::to_string(Port);
                    Url = "http://" + Host + port + "/" + Url;
                }
                follow = true;
            }
        }
        if (StatusCode == 401) Fire(OnAuthenticationNeeded);
        // 299 and 303-399, or 300-302 without a new address: the request ends
        // here rather than asking the same address again.
        if (!follow) return;
    }
}

void TNMHTTP::ParseUrl() {
    UrlParts parts = SplitUrl(Url, Host, Port);
    Host = parts.host;
    Port = parts.port;
    Path = parts.path;
    Url = parts.url;
}

void TNMHTTP::BuildRequestHeader() {
    RequestTarget target;
    target.method = "GET";
    target.path = Path;
    target.host = Host;
    target.withAuthorization = SameTextIgnoringCase(Host, originHost_) && Port == originPort_;
    target.withCookie = SameTextIgnoringCase(Host, cookieHost_);
    std::string absolute = Url;
    if (!Proxy.empty() && Url.find("//") == std::string::npos) {
        // An address without a scheme, or one relative to the current host,
        // still reaches the proxy whole.
        absolute = "http://";
        absolute += Host;
        if (Port != 80) absolute += ':' + std::to_string(Port);
        absolute += Path;
    }
    if (!Proxy.empty()) target.proxyUrl = absolute;
    BuildRequestLines(target, HeaderInfo, HeaderLines);
}

void TNMHTTP::SendRequest() {
    // The header and its closing empty line go out in one send.
    HoldNextWrite();
    Write(HeaderLines.Text());
    Writeln("");
}

void TNMHTTP::ReadResponseHeader() {
    ExpectedLength = 0;
    SetCookieValue.clear();
    Header.clear();
    locationSeen_ = false;
    badLocation_ = false;
    // One deadline for the whole header: a server that keeps sending lines
    // must not renew the time-out with each of them.
    auto bound = HoldBound();
    std::string line = ReadLn();
    // Closed before a single line came: that is no response at all, not a
    // success with status 0.
    if (line.empty()) throw ESockError("Connection closed without a reply");
    StatusCode = StatusCodeOf(line);
    Header += line;
    size_t lines = 0;
    do {
        line = ReadLn();
        if (!IsHeaderEnd(line)) ++lines;
        if (std::string why = HeaderOverLimit(lines, Header.size() + line.size()); !why.empty())
            throw ESockError(why);
        HeaderLineInfo info = ClassifyHeaderLine(line);
        switch (info.kind) {
            case HeaderLineInfo::SetCookie: SetCookieValue = info.value; break;
            case HeaderLineInfo::Location:
                Location = info.value;
                locationSeen_ = true;
                badLocation_ = false;
                break;
            case HeaderLineInfo::BadLocation:
                locationSeen_ = true;
                badLocation_ = true;
                break;
            case HeaderLineInfo::ContentLength: ExpectedLength = info.contentLength; break;
            default: break;
        }
        Header += line;
    } while (!IsHeaderEnd(line));
}

}  // namespace net
