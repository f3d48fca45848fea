#include "list/IDChecker.h"

#include <exception>
#include <optional>

#include "list/CredentialsPage.h"
#include "settings/Defaults.h"

void IDChecker::Lookup(std::string& userId, std::string& password) {
    // This fetch's success must not show as "Obtained".
    ReportSuccess_ = false;
    std::optional<Credentials> page;
    try {
        std::string address = IniFile_.Read(setting::IdPassUrl);
        Inet_.Get("http://" + address);
        page = ParseCredentialsPage(Inet_.Body);
        if (page) {
            PageUserId_ = page->userId;
            PagePassword_ = page->password;
        }
    } catch (const std::exception&) {
        // A fetch that fails, for whatever reason, means no page credentials.
        page.reset();
    }
    Credentials chosen;
    if (page) {
        chosen = ChooseCredentials(page, IniFile_.Read(setting::CyberUserId.Or(defaults::Missing)),
                                   IniFile_.Read(setting::CyberPassword.Or(defaults::Missing)));
    } else {
        chosen = ChooseCredentials(std::nullopt, "", "");
    }
    userId = chosen.userId;
    password = chosen.password;
}
