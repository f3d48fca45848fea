// The socket transport against an in-process loopback server: line reads,
// captures, the peer's close, time-outs and aborts, refused and unresolvable
// peers, and the other messages that flow during a wait.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NetTestUtil.h"
#include "net/Powersock.h"
#include "support/LoopbackServer.h"
#include "base/MessageLoop.h"

namespace net {
namespace {

using nettest::ErrorOf;
using nettest::Later;
using nettest::NowMs;
using qbtest::LoopbackServer;
using qbtest::Reply;

void ConnectTo(TPowersock& sock, const LoopbackServer& server) {
    sock.Host = "127.0.0.1";
    sock.Port = server.Port();
    sock.Connect();
}

void PumpFor(int ms) {
    ULONGLONG until = NowMs() + static_cast<ULONGLONG>(ms);
    while (NowMs() < until) base::WaitForMessages(static_cast<DWORD>(until - NowMs()));
}

TEST(SocketReadLn, ReturnsLinesWithTheirTerminatorsAndLeavesTheRest) {
    // Pieces of 3 bytes: lines and terminators arrive split across receives.
    LoopbackServer server({Reply().DontReadRequest().SendInPieces("first\r\nsecond\n\r\nrest of it", 3)});
    TPowersock sock;
    sock.TimeOut = 5000;
    ConnectTo(sock, server);
    EXPECT_EQ(sock.ReadLn(), "first\r\n");
    EXPECT_EQ(sock.ReadLn(), "second\n");
    EXPECT_EQ(sock.ReadLn(), "\r\n");
    std::string rest;
    sock.CaptureString(rest, -1);
    EXPECT_EQ(rest, "rest of it");
    EXPECT_EQ(sock.BytesReceived, 10);
}

TEST(SocketReadLn, PeerClosingMidLineGivesEmptyText) {
    LoopbackServer server({Reply().DontReadRequest().Send("no line end")});
    TPowersock sock;
    sock.TimeOut = 5000;
    ConnectTo(sock, server);
    EXPECT_EQ(sock.ReadLn(), "");
    EXPECT_EQ(sock.ReadLn(), "");  // and stays at the end
    std::string rest;
    sock.CaptureString(rest, -1);
    EXPECT_EQ(rest, "");  // the part of the line is dropped, not left for the body
}

TEST(SocketReadLn, BytesWaitingAtThePeersCloseAreAllDelivered) {
    // The close notice handled before the line is read, and after it (when
    // the rest may already have been taken from the socket).
    for (bool lineFirst : {false, true}) {
        LoopbackServer server({Reply().DontReadRequest().Send("line\nbody bytes")});
        TPowersock sock;
        sock.TimeOut = 5000;
        int disconnects = 0;
        sock.OnDisconnect = [&] { ++disconnects; };
        ConnectTo(sock, server);
        ASSERT_TRUE(server.WaitServed(1, 2000));
        if (lineFirst) EXPECT_EQ(sock.ReadLn(), "line\n");
        PumpFor(100);  // FD_CLOSE is handled while bytes still wait
        EXPECT_EQ(disconnects, 0) << lineFirst;
        if (!lineFirst) EXPECT_EQ(sock.ReadLn(), "line\n");
        std::string body;
        sock.CaptureString(body, -1);
        EXPECT_EQ(body, "body bytes") << lineFirst;
        EXPECT_EQ(sock.ReadLn(), "") << lineFirst;  // then the end of the stream
    }
}

TEST(SocketReadLn, LinesAndBodyInOneReceiveReportAsBefore) {
    LoopbackServer server({Reply().DontReadRequest().Send("HTTP/1.0 200 OK\r\nA: b\r\n\r\nbody").Stall()});
    TPowersock sock;
    sock.TimeOut = 5000;
    int packets = 0;
    sock.OnPacketRecvd = [&] { ++packets; };
    ConnectTo(sock, server);
    std::vector<std::string> statuses;
    sock.ReportLevel = 8;
    sock.OnStatus = [&](const std::string& s) { statuses.push_back(s); };
    EXPECT_EQ(sock.ReadLn(), "HTTP/1.0 200 OK\r\n");
    EXPECT_EQ(sock.ReadLn(), "A: b\r\n");
    EXPECT_EQ(sock.ReadLn(), "\r\n");
    std::string body;
    sock.CaptureString(body, 4);
    EXPECT_EQ(body, "body");
    EXPECT_EQ(sock.BytesReceived, 4);
    EXPECT_EQ(packets, 1);
    EXPECT_EQ(statuses, (std::vector<std::string>{"ReadLn", "Timer On", "Timer Off", "ReadLn", "Timer On",
                                                  "Timer Off", "ReadLn", "Timer On", "Timer Off",
                                                  "Capture String", "Timer On", "Timer On", "Timer Off"}));
}

TEST(SocketReadLn, TheCloseNoticeLeavesThePartOfTheLineAlreadyTaken) {
    // Ended with a reset: after a graceful close Wine posts the close notice
    // only once every byte has been read; after a reset (and on Windows after
    // either) the notice can come while bytes still wait.
    LoopbackServer server({Reply().DontReadRequest().Send("Location: /a").Pause(400).Send("bc\r\n").Reset()});
    TPowersock sock;
    sock.TimeOut = 5000;
    ConnectTo(sock, server);
    // Holds the line's wait (its first part taken) until the rest and the
    // close are both queued, so one pump handles them together.
    Later hold(150, [&] {
        server.WaitServed(1, 5000);
        Sleep(100);
    });
    EXPECT_EQ(sock.ReadLn(), "Location: /abc\r\n");
    EXPECT_TRUE(hold.Fired());
}

TEST(SocketReadLn, ALineLongerThanTheBufferIsRefused) {
    // 65,536 bytes with the LF fill the buffer exactly; one more does not fit.
    std::string fits = std::string(65535, 'x') + "\n";
    LoopbackServer server({Reply().DontReadRequest().Send("a\n" + fits + std::string(65536, 'y') + "\n")});
    TPowersock sock;
    sock.TimeOut = 5000;
    ConnectTo(sock, server);
    EXPECT_EQ(sock.ReadLn(), "a\n");
    EXPECT_EQ(sock.ReadLn(), fits);
    EXPECT_EQ(ErrorOf<ESockError>([&] { sock.ReadLn(); }), "Line longer than the receive buffer");
}

TEST(SocketCapture, AppendsOneByteChunksUntilTheClose) {
    std::string text = "0123456789abcdefghij";
    LoopbackServer server({Reply().DontReadRequest().SendInPieces(text, 1, 10)});
    TPowersock sock;
    sock.TimeOut = 5000;
    int packets = 0;
    sock.OnPacketRecvd = [&] { ++packets; };
    ConnectTo(sock, server);
    std::string got;
    sock.CaptureString(got, -1);
    EXPECT_EQ(got, text);
    EXPECT_EQ(sock.BytesReceived, 20);
    EXPECT_GE(packets, 1);  // how many receives the bytes take depends on the scheduler
}

TEST(SocketCapture, StopsAtTheMaximum) {
    LoopbackServer server({Reply().DontReadRequest().Send("abc").Pause(100).Send("def").Stall()});
    TPowersock sock;
    sock.TimeOut = 5000;
    ConnectTo(sock, server);
    std::string got;
    sock.CaptureString(got, 2);  // the first receive already passes it
    EXPECT_EQ(got, "abc");
}

// Each step gets the whole TimeOut, counted from its own start. The upper
// bounds only tell a hang from a time-out.
TEST(SocketTimeOut, EndsAStalledReadAfterTheTimeOut) {
    LoopbackServer server({Reply().DontReadRequest().Stall()});
    TPowersock sock;
    sock.TimeOut = 800;
    ConnectTo(sock, server);
    ULONGLONG start = NowMs();
    EXPECT_EQ(ErrorOf<EAbortError>([&] { sock.ReadLn(); }), "Socket readln aborted");
    ULONGLONG took = NowMs() - start;
    EXPECT_GE(took, 780u);
    EXPECT_LE(took, 800u + 5000u);
    EXPECT_TRUE(sock.IsTimedOut());
    EXPECT_FALSE(sock.IsCanceled());  // cleared by the step that raised
}

TEST(SocketTimeOut, EndsACaptureThatKeepsReceiving) {
    LoopbackServer server({Reply().DontReadRequest().SendInPieces(std::string(100, 'x'), 1, 30)});
    TPowersock sock;
    sock.TimeOut = 600;
    ConnectTo(sock, server);
    std::string got;
    ULONGLONG start = NowMs();
    EXPECT_EQ(ErrorOf<EAbortError>([&] { sock.CaptureString(got, -1); }), "Socket capture aborted");
    ULONGLONG took = NowMs() - start;
    EXPECT_GE(took, 590u);
    EXPECT_LE(took, 600u + 5000u);
    EXPECT_FALSE(got.empty());  // what arrived is kept
    EXPECT_LT(got.size(), 100u);
}

TEST(SocketTimeOut, ZeroMeansNoBound) {
    LoopbackServer server({Reply().DontReadRequest().Pause(1200).Send("late\n")});
    TPowersock sock;
    sock.TimeOut = 0;
    ConnectTo(sock, server);
    EXPECT_EQ(sock.ReadLn(), "late\n");
}

TEST(SocketTimeOut, NegativeIsARangeErrorBeforeAnyConnection) {
    LoopbackServer server(
        {Reply().DontReadRequest().Send("first\n"), Reply().DontReadRequest().Send("second\n")});
    TPowersock refused;
    refused.TimeOut = -1;
    refused.Host = "127.0.0.1";
    refused.Port = server.Port();
    EXPECT_THROW(refused.Connect(), ERangeError);
    // The server's first connection is the next one.
    TPowersock sock;
    sock.TimeOut = 5000;
    ConnectTo(sock, server);
    EXPECT_EQ(sock.ReadLn(), "first\n");
}

int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

// What the wait costs in CPU is a figure of make bench.
TEST(SocketWait, KeepsOtherMessagesFlowing) {
    LoopbackServer server({Reply().DontReadRequest().Stall()});
    TPowersock sock;
    sock.TimeOut = 1000;
    ConnectTo(sock, server);
    g_ticks = 0;
    UINT_PTR ticker = SetTimer(nullptr, 0, 50, CountTick);
    EXPECT_THROW(sock.ReadLn(), EAbortError);
    KillTimer(nullptr, ticker);
    // A wait that pumped only once, at its end, would dispatch one tick at most.
    EXPECT_GE(g_ticks, 2);
}

TEST(SocketAbort, AHandlerEndsTheWaitWithTheAbortText) {
    LoopbackServer server({Reply().DontReadRequest().Stall()});
    TPowersock sock;
    sock.TimeOut = 5000;
    ConnectTo(sock, server);
    Later abort(100, [&] { sock.Abort(); });
    EXPECT_EQ(ErrorOf<EAbortError>([&] { sock.ReadLn(); }), "Socket readln aborted");
    EXPECT_FALSE(sock.IsTimedOut());
    std::string got;
    Later abort2(100, [&] { sock.Abort(); });
    EXPECT_EQ(ErrorOf<EAbortError>([&] { sock.CaptureString(got, -1); }), "Socket capture aborted");
}

TEST(SocketAbort, ComponentDestroyedByAHandlerEndsTheOperationSafely) {
    LoopbackServer server({Reply().DontReadRequest().Stall()});
    int users = TPowersock::WinsockUsers();
    // By a handler inside a wait...
    auto* sock = new TPowersock;
    sock->TimeOut = 5000;
    ConnectTo(*sock, server);
    Later destroy(100, [&] { delete sock; });
    EXPECT_EQ(ErrorOf<EAbortError>([&] { sock->ReadLn(); }), "Socket component destroyed by a handler");
    EXPECT_TRUE(destroy.Fired());
    // ...and by its own close handler, before the fresh socket is made.
    sock = new TPowersock;
    sock->TimeOut = 5000;
    ConnectTo(*sock, server);
    sock->OnDisconnect = [&] { delete sock; };
    EXPECT_EQ(ErrorOf<EAbortError>([&] { sock->Disconnect(); }), "Socket component destroyed by a handler");
    EXPECT_EQ(TPowersock::WinsockUsers(), users);
}

TEST(SocketConnect, RefusedConnectionFailsAfterTheFailureEvent) {
    TPowersock sock;
    sock.TimeOut = 5000;
    sock.Host = "127.0.0.1";
    sock.Port = LoopbackServer::UnusedPort();
    bool failedEvent = false;
    sock.OnConnectionFailed = [&] { failedEvent = true; };
    EXPECT_EQ(ErrorOf<ESockError>([&] { sock.Connect(); }), "Connection Failed");
    EXPECT_TRUE(failedEvent);
    EXPECT_FALSE(sock.IsConnected());
}

TEST(SocketConnect, UnknownHostGivesNullRemoteAddressUnlessTheHandlerFixesIt) {
    TPowersock sock;
    sock.TimeOut = 5000;
    sock.Host = "nonexistent.invalid";
    sock.Port = 80;
    EXPECT_EQ(ErrorOf<ESockError>([&] { sock.Connect(); }), "Null Remote Address");

    LoopbackServer server({Reply().DontReadRequest().Send("hello\n")});
    sock.Port = server.Port();
    int asked = 0;
    sock.OnInvalidHost = [&](bool& handled) {
        ++asked;
        sock.Host = "127.0.0.1";
        handled = true;
    };
    sock.Connect();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(sock.ReadLn(), "hello\n");

    // One more attempt only: a handler that fixes nothing does not loop.
    sock.Disconnect();
    sock.Host = "nonexistent.invalid";
    asked = 0;
    sock.OnInvalidHost = [&](bool& handled) {
        ++asked;
        handled = true;
    };
    EXPECT_EQ(ErrorOf<ESockError>([&] { sock.Connect(); }), "Null Remote Address");
    EXPECT_EQ(asked, 1);
}

TEST(SocketConnect, LooksUpNamesButNotDottedAddresses) {
    LoopbackServer server({Reply().DontReadRequest().Send("x\n")});
    TPowersock sock;
    sock.TimeOut = 5000;
    int resolved = 0, connected = 0;
    sock.OnHostResolved = [&] { ++resolved; };
    sock.OnConnect = [&] { ++connected; };
    ConnectTo(sock, server);
    EXPECT_EQ(resolved, 0);
    EXPECT_EQ(connected, 1);
    sock.Disconnect();
    sock.Host = "localhost";
    sock.Connect();
    EXPECT_EQ(resolved, 1);
    EXPECT_EQ(connected, 2);
    EXPECT_EQ(ErrorOf<ESockError>([&] { sock.Connect(); }), "Already connected");
}

TEST(SocketConnect, AbortedLookupIsCanceledAndItsLateAnswerHarmless) {
    LoopbackServer server({Reply().DontReadRequest().Send("ok\n")});
    TPowersock sock;
    sock.TimeOut = 5000;
    sock.Host = "localhost";
    sock.Port = server.Port();
    sock.ReportLevel = 8;
    bool abortOnce = true;
    std::string secondConnect;
    sock.OnStatus = [&](const std::string& status) {
        // "Timer On" comes right before the lookup starts to wait.
        if (status == "Timer On" && abortOnce) {
            abortOnce = false;
            secondConnect = ErrorOf<ESockError>([&] { sock.Connect(); });
            sock.Abort();
        }
    };
    EXPECT_EQ(ErrorOf<ESockError>([&] { sock.Connect(); }), "Host Lookup Canceled");
    EXPECT_EQ(secondConnect, "Already connected");
    // Wine's cancel reports success but stops nothing: the lookup's buffer
    // stays lent until its late answer comes, and is freed then.
    EXPECT_EQ(sock.LookupsInFlight(), 1u);
    for (ULONGLONG until = NowMs() + 5000; sock.LookupsInFlight() > 0 && NowMs() < until;)
        base::WaitForMessages(50);
    EXPECT_EQ(sock.LookupsInFlight(), 0u);
    sock.Connect();
    EXPECT_EQ(sock.ReadLn(), "ok\n");

    // The same with the component gone before the answer comes.
    auto* doomed = new TPowersock;
    doomed->Host = "localhost";
    doomed->Port = server.Port();
    doomed->ReportLevel = 8;
    doomed->OnStatus = [&](const std::string& status) {
        if (status == "Timer On") doomed->Abort();
    };
    EXPECT_EQ(ErrorOf<ESockError>([&] { doomed->Connect(); }), "Host Lookup Canceled");
    delete doomed;
    PumpFor(200);
}

TEST(SocketConnect, DisconnectLeavesAFreshSocketForTheNextConnection) {
    // What the first connection sent after its line never reaches the second.
    LoopbackServer server(
        {Reply().DontReadRequest().Send("one\nleft over"), Reply().DontReadRequest().Send("two\n")});
    TPowersock sock;
    sock.TimeOut = 5000;
    int disconnects = 0;
    sock.OnDisconnect = [&] { ++disconnects; };
    ConnectTo(sock, server);
    EXPECT_EQ(sock.ReadLn(), "one\n");
    sock.Disconnect();
    EXPECT_EQ(disconnects, 1);
    sock.Connect();
    EXPECT_EQ(sock.ReadLn(), "two\n");
}

TEST(SocketSend, WritesTextAndRefusesMoreThan65535Bytes) {
    LoopbackServer server({Reply().Send("done\n")});
    TPowersock sock;
    sock.TimeOut = 5000;
    ConnectTo(sock, server);
    EXPECT_THROW(sock.Write(std::string(65536, 'a')), ERangeError);
    sock.Write(std::string("GET / HTTP/1.0\r\n\0ignored", 25));  // up to the first zero byte
    sock.Writeln("");
    EXPECT_EQ(sock.ReadLn(), "done\n");
    EXPECT_EQ(server.Requests().at(0), "GET / HTTP/1.0\r\n\r\n");
}

TEST(SocketErrors, OnlyCodesAbove10000OtherThanTheIgnoredOneRaise) {
    TPowersock sock;
    WSASetLastError(WSAECONNREFUSED);
    EXPECT_EQ(ErrorOf<ESockError>([&] { sock.CheckSocketError(WSAEWOULDBLOCK); }),
              "10061:Connection refused");
    EXPECT_EQ(sock.LastErrorCode(), 10061);
    WSASetLastError(WSAEWOULDBLOCK);
    EXPECT_NO_THROW(sock.CheckSocketError(WSAEWOULDBLOCK));
    WSASetLastError(10000);
    EXPECT_NO_THROW(sock.CheckSocketError(WSAEWOULDBLOCK));
    WSASetLastError(12345);
    EXPECT_EQ(ErrorOf<ESockError>([&] { sock.CheckSocketError(WSAEWOULDBLOCK); }), "Unknown Error No. 12345");
}

TEST(SocketWinsock, ComponentsShareOneStartUp) {
    int base = TPowersock::WinsockUsers();
    {
        TPowersock a;
        EXPECT_EQ(TPowersock::WinsockUsers(), base + 1);
        {
            TPowersock b;
            EXPECT_EQ(TPowersock::WinsockUsers(), base + 2);
        }
        EXPECT_EQ(TPowersock::WinsockUsers(), base + 1);
        if (base == 0) {
            EXPECT_EQ(a.WinsockInfo().size(), 6u);
            EXPECT_EQ(a.WinsockInfo()[0], "Version= 1.1");
        }
        // Winsock is still started for a.
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        EXPECT_NE(s, INVALID_SOCKET);
        closesocket(s);
    }
    EXPECT_EQ(TPowersock::WinsockUsers(), base);
    if (base == 0) {
        EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
        EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    }
}

}  // namespace
}  // namespace net
