#include "net/AsyncWinsock.h"

#include <algorithm>
#include <cstring>

#include "base/MessageWindow.h"

namespace net {

namespace {
int g_winsockUsers = 0;

// Whether a successful WSACancelAsyncRequest really stops the lookup. Wine's
// reports success for any handle, even 0, which names no request, and the
// lookup still writes its buffer and posts its answer afterwards.
bool CancelIsHonoured() {
    static const bool honoured = WSACancelAsyncRequest(nullptr) == SOCKET_ERROR;
    return honoured;
}
}  // namespace

uint64_t NowMs() {
    static const uint64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<uint64_t>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<uint64_t>(now.QuadPart) / frequency * 1000 +
           static_cast<uint64_t>(now.QuadPart) % frequency * 1000 / frequency;
}

WinsockUser::WinsockUser() {
    if (g_winsockUsers++ == 0) {
        first_ = true;
        WSAStartup(0x0101, &data_);
    }
}

WinsockUser::~WinsockUser() {
    if (--g_winsockUsers == 0) WSACleanup();
}

int WinsockUser::Users() { return g_winsockUsers; }

NotifyWindow::NotifyWindow(Handler handler)
    : handler_(std::move(handler)), window_(base::CreateMessageWindow(L"PsockWindowClass", Proc, this)) {}

NotifyWindow::~NotifyWindow() { SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0); }

LRESULT CALLBACK NotifyWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg >= WM_USER) {
        try {
            if (self->handler_(msg, wp, lp)) return 0;
        } catch (...) {
            // Owners report their own errors; nothing may cross the window
            // procedure.
            return 0;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool NotifyWindow::Select(SOCKET socket, UINT message, long events) const {
    return WSAAsyncSelect(socket, window_.get(), message, events) != SOCKET_ERROR;
}

void NotifyWindow::Purge(UINT message) const {
    MSG stale;
    while (PeekMessageW(&stale, window_.get(), message, message, PM_REMOVE)) {
    }
}

struct HostLookups::Record {
    HANDLE task = nullptr;
    bool abandoned = false;
    alignas(8) char hostEntry[MAXGETHOSTSTRUCT];
};

HostLookups::HostLookups(HWND window, UINT message) : window_(window), message_(message) {}

HostLookups::~HostLookups() {
    for (auto& record : records_) (void)record.release();
}

HANDLE HostLookups::Start(const std::string& name) {
    auto record = std::make_unique<Record>();
    record->task =
        WSAAsyncGetHostByName(window_, message_, name.c_str(), record->hostEntry, sizeof record->hostEntry);
    if (!record->task) return nullptr;
    records_.push_back(std::move(record));
    return records_.back()->task;
}

void HostLookups::Abandon(HANDLE lookup) {
    auto it =
        std::find_if(records_.begin(), records_.end(), [lookup](const auto& r) { return r->task == lookup; });
    if (it == records_.end()) return;
    // A cancelled lookup neither writes its buffer nor posts its answer, so
    // its record can go now.
    if (WSACancelAsyncRequest(lookup) == 0 && CancelIsHonoured())
        records_.erase(it);
    else
        (*it)->abandoned = true;
}

bool HostLookups::Complete(WPARAM wp, LPARAM lp, std::optional<uint32_t>& address) {
    HANDLE task = reinterpret_cast<HANDLE>(wp);
    auto it =
        std::find_if(records_.begin(), records_.end(), [task](const auto& r) { return r->task == task; });
    if (it == records_.end()) return false;
    std::unique_ptr<Record> record = std::move(*it);
    records_.erase(it);
    if (record->abandoned) return false;
    address.reset();
    const auto* host = reinterpret_cast<const hostent*>(record->hostEntry);
    if (WSAGETASYNCERROR(lp) == 0 && host->h_length == 4 && host->h_addr_list && host->h_addr_list[0]) {
        uint32_t first;
        std::memcpy(&first, host->h_addr_list[0], 4);
        address = first;
    }
    return true;
}

}  // namespace net
