#pragma once
// A scripted TCP server on 127.0.0.1 for network tests: one thread, an
// ephemeral port, connections served one after the other.
//
//   qbtest::LoopbackServer server({qbtest::Reply().Send("HTTP/1.0 200 OK\r\n\r\nhi")});
//   client.Get(server.Url("/page"));
//   EXPECT_EQ(server.Requests()[0], "GET /page HTTP/1.0\r\n...");
//
// For each connection the server first reads the request up to its empty line
// (CR LF CR LF or LF LF, or until the client closes or 5 s pass), then runs
// the steps of its Reply in order, then closes the connection gracefully.
// Connection k is answered by replies[k], the last Reply serving every
// connection beyond the list.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qbtest {

class Reply {
public:
    // One send() of the bytes (the system may still split them).
    Reply& Send(std::string bytes);
    // Separate sends of `piece` bytes each, with a pause between them so that
    // the client meets them in separate receives.
    Reply& SendInPieces(std::string bytes, size_t piece, int pauseMs = 5);
    Reply& Pause(int ms);
    // Sends nothing more until the client closes or the server is destroyed.
    Reply& Stall();
    // Ends the connection with a reset (linger 0) instead of a graceful close.
    Reply& Reset();
    // Answers at once, without reading the request first.
    Reply& DontReadRequest();

    struct Step {
        enum Kind { Send, Pause, Stall, Reset } kind;
        std::string bytes;
        size_t piece = 0;
        int ms = 0;
    };
    const std::vector<Step>& Steps() const { return steps_; }
    bool ReadsRequest() const { return readRequest_; }

private:
    std::vector<Step> steps_;
    bool readRequest_ = true;
};

// "HTTP/1.0 <status line>\r\n" + headers (each "Name: value\r\n") + "\r\n" + body.
std::string HttpResponse(const std::string& status, const std::vector<std::string>& headers,
                         const std::string& body);

class LoopbackServer {
public:
    explicit LoopbackServer(std::vector<Reply> replies);
    ~LoopbackServer();  // stops the thread; a stalled connection is closed
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t Port() const;
    // "http://127.0.0.1:<port>" followed by path.
    std::string Url(const std::string& path = "/") const;
    // Connections accepted so far.
    int Connections() const;
    // The bytes received on each connection, in order of acceptance.
    std::vector<std::string> Requests() const;
    // Waits (up to ms) until `count` connections have been fully served.
    bool WaitServed(int count, int ms) const;

    // A port on 127.0.0.1 that nothing listens on (bound, then released).
    static uint16_t UnusedPort();

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace qbtest
