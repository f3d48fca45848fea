// An address typed into the proxy list reaches the browser once: when the
// user pauses, presses Enter, picks an entry or leaves the box, or before any
// command that acts on the browser or the settings.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>

#include "app/AppFixture.h"
#include "browsers/ConnectionSettings.h"

namespace {

class ListEdit : public AppTest {
protected:
    // Moves on by one with every write to the browser's settings.
    uint32_t WriteCount() const {
        auto stored = RegFile(key.Path() + "\\Connections").GetBinary("DefaultConnectionSettings");
        auto parsed = ParseConnectionSettings(stored.value_or(""));
        return parsed ? parsed->counter : 0;
    }
    // Keys posted together, then handled: a settle timer's message comes only after all of them.
    static void Keys(HWND control, std::initializer_list<UINT> vks) {
        for (UINT vk : vks) PostMessageW(control, WM_KEYDOWN, vk, 1);
        base::ProcessMessages();
    }
};

// A button's command, and a pick of a browser, without the click's move of
// the focus, which would apply the edit by itself.
void Command(TfrmMain& f, const ui::Button& button) {
    SendMessageW(f.Handle(), WM_COMMAND, MAKEWPARAM(button.Id(), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button.Handle()));
}
void PickBrowser(TfrmMain& f, int index) {
    f.cmbBrowser.SetItemIndex(index);
    f.cmbBrowserClick();
}

}  // namespace

