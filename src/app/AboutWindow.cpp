#include "app/AboutWindow.h"

#include <shellapi.h>

#include "app/Pictures.h"
#include "settings/Defaults.h"
#include "base/Text.h"

namespace {
constexpr char kRelease[] = "Ver1.01 2012-02-12";
}

TfrmAbout::TfrmAbout(ui::Form& owner) : owner_(owner) {
    LblRelease.color = RGB(0, 0, 255);
    LblRelease.fontHeight = 13;
    LbLCyberSyndrome.shrinkToFit = true;
}

void TfrmAbout::Build() {
    if (Handle()) return;
    std::string thanks = std::string("Special Thanks to ") + defaults::ProviderSiteUrl;
    // The layout table reads best one control a line.
    // clang-format off
    Create({"Quillbarrow2012 Ver1.01", 269, 106, ui::FormStyle::Dialog},
           {
               {&Image, ui::Kind::Picture, {19, 11, 33, 33}},
               {&ImgTitle, ui::Kind::Picture, {72, 8, 177, 41}},
               {&LblRelease, ui::Kind::Label, {96, 56, 153, 17}},
               {&LbLCyberSyndrome, ui::Kind::Label, {8, 72, 254, 12}, thanks.c_str()},
           },
           owner_.Handle());
    // clang-format on
    Image.onPaint = [this](HDC dc, const RECT& r) {
        base::UniqueIcon icon = MakeStateIcon(0, r.right - r.left);
        DrawIconEx(dc, r.left, r.top, icon.get(), r.right - r.left, r.bottom - r.top, 0, nullptr, DI_NORMAL);
    };
    ImgTitle.onPaint = [](HDC dc, const RECT& r) { PaintTitle(dc, r); };
    LbLCyberSyndrome.onClick = [this] { LbLCyberSyndromeClick(); };
}

void TfrmAbout::FormShow() {
    // Integer division truncates toward zero, as for any window placement.
    int top = owner_.Top() + (owner_.Height() - Height()) / 2;
    int left = owner_.Left() + (owner_.Width() - Width()) / 2;
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetCaption(defaults::AppTitle);
    LblRelease.SetText(kRelease);
}

void TfrmAbout::LbLCyberSyndromeClick() {
    if (openAddress) {
        openAddress(defaults::ProviderSiteUrl);
        return;
    }
    ShellExecuteW(nullptr, L"open", base::Widen(defaults::ProviderSiteUrl).c_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
}
