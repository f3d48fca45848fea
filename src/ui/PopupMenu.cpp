#include "ui/PopupMenu.h"

#include "base/Text.h"

namespace ui {

PopupMenu::PopupMenu() : menu_(CreatePopupMenu()) {}

int PopupMenu::AddItem(const std::string& caption, std::function<void()> onClick) {
    handlers_.push_back(std::move(onClick));
    AppendMenuW(menu_.get(), MF_STRING, handlers_.size(), base::Widen(caption).c_str());
    return Count() - 1;
}

void PopupMenu::SetItemEnabled(int index, bool enabled) {
    EnableMenuItem(menu_.get(), static_cast<UINT>(index), MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool PopupMenu::ItemEnabled(int index) const {
    UINT state = GetMenuState(menu_.get(), static_cast<UINT>(index), MF_BYPOSITION);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

std::string PopupMenu::ItemCaption(int index) const {
    wchar_t buf[256] = {};
    GetMenuStringW(menu_.get(), static_cast<UINT>(index), buf, 256, MF_BYPOSITION);
    return base::Narrow(buf);
}

void PopupMenu::ClickItem(int index) {
    if (index < 0 || index >= Count() || !ItemEnabled(index)) return;
    lastChosen = index;
    if (handlers_[static_cast<size_t>(index)]) handlers_[static_cast<size_t>(index)]();
}

void PopupMenu::Popup(HWND owner, POINT at) {
    if (onPopup) onPopup();
    UINT cmd = static_cast<UINT>(TrackPopupMenu(menu_.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                                at.x, at.y, 0, owner, nullptr));
    // Without a message after the menu closes, a second right-click on the
    // notification icon can show the menu only briefly.
    PostMessageW(owner, WM_NULL, 0, 0);
    if (cmd > 0) ClickItem(static_cast<int>(cmd) - 1);
}

}  // namespace ui