TEST_F(ListEdit, ATypedAddressIsWrittenOnceWhenTheEditEnds) {
    struct Row {
        const char* what;
        std::function<void(TfrmMain&)> act;
        const char* after;  // the address, the switch, and the writes counted
    } rows[] = {
        {"the pause", [](TfrmMain& f) { RunUntil([&] { return !f.EditWaiting(); }); },
         "192.0.2.9:3128 off 1"},
        {"Enter", [](TfrmMain& f) { Keys(EditOf(f.cmbProxyList), {VK_RETURN}); }, "192.0.2.9:3128 off 1"},
        {"the focus leaving", [](TfrmMain& f) { SetFocus(f.cmdSetting.Handle()); }, "192.0.2.9:3128 off 1"},
        {"a pick", [](TfrmMain& f) { PickFromList(f.cmbProxyList, 0); }, "192.0.2.2:3128 off 1"},
        // Every command applies the edit first, then does its own work.
        {"Use Proxy", [](TfrmMain& f) { Command(f, f.cmdUseProxy); }, "192.0.2.9:3128 on 2"},
        {"the tray menu", [](TfrmMain& f) { f.PopupMenu.ClickItem(f.PM_UseProxy); }, "192.0.2.9:3128 on 2"},
        {"Use Default", [](TfrmMain& f) { Command(f, f.cmdUseDefault); }, "192.0.2.62:8062 off 2"},
        {"Get Proxy", [](TfrmMain& f) { Command(f, f.cmdGetList); }, "192.0.2.9:3128 off 1"},
        // The edit goes to the browser being left, then its termination choice.
        {"another browser", [](TfrmMain& f) { PickBrowser(f, 1); }, "192.0.2.62:8062 on 3"},
        {"closing", [](TfrmMain& f) { SendMessageW(f.Handle(), WM_CLOSE, 0, 0); }, "192.0.2.62:8062 on 3"},
        // Last: it stores the typed address as the default.
        {"Set Default", [](TfrmMain& f) { Command(f, f.cmdSetDefault); }, "192.0.2.9:3128 off 1"},
    };
    IniFile ini = Ini();
    ini.WriteString("URL", "DEFAULT", "192.0.2.62:8062");
    ini.WriteInteger("TERMINAL", "OPTION", 2);
    ini.WriteInteger("SERVER", "TYPE", 5);  // Get Proxy fails before it connects
    ini.WriteString("CHROME", "PATH", scratch::HelperProgram("StandInBrowser.exe"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Reg().SetString("ProxyServer", "192.0.2.1:80");
        Reg().SetDword("ProxyEnable", 0);
        TfrmMain& f = Start();
        f.cmbProxyList.AddItem("192.0.2.2:3128");
        SetFocus(EditOf(f.cmbProxyList));
        SendMessageW(EditOf(f.cmbProxyList), EM_SETSEL, 0, -1);
        const uint32_t before = WriteCount();
        Type(f.cmbProxyList, L"192.0.2.9:3128");
        row.act(f);
        EXPECT_EQ(
            Switch() + " " + std::to_string(WriteCount() - before) + (f.EditWaiting() ? " waiting" : ""),
            row.after);
        form.reset();
        DrainQuit();
    }
}

// Arrow keys: through the dropped-down list they write nothing until the
// pick, and Esc puts the text back; in the closed box each step is an edit.
TEST_F(ListEdit, ArrowKeysInTheListWriteOnlyThePick) {
    Reg().SetString("ProxyServer", "192.0.2.1:80");
    TfrmMain& f = Start();
    for (const char* item : {"192.0.2.2:3128", "192.0.2.3:8080", "192.0.2.4:80"})
        f.cmbProxyList.AddItem(item);
    HWND edit = EditOf(f.cmbProxyList);
    SetFocus(edit);
    const uint32_t before = WriteCount();
    SendMessageW(f.cmbProxyList.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    Keys(edit, {VK_DOWN, VK_DOWN, VK_ESCAPE});
    EXPECT_EQ(f.cmbProxyList.Text() + (f.EditWaiting() ? " waiting" : ""), "192.0.2.1:80");
    SendMessageW(f.cmbProxyList.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    Keys(edit, {VK_DOWN, VK_DOWN});
    EXPECT_EQ(WriteCount() - before, 0u);
    Keys(edit, {VK_RETURN});
    EXPECT_EQ(ProxyServer() + " " + std::to_string(WriteCount() - before), "192.0.2.3:8080 1");

    Keys(edit, {VK_DOWN});
    EXPECT_EQ(f.cmbProxyList.Text() + (f.EditWaiting() ? " waiting " : " ") + ProxyServer(),
              "192.0.2.4:80 waiting 192.0.2.3:8080");
}

// While Firefox runs, what is typed stays in the box, the status bar shows
// what prefs.js holds, and each edit (not each key) is told once.
TEST_F(ListEdit, WhileFirefoxRunsTypingKeepsTheTextAndTellsOncePerEdit) {
    RunFirefox(
        "user_pref(\"network.proxy.http\", \"192.0.2.11\");\nuser_pref(\"network.proxy.http_port\", 3128);\n"
        "user_pref(\"network.proxy.type\", 1);\n");
    auto& notices = testing_support::Notices();
    TfrmMain& f = Start();
    SetFocus(EditOf(f.cmbProxyList));
    SendMessageW(EditOf(f.cmbProxyList), EM_SETSEL, 0, -1);
    Type(f.cmbProxyList, L"192.0.2.9:3128");
    ASSERT_TRUE(RunUntil([&] { return !notices.empty(); }));
    base::ProcessMessages();
    EXPECT_EQ(
        f.cmbProxyList.Text() + ", " + f.stsBar.PanelText(1) + ", told " + std::to_string(notices.size()),
        "192.0.2.9:3128, Using 192.0.2.11:3128, told 1");

    Type(f.cmbProxyList, L"0");
    ASSERT_TRUE(RunUntil([&] { return notices.size() == 2; }));
    EXPECT_EQ(f.cmbProxyList.Text(), "192.0.2.9:31280");
}

// The browser list: steps in the closed box wait as an edit does, so the
// browsers passed get no termination choice; through the dropped-down list
// only the pick counts; a command takes up a step at once.
TEST_F(ListEdit, ArrowKeysInTheBrowserListSwitchOnlyWhereTheyStop) {
    Reg().SetDword("ProxyEnable", 1);
    Ini().WriteString("CHROME", "PATH", scratch::HelperProgram("StandInBrowser.exe"));
    TfrmMain& f = Start();
    HWND list = f.cmbBrowser.Handle();
    SetFocus(list);
    const uint32_t before = WriteCount();
    Keys(list, {VK_DOWN, VK_UP, VK_DOWN});
    ASSERT_TRUE(RunUntil([&] { return f.Caption() == "Quillbarrow2012 for Google Chrome"; }));
    EXPECT_EQ(WriteCount() - before, 1u);  // the termination choice (direct), for Internet Explorer only

    SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
    Keys(list, {VK_UP, VK_ESCAPE});
    EXPECT_EQ(f.cmbBrowser.ItemIndex(), 1);
    SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
    Keys(list, {VK_UP, VK_RETURN});
    EXPECT_EQ(f.Caption() + " " + std::to_string(WriteCount() - before),
              "Quillbarrow2012 for Internet Explorer 2");

    Keys(list, {VK_DOWN});
    Command(f, f.cmdUseProxy);
    EXPECT_EQ(f.Caption(), "Quillbarrow2012 for Google Chrome");
}
