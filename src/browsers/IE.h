#pragma once
// Internet Explorer and Chrome: the per-user Internet Settings in the registry.
#include <string>

#include "browsers/BrowserAdapter.h"

class IE : public BrowserAdapter {
public:
    static constexpr char kDefaultKey[] = "SoftWare\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

    // key: under HKEY_CURRENT_USER.
    explicit IE(std::string key = kDefaultKey);

    int GetEnabled() override;
    void SetEnabled(int state) override;
    // Reads "ProxyServer" and keeps what surrounds the HTTP address for the
    // next SetServer.
    void GetServer(std::string& buffer) override;
    // Stores ServerPrefix + address + ServerSuffix. Refuses (stores nothing)
    // when the last read found a value it could not take apart, or when the
    // result would be too long to be read back.
    void SetServer(const std::string& address) override;

    const std::string& ServerPrefix() const { return ServerPrefix_; }
    const std::string& ServerSuffix() const { return ServerSuffix_; }

private:
    // After a plain value is written: the binary value that WinHTTP (and so
    // Chrome) reads is brought in line, and running programs are told.
    void FollowSwitch();

    std::string key_;
    std::string ServerPrefix_;
    std::string ServerSuffix_;
    bool unreadableServer_ = false;
};
