// Included by the standalone helper as well as compiled into the test
// support library, hence the header named relative to this file.
#include "SampleProvider.h"

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "TcpServer.h"

namespace qbtest {

namespace {

const char kListAnonymous[] = "/pla5.html";
const char kListNonAnonymous[] = "/pld5.html";
const char kListSpeedRank[] = "/plr5.html";
const char kCredentialsPath[] = "/idpass.html";

struct ListKind {
    const char* path;
    const char* title;
    const char* network;  // a documentation range, so no entry is a real proxy
};
const ListKind kLists[] = {
    {kListAnonymous, "Anonymous proxies", "192.0.2."},
    {kListNonAnonymous, "Non-anonymous proxies", "198.51.100."},
    {kListSpeedRank, "Proxies by speed", "203.0.113."},
};

const ListKind* FindList(const std::string& path) {
    for (const auto& list : kLists)
        if (path == list.path) return &list;
    return nullptr;
}

char KindLetter(int index) { return "ABC"[index % 3]; }

std::string EntryAddress(const ListKind& list, int index) {
    return list.network + std::to_string(index % 254 + 1) + ":" + std::to_string(8000 + index);
}

std::string Base64(const std::string& bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        unsigned v =
            (unsigned char)bytes[i] << 16 | (unsigned char)bytes[i + 1] << 8 | (unsigned char)bytes[i + 2];
        out += {digits[v >> 18], digits[(v >> 12) & 63], digits[(v >> 6) & 63], digits[v & 63]};
    }
    if (i + 1 == bytes.size()) {
        unsigned v = (unsigned char)bytes[i] << 16;
        out += {digits[v >> 18], digits[(v >> 12) & 63], '=', '='};
    } else if (i + 2 == bytes.size()) {
        unsigned v = (unsigned char)bytes[i] << 16 | (unsigned char)bytes[i + 1] << 8;
        out += {digits[v >> 18], digits[(v >> 12) & 63], digits[(v >> 6) & 63], '='};
    }
    return out;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The request target of the request line, and the value of the
// Authorization line with its blanks around it removed.
void ParseRequest(ProviderRequest& request) {
    const std::string& raw = request.raw;
    size_t lineEnd = raw.find('\n');
    std::string line = raw.substr(0, lineEnd);
    size_t sp1 = line.find(' ');
    if (sp1 != std::string::npos) {
        size_t sp2 = line.find_first_of(" \r", sp1 + 1);
        request.path = line.substr(sp1 + 1, sp2 == std::string::npos ? sp2 : sp2 - sp1 - 1);
    }
    while (lineEnd != std::string::npos) {
        size_t start = lineEnd + 1;
        lineEnd = raw.find('\n', start);
        std::string header = raw.substr(start, lineEnd == std::string::npos ? lineEnd : lineEnd - start);
        if (Lower(header.substr(0, 14)) == "authorization:") {
            std::string value = header.substr(14);
            size_t first = value.find_first_not_of(" \t");
            size_t last = value.find_last_not_of(" \t\r");
            request.authorization =
                first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
        }
    }
}

std::string Response(const std::string& status, const std::string& extraHeaders, const std::string& body) {
    return "HTTP/1.0 " + status + "\r\nServer: SampleProvider\r\n" +
           "Content-Type: text/html; charset=Shift_JIS\r\n" + extraHeaders +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string ErrorPage(const std::string& status) {
    return "<html><head><title>" + status + "</title></head><body><h1>" + status + "</h1></body></html>\n";
}

}  // namespace

struct SampleProvider::State {
    mutable std::mutex mutex;
    std::string userId = kDefaultUserId;
    std::string password = kDefaultPassword;
    int entries = kDefaultEntries;
    std::vector<std::string> listEntries;  // in place of the generated ones when not empty
    std::map<std::string, Behaviour> behaviours;
    std::vector<ProviderRequest> requests;
    size_t settled = 0;  // requests answered or stalling
    // Last: it stops and joins the connections' threads before the rest goes.
    std::unique_ptr<tcp::Listener> listener;

