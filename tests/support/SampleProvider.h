#pragma once
// A stand-in for the proxy-list service on 127.0.0.1, for tests and the demo.
//
//   qbtest::SampleProvider provider;                 // ephemeral port
//   provider.SetCredentials("reader42", "pl5open");  // what the list pages demand
//   ini.WriteString("URL", "ANONYMOUS", provider.Address("/pla5.html"));
//   ... Get Proxy ...
//   provider.WaitRequests(2, 5000);
//   EXPECT_EQ(provider.Requests()[1].authorization,
//             qbtest::SampleProvider::BasicAuthorization("reader42", "pl5open"));
//
// It serves three list pages, "/pla5.html", "/pld5.html" and "/plr5.html"
// (addresses from 192.0.2.0/24, 198.51.100.0/24 and 203.0.113.0/24
// respectively, anchors of the three kinds A, B and C in turn), and the
// Shift-JIS credentials page "/idpass.html", which publishes the credentials
// and is itself open to any request. The list pages check Basic
// authentication and answer 401 with an error page when it is wrong. Every
// connection is served on its own thread, so a stalled one holds up no other.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qbtest {

struct ProviderRequest {
    std::string raw;            // the bytes received, up to and including the empty line
    std::string path;           // the request target of the request line
    std::string authorization;  // the value of the Authorization line; empty when none
    int status = 0;             // the status answered; 0 while stalled or unanswered
};

class SampleProvider {
public:
    enum class Behaviour { Serve, Stall, NotFound, EndlessHeader };

    static constexpr char kDefaultUserId[] = "reader42";
    static constexpr char kDefaultPassword[] = "pl5open";
    static constexpr int kDefaultEntries = 12;

    // Listens on 127.0.0.1:port, an ephemeral port when 0. Throws
    // std::runtime_error when the port cannot be had.
    explicit SampleProvider(uint16_t port = 0);
    ~SampleProvider();  // closes every connection, stalled ones included
    SampleProvider(const SampleProvider&) = delete;
    SampleProvider& operator=(const SampleProvider&) = delete;

    uint16_t Port() const;
    // "127.0.0.1:<port>" + path: an address as the settings file stores it, with no scheme.
    std::string Address(const std::string& path) const;

    // The credentials that the list pages require and the credentials page
    // publishes; a password equal to the user ID is published as "same as
    // the user ID". An empty user ID opens the list pages to every request.
    void SetCredentials(std::string userId, std::string password);
    // Entries on each list page.
    void SetEntries(int count);
    // The entries of every list page, in place of the generated addresses
    // (the demo lists its stand-in proxies so); empty goes back to those.
    void SetListEntries(std::vector<std::string> entries);
    // How requests for `path` are answered; an empty path sets the default
    // for every path without a behaviour of its own. Stall reads the request
    // and then sends nothing until the client gives up; EndlessHeader sends a
    // status line and then header lines without end, as fast as the client
    // takes them, until it gives up.
    void SetBehaviour(Behaviour behaviour, const std::string& path = {});

    // Every request received so far, in order of arrival; a request is
    // recorded as soon as it has been read, before it is answered.
    std::vector<ProviderRequest> Requests() const;
    // Waits up to ms until at least `count` requests have been answered (or
    // are stalling).
    bool WaitRequests(size_t count, int ms) const;

    // The page texts, for tests that compare what a client makes of them.
    // ListPage serves the three list paths and throws for any other path.
    static std::string ListPage(const std::string& path, int entries);
    static std::string ListPage(const std::string& path, const std::vector<std::string>& addresses);
    static std::string CredentialsPage(const std::string& userId, const std::string& password);
    // The entries that list option 0..3 should take from ListPage(path, entries).
    static std::vector<std::string> ListEntries(const std::string& path, int entries, int option);
    // "Basic " followed by base64 of "userId:password".
    static std::string BasicAuthorization(const std::string& userId, const std::string& password);

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace qbtest
