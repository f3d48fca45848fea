// The transport's data operations: sending, reading lines and capturing
// until the peer closes. The connection, its events and the time-out are in
// Powersock.cpp.
#include <algorithm>
#include <cstring>
#include <utility>

#include "net/Powersock.h"

namespace net {

void TPowersock::SendBuffer(const char* bytes, int length) {
    ReportStatus(4, "Sending Buffer");
    TimerOn();
    OnExitIfAlive off(alive_, [this] { TimerOff(); });
    if (!Canceled) {
        if (length == 0) length = static_cast<int>(std::strlen(bytes));
        if (length < 0 || length > 65535) throw ERangeError();
        if (std::exchange(holdWrite_, false)) {
            held_.assign(bytes, static_cast<size_t>(length));
            return;
        }
        std::string joined;
        size_t heldLeft = held_.size();
        if (heldLeft > 0) {
            joined = std::move(held_) + std::string(bytes, static_cast<size_t>(length));
            held_.clear();
            bytes = joined.data();
            length = static_cast<int>(joined.size());
        }
        int remaining = length;
        while (remaining > 0 && !Canceled) {
            int n = send(SocketHandle.get(), bytes, remaining, 0);
            if (n == 0) break;
            if (n < 0) {
                CheckSocketError(WSAEWOULDBLOCK);
                // The network takes no more for now. Sending does not pump
                // (FD_WRITE is not among the events), so wait for room here,
                // bounded by the time-out.
                fd_set writable;
                FD_ZERO(&writable);
                FD_SET(SocketHandle.get(), &writable);
                DWORD ms = std::min<DWORD>(RemainingMs(), 100);
                timeval tv{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
                select(0, nullptr, &writable, nullptr, &tv);
                CheckDeadline();
                continue;
            }
            bytes += n;
            remaining -= n;
            // The held Write's bytes count as a packet of their own.
            if (heldLeft > 0 && (heldLeft -= std::min<size_t>(heldLeft, static_cast<size_t>(n))) == 0 &&
                remaining > 0)
                Fire(OnPacketSent);
            Fire(OnPacketSent);
        }
    }
    if (Canceled) {
        Canceled = false;
        held_.clear();
        throw EAbortError("Socket send aborted");
    }
}

void TPowersock::Write(std::string_view text) {
    ReportStatus(8, "Write");
    size_t n = std::min<size_t>(text.size(), kIoBufferSize);
    std::memcpy(IoBuffer.get(), text.data(), n);
    IoBuffer[n] = '\0';
    SendBuffer(IoBuffer.get(), 0);
}

void TPowersock::Writeln(std::string_view text) {
    ReportStatus(8, "Writeln");
    std::string line(text);
    line += "\r\n";
    Write(line);
}

std::string TPowersock::ReadLn() {
    ReportStatus(8, "ReadLn");
    auto step = BeginRead();
    // Under Wine every receive is a round trip to the wineserver: one receive
    // of whatever the socket holds serves many lines.
    if (!readBuffer_) readBuffer_.reset(new char[kIoBufferSize]);
    char* buffer = readBuffer_.get();
    size_t searched = readBegin_;
    const char* lf = nullptr;
    while (!Canceled) {
        lf = static_cast<const char*>(std::memchr(buffer + searched, '\n', readEnd_ - searched));
        if (lf) break;
        if (readEnd_ - readBegin_ == static_cast<size_t>(kIoBufferSize))
            throw ESockError("Line longer than the receive buffer");
        if (readBegin_ > 0) {
            // The part of the line taken so far moves to the front, so a line
            // always has the whole buffer.
            std::memmove(buffer, buffer + readBegin_, readEnd_ - readBegin_);
            readEnd_ -= readBegin_;
            readBegin_ = 0;
        }
        searched = readEnd_;
        int n = recv(SocketHandle.get(), buffer + readEnd_, static_cast<int>(kIoBufferSize - readEnd_), 0);
        if (n > 0) {
            readEnd_ += static_cast<size_t>(n);
            // A server that keeps sending never lets the socket run dry, so
            // the wait below would never come: the window, the time-out and
            // an abort get their turn here.
            if (NowMs() - lastPump_ >= kPumpIntervalMs) WaitForEvent(false);
            continue;
        }
        if (n == 0) {
            // The peer closed: a part of a line is dropped.
            DropReceived();
            return {};
        }
        LastError = WSAGetLastError();
        // The peer's close was handled and the socket replaced: end of stream.
        if (LastError == WSAENOTCONN) return {};
        CheckSocketError(WSAEWOULDBLOCK);
        // A receive that finds nothing re-enables FD_READ, so the next byte to
        // arrive posts a message that ends this sleep.
        WaitForSocket();
    }
    if (Canceled) {
        Canceled = false;
        throw EAbortError("Socket readln aborted");
    }
    size_t lineEnd = static_cast<size_t>(lf - buffer) + 1;
    std::string line(buffer + readBegin_, lineEnd - readBegin_);
    readBegin_ = lineEnd;
    if (readBegin_ == readEnd_) DropReceived();
    return line;
}

void TPowersock::CaptureString(std::string& text, int32_t maximum) {
    ReportStatus(8, "Capture String");
    text.clear();
    BytesReceived = 0;
    auto step = BeginRead();
    // Receives of up to 1 MiB: under Wine each recv costs a round trip to the
    // wineserver, which at 64 KiB a call dominated a large download.
    if (!captureBuffer_) captureBuffer_.reset(new char[kCaptureChunk]);
    char* buffer = captureBuffer_.get();
    ULONGLONG lastPump = NowMs();
    while (!Canceled && (maximum == -1 || text.size() < static_cast<size_t>(maximum))) {
        // What the line reader took beyond the last line is the first chunk.
        const char* chunk = buffer;
        int n;
        if (readEnd_ > readBegin_) {
            chunk = readBuffer_.get() + readBegin_;
            n = static_cast<int>(readEnd_ - readBegin_);
        } else {
            n = recv(SocketHandle.get(), buffer, static_cast<int>(kCaptureChunk), 0);
        }
        if (n == 0) break;
        if (n > 0) {
            if (text.size() + static_cast<size_t>(n) > kCaptureLimit)
                throw ESockError("Received data exceed 32 MiB");
            text.append(chunk, static_cast<size_t>(n));
            if (chunk != buffer) DropReceived();
            BytesReceived += n;
            Fire(OnPacketRecvd);
            TimerOn();
            // While data keeps coming, pumping every few milliseconds keeps
            // the window alive at a fraction of the cost of pumping per chunk.
            ULONGLONG now = NowMs();
            if (now - lastPump >= kPumpIntervalMs) {
                lastPump = now;
                WaitForEvent(false);
            }
            continue;
        }
        LastError = WSAGetLastError();
        if (LastError == WSAENOTCONN) break;
        CheckSocketError(WSAEWOULDBLOCK);
        WaitForSocket();
        lastPump = NowMs();
    }
    if (Canceled) {
        Canceled = false;
        throw EAbortError("Socket capture aborted");
    }
}

bool TPowersock::DataAvailable() {
    ReportStatus(8, "Data Available");
    // Bytes that the line reader has taken are waiting all the same.
    if (readEnd_ > readBegin_) return true;
    char probe;
    return recv(SocketHandle.get(), &probe, 1, MSG_PEEK) >= 1;
}

}  // namespace net