    Behaviour BehaviourFor(const std::string& path) const {
        auto it = behaviours.find(path);
        if (it == behaviours.end()) it = behaviours.find(std::string());
        return it == behaviours.end() ? Behaviour::Serve : it->second;
    }

    void Settle(size_t index, int status) {
        std::lock_guard lock(mutex);
        requests[index].status = status;
        ++settled;
    }

    void Serve(SOCKET s, const std::atomic<bool>& stop) {
        std::string raw = tcp::ReadRequest(s, stop, 5000);
        if (stop || raw.empty()) return;

        ProviderRequest request;
        request.raw = raw;
        ParseRequest(request);

        size_t index;
        Behaviour behaviour;
        std::string userId, password;
        int count;
        std::vector<std::string> custom;
        {
            std::lock_guard lock(mutex);
            index = requests.size();
            requests.push_back(request);
            behaviour = BehaviourFor(request.path);
            userId = this->userId;
            password = this->password;
            count = entries;
            custom = listEntries;
        }

        if (behaviour == Behaviour::Stall) {
            Settle(index, 0);
            tcp::ReadUntilClose(s, stop, -1);
            return;
        }
        if (behaviour == Behaviour::EndlessHeader) {
            Settle(index, 200);
            std::string lines;
            for (int i = 0; i < 1000; ++i) lines += "X-Filler: 0123456789\r\n";
            if (!tcp::SendAll(s, "HTTP/1.0 200 OK\r\n", stop)) return;
            while (tcp::SendAll(s, lines, stop)) {
            }
            return;
        }

        int status;
        std::string reply;
        const ListKind* list = FindList(request.path);
        if (behaviour == Behaviour::NotFound || (!list && request.path != kCredentialsPath)) {
            status = 404;
            reply = Response("404 Not Found", "", ErrorPage("404 Not Found"));
        } else if (!list) {
            status = 200;
            reply = Response("200 OK", "", CredentialsPage(userId, password));
        } else if (!userId.empty() && request.authorization != BasicAuthorization(userId, password)) {
            status = 401;
            reply = Response("401 Unauthorized", "WWW-Authenticate: Basic realm=\"proxy list\"\r\n",
                             ErrorPage("401 Unauthorized"));
        } else {
            status = 200;
            reply = Response("200 OK", "",
                             custom.empty() ? ListPage(request.path, count) : ListPage(request.path, custom));
        }
        Settle(index, status);
        if (tcp::SendAll(s, reply, stop)) {
            // A graceful end: the client reads the body until the close.
            shutdown(s, SD_SEND);
            tcp::ReadUntilClose(s, stop, 2000);
        }
    }
};

SampleProvider::SampleProvider(uint16_t port) : state_(std::make_shared<State>()) {
    state_->listener = std::make_unique<tcp::Listener>(
        "sample provider", port, tcp::Listener::Threads::OnePerConnection,
        [s = state_.get()](SOCKET socket, size_t, const std::atomic<bool>& stop) { s->Serve(socket, stop); });
}

SampleProvider::~SampleProvider() { state_->listener.reset(); }

uint16_t SampleProvider::Port() const { return state_->listener->Port(); }

std::string SampleProvider::Address(const std::string& path) const {
    return "127.0.0.1:" + std::to_string(Port()) + path;
}

void SampleProvider::SetCredentials(std::string userId, std::string password) {
    std::lock_guard lock(state_->mutex);
    state_->userId = std::move(userId);
    state_->password = std::move(password);
}

void SampleProvider::SetEntries(int count) {
    std::lock_guard lock(state_->mutex);
    state_->entries = std::max(count, 0);
}

void SampleProvider::SetListEntries(std::vector<std::string> entries) {
    std::lock_guard lock(state_->mutex);
    state_->listEntries = std::move(entries);
}

void SampleProvider::SetBehaviour(Behaviour behaviour, const std::string& path) {
    std::lock_guard lock(state_->mutex);
    state_->behaviours[path] = behaviour;
}

std::vector<ProviderRequest> SampleProvider::Requests() const {
    std::lock_guard lock(state_->mutex);
    return state_->requests;
}

bool SampleProvider::WaitRequests(size_t count, int ms) const {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        {
            std::lock_guard lock(state_->mutex);
            if (state_->settled >= count) return true;
        }
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::string SampleProvider::ListPage(const std::string& path, int entries) {
    const ListKind* list = FindList(path);
    if (!list) throw std::runtime_error("sample provider: no list page " + path);
    std::vector<std::string> addresses;
    for (int i = 0; i < entries; ++i) addresses.push_back(EntryAddress(*list, i));
    return ListPage(path, addresses);
}

std::string SampleProvider::ListPage(const std::string& path, const std::vector<std::string>& addresses) {
    const ListKind* list = FindList(path);
    if (!list) throw std::runtime_error("sample provider: no list page " + path);
    const int entries = static_cast<int>(addresses.size());
    // The layout the program relies on: "hour" in a heading before the first
    // entry, each address right after an anchor whose class ends in its kind
    // letter, and a comment after the table. Inside the table no other tag
    // ends in a quoted value, so option 0 takes the addresses only.
    std::string page =
        "<html><head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n"
        "<title>" +
        std::string(list->title) + "</title></head>\n<body>\n<h1 class=\"title\">" + list->title +
        "</h1>\n<p>A: no variables output, B: variables output, C: camouflaged address.</p>\n"
        "<table class=\"list\">\n<tr><th>No.</th><th>Proxy</th><th>Kind</th>"
        "<th>Checked (hour)</th></tr>\n";
    for (int i = 0; i < entries; ++i) {
        page += "<tr><td>" + std::to_string(i + 1) + "</td><td><a href=\"/p/" + std::to_string(i + 1) +
                "\" class=\"" + KindLetter(i) + "\">" + addresses[static_cast<size_t>(i)] + "</a></td><td>" +
                KindLetter(i) + "</td><td>" + std::to_string(i % 24) + "</td></tr>\n";
    }
    page += "</table>\n<!-- sample provider: " + std::to_string(entries) +
            " entries -->\n<p class=\"foot\"><a class=\"A\">not an entry</a></p>\n</body></html>\n";
    return page;
}

std::vector<std::string> SampleProvider::ListEntries(const std::string& path, int entries, int option) {
    const ListKind* list = FindList(path);
    if (!list) throw std::runtime_error("sample provider: no list page " + path);
    std::vector<std::string> out;
    for (int i = 0; i < entries; ++i)
        if (option == 0 || KindLetter(i) == "ABC"[option - 1]) out.push_back(EntryAddress(*list, i));
    return out;
}

std::string SampleProvider::CredentialsPage(const std::string& userId, const std::string& password) {
    // Shift-JIS: 本日の (today's), ユーザーID, パスワード, ：, と同じ (same as).
    const std::string today = "\x96\x7B\x93\xFA\x82\xCC";
    const std::string userLabel =
        "\x83\x86\x81\x5B\x83\x55\x81\x5B"
        "ID";
    const std::string passwordLabel = "\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68";
    const std::string colon = "\x81\x46";
    const std::string sameAs = "\x82\xC6\x93\xAF\x82\xB6";
    const std::string shownPassword = password == userId ? userLabel + sameAs : password;
    return "<html><head>\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n"
           "<title>ID / Password</title></head>\n<body>\n<h1>" +
           today + userLabel + " / " + passwordLabel + "</h1>\n<p>" + userLabel + colon + userId +
           "</p>\n<p>" + passwordLabel + colon + shownPassword + "</p>\n</body></html>\n";
}

std::string SampleProvider::BasicAuthorization(const std::string& userId, const std::string& password) {
    return "Basic " + Base64(userId + ":" + password);
}

}  // namespace qbtest
