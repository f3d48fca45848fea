#include "browsers/Proxy.h"

#include "settings/Defaults.h"
#include "settings/IniFile.h"

Proxy::Proxy(const BrowserStores& stores)
    : ie_(std::make_unique<IE>(stores.ieKey.empty() ? std::string(IE::kDefaultKey) : stores.ieKey)),
      opera_(std::make_unique<Opera>(stores.settingsFile)),
      firefox_(std::make_unique<FireFox>(stores.settingsFile, stores.appDataFolder)),
      settingsFile_(stores.settingsFile.empty() ? SettingsFilePath() : stores.settingsFile) {}

std::string Proxy::Caption(BrowserKind kind) {
    std::string caption = defaults::AppTitle;
    switch (kind) {
        case 0: return caption + "for Internet Explorer";
        case 1: return caption + "for Google Chrome";
        case 2: return caption + "for Mozilla Firefox";
        case 3: return caption + "for Opera";
        case 4: return caption + "for Microsoft Edge";
        default: return caption;
    }
}

std::string Proxy::SelectBrowser(BrowserKind kind) {
    kind_ = kind;
    PrepareBrowser();
    return Caption(kind);
}

BrowserAdapter* Proxy::Adapter() {
    switch (kind_) {
        case 0:
        case 1:                    // Chrome uses the same Internet Settings
        case 4: return ie_.get();  // and so does Edge
        case 2:
            // Following, Firefox reads the Windows settings as Internet Explorer does.
            return firefoxFollows_ ? static_cast<BrowserAdapter*>(ie_.get()) : firefox_.get();
        // Opera 12 and older keep their proxy in operaprefs.ini; Opera since
        // 15 has no such file and follows the Internet Settings, as Chrome does.
        case 3: return opera_->HasPrefsFile() ? static_cast<BrowserAdapter*>(opera_.get()) : ie_.get();
        default: return nullptr;
    }
}

void Proxy::PrepareBrowser() {
    firefoxFollows_ = IniFile(settingsFile_).IsOn(setting::FirefoxFollowWindows);
    // Only the file-based stores need to be located again; Firefox's also
    // while it follows the Windows settings, for the user.js beside it.
    if (kind_ == 2) firefox_->FindPrefsFile();
    if (kind_ == 3) opera_->FindPrefsFile();
}

void Proxy::ApplyFirefoxMode() {
    firefox_->FindPrefsFile();
    if (!firefox_->FollowWindows(firefoxFollows_) && firefoxFollows_ && onFirefoxCannotFollow) {
        onFirefoxCannotFollow();
    }
}

void Proxy::KeepFirefoxFollowing() {
    if (kind_ != 2 || !firefoxFollows_) return;
    if (!firefox_->FollowWindows(true) && onFirefoxCannotFollow) onFirefoxCannotFollow();
}

int Proxy::GetEnabled() {
    BrowserAdapter* a = Adapter();
    return a ? a->GetEnabled() : 0;
}

bool Proxy::SetEnabled(int state) {
    BrowserAdapter* a = Adapter();
    if (!a) return true;
    if (a->InUse()) return false;
    a->SetEnabled(state);
    KeepFirefoxFollowing();
    return true;
}

void Proxy::GetServer(std::string& buffer) {
    if (BrowserAdapter* a = Adapter()) {
        a->GetServer(buffer);
        buffer = CutProxyText(buffer);
    }
}

bool Proxy::WritesRefused() {
    BrowserAdapter* a = Adapter();
    return a && a->InUse();
}

bool Proxy::SetServer(const std::string& address) {
    BrowserAdapter* a = Adapter();
    if (!a) return true;
    if (a->InUse()) return false;
    a->SetServer(CutProxyText(address));
    KeepFirefoxFollowing();
    return true;
}
