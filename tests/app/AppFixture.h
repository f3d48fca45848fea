#pragma once
// A real main window on a scratch settings folder and a scratch registry key.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/MainWindow.h"
#include "settings/IniFile.h"
#include "settings/RegFile.h"
#include "support/Scratch.h"
#include "base/MessageLoop.h"

class AppTest : public ::testing::Test {
protected:
    scratch::Folder folder;
    scratch::RegistryKey key;

    std::string IniPath() const { return folder / "Quillbarrow.ini"; }
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
        return o;
    }

    // Builds and shows the main window, as the entry point does.
    TfrmMain& Start() {
        form = std::make_unique<TfrmMain>(Options());
        form->Show();
        base::ProcessMessages();
        return *form;
    }

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

    // Removes the WM_QUIT a closed main window posts, so later tests start clean.
    static void DrainQuit() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) DispatchMessageW(&msg);
        }
    }

    void TearDown() override {
        if (form) {
            // Tear down without running the close path.
            form.reset();
        }
        DrainQuit();
    }

    std::unique_ptr<TfrmMain> form;
    bool checkListedProxies = false;
};
