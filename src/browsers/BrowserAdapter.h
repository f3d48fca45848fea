#pragma once
// What the dispatcher asks of each browser's settings store.
#include <string>

#include "browsers/ProxyServerText.h"

class BrowserAdapter {
public:
    virtual ~BrowserAdapter() = default;
    // Locates the browser's preference file again (no-op for the registry).
    virtual void FindPrefsFile() {}
    // 1 when the browser uses its HTTP proxy; anything else is direct.
    virtual int GetEnabled() = 0;
    virtual void SetEnabled(int state) = 0;
    // Writes the HTTP proxy address (at most kMaxProxyText characters) into buffer.
    virtual void GetServer(std::string& buffer) = 0;
    virtual void SetServer(const std::string& address) = 0;
    // Whether the browser holds its settings right now and would overwrite a
    // change when it ends; the dispatcher then writes nothing.
    virtual bool InUse() { return false; }
};

// Where the browsers' settings live. Empty fields mean the real places;
// tests point them at scratch keys and folders.
struct BrowserStores {
    std::string ieKey;          // under HKEY_CURRENT_USER; empty = the Internet Settings key
    std::string settingsFile;   // Quillbarrow.ini; empty = beside the program
    std::string appDataFolder;  // empty = the user's roaming application data folder
};
