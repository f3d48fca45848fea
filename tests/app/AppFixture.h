#pragma once
// A real main window on a scratch settings folder and a scratch registry key.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "settings/IniFile.h"
#include "settings/RegFile.h"
#include "support/ErrorBoxes.h"
#include "support/LockHolder.h"
#include "support/Scratch.h"
#include "base/MessageLoop.h"
#include "base/Text.h"

// Runs fn every `ms` while a command waits (a fetch pumps the thread's timers).
class During {
public:
    During(UINT ms, std::function<void()> fn) : fn_(std::move(fn)) {
        current_ = this;
        id_ = SetTimer(nullptr, 0, ms, [](HWND, UINT, UINT_PTR, DWORD) {
            if (current_) current_->fn_();
        });
    }
    ~During() {
        KillTimer(nullptr, id_);
        current_ = nullptr;
    }

private:
    static inline During* current_ = nullptr;
    std::function<void()> fn_;
    UINT_PTR id_;
};

class AppTest : public ::testing::Test {
protected:
    scratch::Folder folder;
    scratch::RegistryKey key;

    std::string IniPath() const { return folder / "Quillbarrow.ini"; }
    std::string ProxyServer() const {
        std::string s;
        Reg().GetString("ProxyServer", s);
        return s;
    }
    // The stored address and whether the proxy is on, as one text.
    std::string Switch() const { return ProxyServer() + (Reg().GetDword("ProxyEnable") ? " on" : " off"); }
    IniFile Ini() const { return IniFile(IniPath()); }
    RegFile Reg() const { return RegFile(key.Path()); }

    MainWindowOptions Options() const {
        MainWindowOptions o;
        o.settingsFolder = folder.Path();
        o.ieKey = key.Path();
        o.appDataFolder = folder / "AppData";
        o.programPlaces = scratch::ProgramPlaces(folder);
        // The lists of most tests name documentation addresses, which no test
        // may contact; the tests of the check turn it back on.
        o.checkListedProxies = checkListedProxies;
        o.watchIntervalMs = watchIntervalMs;
        return o;
    }

    // Builds and shows the main window, as the entry point does.
    TfrmMain& Start() {
        form = std::make_unique<TfrmMain>(Options());
        form->Show();
        base::ProcessMessages();
        return *form;
    }
    // Start() with the tray's balloons recorded as "title: text" (atBalloon
    // runs as each comes).
    TfrmMain& StartRecordingBalloons(std::function<void()> atBalloon = {}) {
        form = std::make_unique<TfrmMain>(Options());
        form->Tray->shellNotify = [this, atBalloon](DWORD action, const NOTIFYICONDATAW& data) {
            if (action != NIM_MODIFY || !(data.uFlags & NIF_INFO)) return true;
            if (atBalloon) atBalloon();
            balloons.push_back(base::Narrow(data.szInfoTitle) + ": " + base::Narrow(data.szInfo));
            return true;
        };
        form->Show();
        base::ProcessMessages();
        return *form;
    }

    static void Click(const ui::Control& c) { SendMessageW(c.Handle(), BM_CLICK, 0, 0); }

    // Closes the window by its close box and lets the loop see the end.
    void CloseByCloseBox() {
        SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
        form.reset();
        DrainQuit();
    }

    // Pumps messages for a while, as the message loop would.
    static void Pump(DWORD ms) {
        DWORD end = GetTickCount() + ms;
        while (static_cast<LONG>(end - GetTickCount()) > 0) base::WaitForMessages(end - GetTickCount());
    }
    // Runs the message loop until done() or ms pass (the bound only catches a hang).
    static bool RunUntil(const std::function<bool()>& done, DWORD ms = 20000) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start >= ms) return false;
            base::WaitForMessages(50);
        }
        return true;
    }

    // A drop-down list's parts: its edit field (hwndItem) and its list (hwndList).
    static COMBOBOXINFO Parts(const ui::ComboBox& combo) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(combo.Handle(), &info);
        return info;
    }
    static HWND EditOf(const ui::ComboBox& combo) { return Parts(combo).hwndItem; }
    // Keys typed into it: each character makes the box tell its parent CBN_EDITCHANGE.
    static void Type(const ui::ComboBox& combo, const std::wstring& text) {
        for (wchar_t c : text) SendMessageW(EditOf(combo), WM_CHAR, c, 1);
    }
    // A click on an item of the dropped-down list, as the user picks one.
    static void PickFromList(const ui::ComboBox& combo, int index) {
        SendMessageW(combo.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
        HWND list = Parts(combo).hwndList;
        RECT r{};
        SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 2, r.top + 2));
        PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 2, r.top + 2));
        base::ProcessMessages();
    }

    // Removes the WM_QUIT a closed main window posts, so later tests start clean.
    static void DrainQuit() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) DispatchMessageW(&msg);
        }
    }

    void TearDown() override {
        testing_support::AnswerYes() = false;
        if (form) {
            // Tear down without running the close path.
            form.reset();
        }
        DrainQuit();
    }

    // Firefox selected, prefs.js holding prefsText, and the profile's lock
    // held as a running Firefox holds it; the notices so far forgotten.
    void RunFirefox(const std::string& prefsText) {
        prefs = scratch::MakeFirefoxProfile(folder / "AppData");
        scratch::WriteBytes(prefs, prefsText);
        Ini().WriteInteger("BROWSER", "DEFAULT", 2);
        firefox = std::make_unique<scratch::LockHolder>(prefs.substr(0, prefs.rfind('\\')) + "\\parent.lock");
        ASSERT_TRUE(firefox->Holding());
        testing_support::Notices().clear();
    }

    std::vector<std::string> balloons;
    std::unique_ptr<TfrmMain> form;
    bool checkListedProxies = false;
    uint32_t watchIntervalMs = 0;
    std::string prefs;
    std::unique_ptr<scratch::LockHolder> firefox;
};
