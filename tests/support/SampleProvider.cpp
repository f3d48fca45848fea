// Included by the standalone helper as well as compiled into the test
// support library, hence the header named relative to this file.
#include "SampleProvider.h"

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace qbtest {

namespace {

// Winsock is bound at run time: the standalone provider program is linked
// with the UI library only, which brings no Winsock import library.
struct Winsock {
    decltype(&::WSAStartup) WSAStartup;
    decltype(&::WSACleanup) WSACleanup;
    decltype(&::socket) socket;
    decltype(&::bind) bind;
    decltype(&::listen) listen;
    decltype(&::accept) accept;
    decltype(&::getsockname) getsockname;
    decltype(&::select) select;
    decltype(&::recv) recv;
    decltype(&::send) send;
    decltype(&::shutdown) shutdown;
    decltype(&::closesocket) closesocket;
};

template <typename F>
void Bind(HMODULE module, F& function, const char* name) {
    FARPROC proc = GetProcAddress(module, name);
    if (!proc) throw std::runtime_error(std::string("sample provider: no ws2_32 ") + name);
    function = reinterpret_cast<F>(reinterpret_cast<void*>(proc));
}

const Winsock& Sockets() {
    static const Winsock ws = [] {
        HMODULE m = LoadLibraryW(L"ws2_32.dll");
        if (!m) throw std::runtime_error("sample provider: ws2_32.dll not loaded");
        Winsock w{};
        Bind(m, w.WSAStartup, "WSAStartup");
        Bind(m, w.WSACleanup, "WSACleanup");
        Bind(m, w.socket, "socket");
        Bind(m, w.bind, "bind");
        Bind(m, w.listen, "listen");
        Bind(m, w.accept, "accept");
        Bind(m, w.getsockname, "getsockname");
        Bind(m, w.select, "select");
        Bind(m, w.recv, "recv");
        Bind(m, w.send, "send");
        Bind(m, w.shutdown, "shutdown");
        Bind(m, w.closesocket, "closesocket");
        return w;
    }();
    return ws;
}

uint16_t NetworkOrder16(uint16_t v) { return static_cast<uint16_t>((v >> 8) | (v << 8)); }

// Waits up to ms for the socket to have something to read (or to be closed).
bool Readable(SOCKET s, int ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    return Sockets().select(0, &set, nullptr, nullptr, &tv) > 0;
}

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
    SOCKET listener = INVALID_SOCKET;
    uint16_t port = 0;
    std::atomic<bool> stop{false};
    std::thread acceptor;

    mutable std::mutex mutex;
    std::string userId = kDefaultUserId;
    std::string password = kDefaultPassword;
    int entries = kDefaultEntries;
    std::vector<std::string> listEntries;  // in place of the generated ones when not empty
    std::map<std::string, Behaviour> behaviours;
    std::vector<ProviderRequest> requests;
    size_t settled = 0;  // requests answered or stalling

    struct Connection {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Connection> connections;  // touched by the acceptor thread only

    Behaviour BehaviourFor(const std::string& path) const {
        auto it = behaviours.find(path);
        if (it == behaviours.end()) it = behaviours.find(std::string());
        return it == behaviours.end() ? Behaviour::Serve : it->second;
    }

    bool SendAll(SOCKET s, const std::string& bytes) {
        const char* data = bytes.data();
        size_t size = bytes.size();
        while (size > 0 && !stop) {
            int n = Sockets().send(s, data, static_cast<int>(std::min<size_t>(size, 1 << 16)), 0);
            if (n <= 0) return false;
            data += n;
            size -= static_cast<size_t>(n);
        }
        return size == 0;
    }

    // Reads until the peer closes (or the provider stops), recording nothing.
    void WaitForClose(SOCKET s, int maxMs) {
        char buf[1024];
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
        while (!stop && std::chrono::steady_clock::now() < until) {
            if (!Readable(s, 20)) continue;
            if (Sockets().recv(s, buf, sizeof buf, 0) <= 0) return;
        }
    }

    void Settle(size_t index, int status) {
        std::lock_guard lock(mutex);
        requests[index].status = status;
        ++settled;
    }

    void Serve(SOCKET s) {
        std::string raw;
        char buf[4096];
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!stop && std::chrono::steady_clock::now() < until &&
               raw.find("\r\n\r\n") == std::string::npos && raw.find("\n\n") == std::string::npos) {
            if (!Readable(s, 20)) continue;
            int n = Sockets().recv(s, buf, sizeof buf, 0);
            if (n <= 0) break;
            raw.append(buf, static_cast<size_t>(n));
        }
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
            WaitForClose(s, INT_MAX);
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
        if (SendAll(s, reply)) {
            // A graceful end: the client reads the body until the close.
            Sockets().shutdown(s, SD_SEND);
            WaitForClose(s, 2000);
        }
    }

    void Run() {
        while (!stop) {
            for (auto it = connections.begin(); it != connections.end();) {
                if (*it->done) {
                    it->thread.join();
                    it = connections.erase(it);
                } else {
                    ++it;
                }
            }
            if (!Readable(listener, 20)) continue;
            SOCKET s = Sockets().accept(listener, nullptr, nullptr);
            if (s == INVALID_SOCKET) continue;
            auto done = std::make_shared<std::atomic<bool>>(false);
            connections.push_back({std::thread([this, s, done] {
                                       Serve(s);
                                       Sockets().closesocket(s);
                                       *done = true;
                                   }),
                                   done});
        }
        for (auto& c : connections) c.thread.join();
        connections.clear();
    }
};

SampleProvider::SampleProvider(uint16_t port) : state_(std::make_shared<State>()) {
    const Winsock& ws = Sockets();
    WSADATA data;
    if (ws.WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("sample provider: no Winsock");
    SOCKET l = ws.socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.S_un.S_un_b = {127, 0, 0, 1};
    addr.sin_port = NetworkOrder16(port);
    if (l == INVALID_SOCKET || ws.bind(l, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ws.listen(l, 16) != 0) {
        if (l != INVALID_SOCKET) ws.closesocket(l);
        ws.WSACleanup();
        throw std::runtime_error("sample provider: cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    int len = sizeof addr;
    ws.getsockname(l, reinterpret_cast<sockaddr*>(&addr), &len);
    state_->listener = l;
    state_->port = NetworkOrder16(addr.sin_port);
    state_->acceptor = std::thread([s = state_.get()] { s->Run(); });
}

SampleProvider::~SampleProvider() {
    state_->stop = true;
    state_->acceptor.join();
    Sockets().closesocket(state_->listener);
    Sockets().WSACleanup();
}

uint16_t SampleProvider::Port() const { return state_->port; }

std::string SampleProvider::Address(const std::string& path) const {
    return "127.0.0.1:" + std::to_string(state_->port) + path;
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
