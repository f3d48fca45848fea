#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Handles.h"

namespace ui {

// Pop-up menu whose items can be enabled and disabled.
class PopupMenu {
public:
    PopupMenu();
    // Returns the item's index.
    int AddItem(const std::string& caption, std::function<void()> onClick);
    void SetItemEnabled(int index, bool enabled);
    bool ItemEnabled(int index) const;
    std::string ItemCaption(int index) const;
    int Count() const { return static_cast<int>(handlers_.size()); }
    // Opens the menu at a screen point and runs the chosen item's handler.
    void Popup(HWND owner, POINT at);
    HMENU Handle() const { return menu_.get(); }
    // Runs just before the menu opens (tests use it to close the menu again).
    std::function<void()> onPopup;
    // Index of the item clicked last, or -1 (tests and diagnostics).
    int lastChosen = -1;

    // Runs the handler of an item as a click would (disabled items do nothing).
    void ClickItem(int index);

private:
    base::UniqueMenu menu_;
    std::vector<std::function<void()>> handlers_;
};

}  // namespace ui
