#pragma once
// Internet Explorer and Chrome: the per-user Internet Settings in the registry.
#include <string>

#include "browsers/BrowserAdapter.h"

class IE : public BrowserAdapter {
public:
    static constexpr char kDefaultKey[] = "SoftWare\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

    explicit IE(std::string key = kDefaultKey);

    int GetEnabled() override;
    void SetEnabled(int state) override;
    void GetServer(std::string& buffer) override;
    void SetServer(const std::string& address) override;

    const std::string& ServerPrefix() const { return ServerPrefix_; }
    const std::string& ServerSuffix() const { return ServerSuffix_; }

private:
    std::string key_;
    std::string ServerPrefix_;
    std::string ServerSuffix_;
};
