#pragma once
// The one place through which the main window reads and changes the selected
// browser's proxy settings.
#include <memory>
#include <string>

#include "browsers/BrowserAdapter.h"
#include "browsers/FireFox.h"
#include "browsers/IE.h"
#include "browsers/Opera.h"

// 0 Internet Explorer, 1 Google Chrome, 2 Mozilla Firefox, 3 Opera, 4 Microsoft Edge.
using BrowserKind = int;

class Proxy {
public:
    explicit Proxy(const BrowserStores& stores = {});

    // Stores the kind, runs PrepareBrowser and returns the window caption.
    std::string SelectBrowser(BrowserKind kind);
    void PrepareBrowser();
    int GetEnabled();
    // The two writes return false, having written nothing, while the selected
    // browser is running and would overwrite the change when it ends.
    bool SetEnabled(int state);
    void GetServer(std::string& buffer);
    bool SetServer(const std::string& address);

    BrowserKind Current() const { return kind_; }
    static std::string Caption(BrowserKind kind);

private:
    BrowserAdapter* Adapter();

    std::unique_ptr<IE> ie_;
    std::unique_ptr<Opera> opera_;
    std::unique_ptr<FireFox> firefox_;
    BrowserKind kind_ = 0;
};
