#pragma once
// Finds the credentials for the list fetch: the ones the provider publishes
// on its credentials page, or the user's own from the settings file.
#include <string>

#include "net/HttpClient.h"
#include "settings/IniFile.h"

class IDChecker {
public:
    // The settings file, the HTTP client and the "report success" flag are the
    // main window's; the checker only borrows them.
    IDChecker(IniFile& settings, net::TNMHTTP& inet, bool& reportSuccess)
        : IniFile_(settings), Inet_(inet), ReportSuccess_(reportSuccess) {}

    // Always writes both outputs; "0"/"0" when the page could not be had.
    void Lookup(std::string& userId, std::string& password);

    // The values the last page published (kept between lookups).
    const std::string& PageUserId() const { return PageUserId_; }
    const std::string& PagePassword() const { return PagePassword_; }

private:
    IniFile& IniFile_;
    net::TNMHTTP& Inet_;
    bool& ReportSuccess_;
    std::string PageUserId_;
    std::string PagePassword_;
};
