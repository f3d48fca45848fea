#pragma once
// Hidden message-only windows that carry the transport's notifications.
#include <windows.h>

#include "ui/Handles.h"

namespace net {

// Registers the class once per process (skipped when it already exists) and
// creates a message-only window whose GWLP_USERDATA holds owner.
ui::UniqueHwnd CreateHiddenWindow(const wchar_t* className, WNDPROC proc, void* owner);

}  // namespace net
